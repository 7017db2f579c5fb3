#pragma once
#include <memory>
#include <mutex>
#include <vector>

#include "discovery/DeviceRecord.h"
#include "platform/WindowRegistry.h"

namespace orvextest {

// A window that notes every message posted to it with the clock tick of its arrival.
// Records posted with 2027/4 are copied and freed, as the main window does.
class RecordingWindow : public platform::WindowTarget {
public:
    struct Entry {
        platform::UINT message;
        platform::WPARAM wParam;
        platform::DWORD tick;
        orvex::DeviceRecord record;
    };

    static std::shared_ptr<RecordingWindow> Create();
    ~RecordingWindow() override;
    platform::HWND Handle() const { return m_hwnd; }

    void OnPost(const platform::Message& msg) override;
    platform::LRESULT OnSend(const platform::Message& msg) override;

    std::vector<Entry> Entries();
    std::size_t Count(platform::UINT message, platform::WPARAM wParam);
    std::size_t Count(platform::UINT message);

private:
    RecordingWindow() = default;
    platform::HWND m_hwnd = 0;
    std::mutex m_lock;
    std::vector<Entry> m_entries;
};

}  // namespace orvextest
