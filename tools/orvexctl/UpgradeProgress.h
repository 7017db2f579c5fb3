#pragma once
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvexctl {

// Shows how upgrade runs go. On a terminal: the running cameras and the most recent ones
// that ended, at most as many lines as the terminal has rows, under a summary line, redrawn
// in place at most four times a second from one thread. Otherwise: a line each time a
// camera's status changes, "status N text", behind the camera's address when there are
// several. Once the output is gone (a closed pipe, a full disk) nothing more is written.
// Thread safety: Update may be called from any thread.
class UpgradeProgress {
public:
    UpgradeProgress(std::vector<std::string> labels, std::FILE* out, bool terminal);
    ~UpgradeProgress();
    // A camera's status; `ended` once its run is over.
    void Update(std::size_t index, int status, const std::wstring& text, long long sent,
                long long total, bool ended);
    // Draws the last state and stops drawing.
    void Finish();

private:
    enum class State { kWaiting, kRunning, kEnded };
    void DrawLoop();
    void Redraw();  // under m_lock
    std::vector<std::size_t> LinesToShow(std::size_t rows) const;
    bool Print(const std::string& text);

    std::vector<std::string> m_labels;
    std::FILE* m_out;
    bool m_terminal;
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<int> m_last;
    std::vector<std::string> m_lines;
    std::vector<State> m_states;
    std::vector<unsigned long> m_endOrder;  // when each run ended (0: not yet)
    unsigned long m_ended = 0;
    std::size_t m_drawnLines = 0;
    bool m_dirty = false;
    bool m_finished = false;
    bool m_gone = false;  // the output failed: write nothing more
    std::thread m_drawer;
};

}  // namespace orvexctl
