#include "tools/orvexctl/UpgradeProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <climits>

#include "platform/CodePage.h"

namespace orvexctl {
namespace {

constexpr int kNoStatus = INT_MIN;

std::string Narrow(const std::wstring& text) { return platform::CodePage::WideToOem(text); }

std::size_t TerminalWidth(std::FILE* out) {
    winsize size{};
    if (ioctl(fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 1) return size.ws_col - 1;
    return 79;
}

}  // namespace

UpgradeProgress::UpgradeProgress(std::vector<std::string> labels, std::FILE* out, bool terminal)
    : m_labels(std::move(labels)),
      m_out(out),
      m_terminal(terminal),
      m_last(m_labels.size(), kNoStatus),
      m_lines(m_labels.size()) {
    for (std::size_t i = 0; i < m_labels.size(); ++i) m_lines[i] = m_labels[i] + "  waiting";
}

void UpgradeProgress::Update(std::size_t index, int status, const std::wstring& text, long long sent,
                             long long total) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (index >= m_labels.size()) return;
    if (m_terminal) {
        std::string line = m_labels[index] + "  " + (text.empty() ? "status " + std::to_string(status) : Narrow(text));
        if (total > 0 && sent < total) line += "  (" + std::to_string(sent) + " of " + std::to_string(total) + " bytes)";
        m_lines[index] = line;
        Redraw();
        return;
    }
    if (status == m_last[index]) return;
    m_last[index] = status;
    const std::string prefix = m_labels.size() > 1 ? m_labels[index] + " " : "";
    std::fprintf(m_out, "%sstatus %d%s%s\n", prefix.c_str(), status, text.empty() ? "" : " ", Narrow(text).c_str());
    std::fflush(m_out);
}

void UpgradeProgress::Redraw() {
    if (m_drawn) std::fprintf(m_out, "\033[%zuA", m_lines.size());
    const std::size_t width = TerminalWidth(m_out);
    for (const std::string& line : m_lines) {
        std::fprintf(m_out, "\r\033[2K%s\n", line.substr(0, width).c_str());
    }
    m_drawn = true;
    std::fflush(m_out);
}

}  // namespace orvexctl
