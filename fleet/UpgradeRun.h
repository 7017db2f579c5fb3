#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "discovery/CameraLookup.h"
#include "fleet/FirmwareFile.h"
#include "platform/ManualResetEvent.h"
#include "upgrade/DelayFunc.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

// What every run of a batch does.
struct UpgradePlan {
    enum Mode { kSmart, kWebUi, kSystem };
    Mode mode = kSmart;
    std::string file;  // the firmware file of a manual upgrade
    // Its bytes as read and checked once (FirmwareFile::Read): what every upload sends.
    FirmwareFile firmware;
    std::string
        version;  // smart: the version to ask the firmware server about (empty: the camera's own)
    std::string user;
    std::string password;
    // Smart: asked when the camera already runs the newest version; true continues.
    std::function<bool(const std::string& host)> confirm;
    // Smart: a camera that already runs the server's newest version is left unchanged unless
    // `reinstall`; a server offering an older version than the camera's is refused unless
    // `allowOlder`. Manual: with `expectVersion`, a camera already at it is left unchanged
    // (unless `reinstall`) and the upload is verified by it.
    bool reinstall = false;
    bool allowOlder = false;
    std::string expectVersion;
    // Reads versions and asks the firmware server, then stops: nothing is sent to a camera.
    bool dryRun = false;
    // Set (nonzero) when the batch is to stop: runs in flight are aborted, no new one starts.
    const std::atomic<int>* stop = nullptr;
};

// A camera to upgrade; the MAC and network mode let a run follow it by MAC when it comes
// back from its restart at another address (empty MAC: not followed).
struct UpgradeTarget {
    std::string host;
    int port = 80;
    std::string mac;
    int netMode = 0;
    int source = -1;  // the scan source (adapter) the camera was found on; -1 unknown
};

// How a run ended.
struct UpgradeOutcome {
    UpgradeTarget target;
    int status = 0;             // the final status (38 completed)
    std::wstring text;          // its text, as the dialogs show it
    std::string versionBefore;  // the version the run changes (sys_ver, or app_version for
                                // Web UI firmware) before the run; "" when unreadable
    std::string versionAfter;   // the same, read again after a completed run
    std::string expected;       // the version the run is to leave: the server's offer (smart),
                                // --expect-version (manual)
    std::string downloadUrl;    // smart: the URL the camera is (or would be) told to fetch
    bool unchanged = false;     // already at that version: sent nothing
    bool refused = false;       // not started for a reason of the plan's (in `failure`)
    bool dryRun = false;        // a dry run that would upgrade it
    bool verified = false;      // completed, and the version changed as it should
    int httpStatus = 0;         // a failed run's last HTTP error status (404 ...), else 0
    bool started = false;       // the run began (the camera was asked)
    bool interrupted = false;   // stopped before its end (a signal); the status is as far as it got
    std::string failure;        // why the run could not go on, when not the camera's doing
    double seconds = 0;
    std::string firmwareFile;  // manual: the file, its size and SHA-256 of the bytes sent
    std::uint64_t firmwareBytes = 0;
    std::string firmwareSha256;
    std::string journal;  // what the change journal holds of it: "written", "not written: WHY"
};

// One upgrade of one camera exactly as the upgrade dialogs run it (its own engine and
// one-second tick, the tick following the camera by MAC), with the camera's version read
// before the run and again after it, to verify that the new firmware took.
// Thread safety: Run blocks the calling thread; the progress callback runs on the tick
// thread and the confirmation on the engine's worker.
class UpgradeRun {
public:
    // Told each second: status, phase counter, the text the dialogs show for them, upload
    // bytes sent and total (manual).
    using Progress = std::function<void(int status, int phase, const std::wstring& text,
                                        long long sent, long long total)>;

    UpgradeRun(UpgradeTarget target, const UpgradePlan& plan, CameraLookup* cameras,
               Progress progress);
    // Reads the camera's version and decides (UpgradeDecision); a camera to be upgraded is
    // announced through `starting` (before any change is asked of it) and run to the end,
    // or until the plan's stop flag is set (then it ends "interrupted").
    UpgradeOutcome Run(const std::function<void()>& starting = {});
    // Ends the run at once through the engine's own abort; callable from any thread.
    void Interrupt();

    // What the run says when the system refuses it a thread.
    static constexpr const char* kThreadRefused =
        "the system refused a thread (process or task limit)";

    // The version a run of this plan changes, as the camera reports it (get_status.cgi):
    // sys_ver for system firmware, app_version for Web UI firmware; "" when the status
    // read fails.
    static std::string ReadVersion(const CameraLogin& login, UpgradePlan::Mode mode);

private:
    static int Tick(void* user);
    static int Confirm(void* user);
    // Starts the engine and the tick; false with the outcome's failure set.
    bool StartThreads(UpgradeOutcome& outcome);
    bool Stopping() const { return m_plan.stop && m_plan.stop->load() != 0; }

    UpgradeTarget m_target;
    const UpgradePlan& m_plan;
    CameraLookup* m_cameras;
    Progress m_progress;
    CameraLogin m_login{};  // the tick's copy, followed by MAC
    CUpgradeHandle m_engine;
    CDelayFunc m_tick;
    platform::ManualResetEvent m_done;
    std::atomic<bool> m_ended{false};  // the tick's final status or Interrupt, whichever first
    std::atomic<bool> m_interrupted{false};
    std::atomic<int> m_statusAtStop{0};
    std::atomic<int> m_final{0};
    std::atomic<bool> m_declinedSame{false};  // the engine found the same version; not asked
};

}  // namespace orvex
