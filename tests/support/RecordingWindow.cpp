#include "tests/support/RecordingWindow.h"

#include "discovery/DiscoveryMessages.h"
#include "discovery/Lanprobe.h"
#include "platform/Clock.h"

namespace orvextest {

std::shared_ptr<RecordingWindow> RecordingWindow::Create() {
    std::shared_ptr<RecordingWindow> window(new RecordingWindow());
    window->m_hwnd = platform::WindowRegistry::Register(window);
    return window;
}

RecordingWindow::~RecordingWindow() = default;

void RecordingWindow::OnPost(const platform::Message& msg) {
    Entry entry{msg.message, msg.wParam, platform::Clock::TickCount(), {}};
    if (msg.message == orvex::kMsgDiscovery && msg.lParam != 0) {
        auto* record = reinterpret_cast<orvex::DeviceRecord*>(msg.lParam);
        entry.record = *record;
        delete record;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_entries.push_back(entry);
}

platform::LRESULT RecordingWindow::OnSend(const platform::Message& msg) {
    OnPost(msg);
    return 0;
}

std::vector<RecordingWindow::Entry> RecordingWindow::Entries() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_entries;
}

std::size_t RecordingWindow::Count(platform::UINT message, platform::WPARAM wParam) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::size_t n = 0;
    for (const Entry& e : m_entries) n += e.message == message && e.wParam == wParam;
    return n;
}

std::size_t RecordingWindow::Count(platform::UINT message) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::size_t n = 0;
    for (const Entry& e : m_entries) n += e.message == message;
    return n;
}

}  // namespace orvextest
