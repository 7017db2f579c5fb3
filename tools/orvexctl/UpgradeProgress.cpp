#include "tools/orvexctl/UpgradeProgress.h"

#include "tools/orvexctl/CommandLine.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <system_error>

#include "platform/CodePage.h"

namespace orvexctl {
namespace {

constexpr int kNoStatus = INT_MIN;
constexpr auto kRedrawPause = std::chrono::milliseconds(250);

std::string Narrow(const std::wstring& text) {
    return platform::CodePage::WideToOem(text);
}

winsize TerminalSize(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) != 0 || size.ws_col < 2 || size.ws_row < 2) {
        size.ws_col = 80;
        size.ws_row = 24;
    }
    return size;
}

}  // namespace

UpgradeProgress::UpgradeProgress(std::vector<std::string> labels, std::FILE* out, bool terminal)
    : m_labels(std::move(labels)),
      m_out(out),
      m_terminal(terminal),
      m_last(m_labels.size(), kNoStatus),
      m_lines(m_labels.size()),
      m_states(m_labels.size(), State::kWaiting),
      m_endOrder(m_labels.size(), 0) {
    if (!m_terminal) return;
    try {
        m_drawer = std::thread([this] { DrawLoop(); });
    } catch (const std::system_error&) {
        // no thread for drawing: the terminal shows the final state only
    }
}

UpgradeProgress::~UpgradeProgress() {
    Finish();
}

void UpgradeProgress::Update(std::size_t index, int status, const std::wstring& text,
                             long long sent, long long total, bool ended) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (index >= m_labels.size() || m_finished) return;
    if (m_terminal) {
        std::string line = m_labels[index] + "  " +
                           (text.empty() ? "status " + std::to_string(status) : Narrow(text));
        if (!ended && total > 0 && sent < total) {
            line += "  (" + std::to_string(sent) + " of " + std::to_string(total) + " bytes)";
        }
        m_lines[index] = line;
        if (ended && m_states[index] != State::kEnded) m_endOrder[index] = ++m_ended;
        m_states[index] = ended ? State::kEnded : State::kRunning;
        m_dirty = true;
        return;  // drawn by the drawing thread, a few times a second
    }
    if (ended || status == m_last[index]) return;
    m_last[index] = status;
    const std::string prefix = m_labels.size() > 1 ? m_labels[index] + " " : "";
    Print(prefix + "status " + std::to_string(status) + (text.empty() ? "" : " ") + Narrow(text) +
          "\n");
}

void UpgradeProgress::Finish() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_finished) return;
        m_finished = true;
        if (m_terminal) Redraw();
    }
    m_wake.notify_all();
    if (m_drawer.joinable()) m_drawer.join();
}

void UpgradeProgress::DrawLoop() {
    std::unique_lock<std::mutex> guard(m_lock);
    while (!m_finished) {
        m_wake.wait_for(guard, kRedrawPause, [this] { return m_finished; });
        if (!m_finished && m_dirty) Redraw();
    }
}

std::vector<std::size_t> UpgradeProgress::LinesToShow(std::size_t rows) const {
    // Running cameras first, then the ones that ended most recently.
    std::vector<std::size_t> running, ended;
    for (std::size_t i = 0; i < m_states.size(); ++i) {
        if (m_states[i] == State::kRunning) running.push_back(i);
        if (m_states[i] == State::kEnded) ended.push_back(i);
    }
    std::sort(ended.begin(), ended.end(),
              [this](std::size_t a, std::size_t b) { return m_endOrder[a] > m_endOrder[b]; });
    std::vector<std::size_t> shown;
    for (const auto* group : {&running, &ended}) {
        for (const std::size_t i : *group) {
            if (shown.size() < rows) shown.push_back(i);
        }
    }
    std::sort(shown.begin(), shown.end());
    return shown;
}

void UpgradeProgress::Redraw() {
    m_dirty = false;
    const winsize size = TerminalSize(m_out);
    const std::size_t width = size.ws_col - 1;
    // One row stays free for the cursor; one holds the summary.
    const std::vector<std::size_t> shown = LinesToShow(std::max<std::size_t>(1, size.ws_row - 2));
    std::size_t running = 0, waiting = 0;
    for (const State state : m_states) {
        running += state == State::kRunning ? 1 : 0;
        waiting += state == State::kWaiting ? 1 : 0;
    }
    std::string frame;
    if (m_drawnLines > 0) frame += "\033[" + std::to_string(m_drawnLines) + "A";
    const std::string summary = std::to_string(m_ended) + " of " + std::to_string(m_labels.size()) +
                                " ended, " + std::to_string(running) + " running, " +
                                std::to_string(waiting) + " waiting";
    frame += "\r\033[J" + summary.substr(0, width) + "\n";
    for (const std::size_t i : shown) frame += m_lines[i].substr(0, width) + "\n";
    m_drawnLines = shown.size() + 1;
    Print(frame);
}

bool UpgradeProgress::Print(const std::string& text) {
    if (m_gone) return false;
    if (Quiet()) return true;  // --quiet: no progress at all
    if (std::fwrite(text.data(), 1, text.size(), m_out) != text.size() || std::fflush(m_out) != 0) {
        m_gone = true;  // the reader went away or the disk is full: the runs go on
        return false;
    }
    return true;
}

}  // namespace orvexctl
