#pragma once
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace orvexctl {

// Shows how upgrade runs go. On a terminal: one line per camera, rewritten in place each
// second (status text, phase counter, upload bytes). Otherwise: a line each time a
// camera's status changes, "status N text", behind the camera's address when there are
// several. Update may be called from any thread.
class UpgradeProgress {
public:
    UpgradeProgress(std::vector<std::string> labels, std::FILE* out, bool terminal);
    void Update(std::size_t index, int status, const std::wstring& text, long long sent, long long total);

private:
    void Redraw();

    std::vector<std::string> m_labels;
    std::FILE* m_out;
    bool m_terminal;
    std::mutex m_lock;
    std::vector<int> m_last;
    std::vector<std::string> m_lines;
    bool m_drawn = false;
};

}  // namespace orvexctl
