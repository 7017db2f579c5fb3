#pragma once
#include <chrono>
#include <map>
#include <string>

#include "discovery/DeviceRecord.h"
#include "fleet/ChangeJournal.h"
#include "fleet/FirmwareFile.h"

namespace orvex {

// The window's entries in the change journal: each set request Apply or One Key Set sends
// (written as it is sent, and again once its set reply comes, or as "no reply" when none
// came within 15 s) and each firmware upgrade a page runs (as it starts, and when it has
// ended). A set's end also gives back its hold on the site lock. A journal that cannot be
// written is said once in a box. User-interface thread only.
class WindowJournal {
public:
    static WindowJournal& Instance();
    ~WindowJournal();

    // `camera` as listed, `block` the request sent, `adapter` the address it went out from.
    // The same change sent again within 15 s is one entry.
    void SetSent(const DeviceRecord& camera, const DeviceRecord& block,
                 const std::wstring& adapter);
    void SetReplied(const DeviceRecord& block, int code);
    // Writes the sets whose reply is overdue.
    void Expire();
    // Writes every set still awaiting its reply as "no reply" (the window is closing).
    void Flush();
    // A firmware upgrade run about to start; `firmware` names the file (with `file`, the
    // bytes sent: their size and SHA-256 go on record), or "smart". The id it returns ties
    // the run's end to it.
    std::string UpgradeStarted(const DeviceRecord& camera, const std::string& firmware,
                               const FirmwareFile* file = nullptr);
    // The run `id` ended with `status` (38 completed); a smart run with the version the
    // firmware server named and the URL the camera was told to fetch.
    void Upgrade(const DeviceRecord& camera, const std::string& firmware,
                 const std::string& expected, int status, const std::wstring& text,
                 const std::string& id, const std::string& url = "");

    static constexpr std::chrono::seconds kReplyWait{15};

private:
    WindowJournal();
    struct Pending {
        Json::Value entry;
        std::string id;
        std::chrono::steady_clock::time_point sent;
        bool written = false;  // its reply came; kept a while so that a resend is not a new change
    };
    void Write(Pending& pending, const char* result, int code);

    ChangeJournal m_journal;
    std::map<std::string, Pending> m_pending;  // by MAC
    bool m_closing = false;
};

}  // namespace orvex
