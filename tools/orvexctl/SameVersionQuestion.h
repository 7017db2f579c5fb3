#pragma once
#include <atomic>
#include <mutex>
#include <string>

namespace orvexctl {

// The question a smart upgrade asks when the camera already runs the newest version:
// --yes answers OK; otherwise it is asked on standard error and answered on standard
// input, one question at a time. End of input, or a stop request while waiting, answers
// Cancel. Thread safety: Ask may be called from any thread.
class SameVersionQuestion {
public:
    SameVersionQuestion(bool yes, const std::atomic<int>* stop) : m_yes(yes), m_stop(stop) {}
    // True to go on with the upgrade.
    bool Ask(const std::string& host);
    void SetBatch(bool batch) { m_batch = batch; }

private:
    // One line of standard input; false at its end or when a stop is requested.
    bool ReadLine(std::string* line);

    bool m_yes;
    const std::atomic<int>* m_stop;
    bool m_batch = false;
    std::mutex m_lock;
};

}  // namespace orvexctl
