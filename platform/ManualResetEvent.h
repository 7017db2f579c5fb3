#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "platform/Types.h"

namespace platform {

// An event that stays signalled until reset. Thread-safe.
class ManualResetEvent {
public:
    explicit ManualResetEvent(bool signalled = false) : m_signalled(signalled) {}

    void Set();
    void Reset();
    bool IsSet();
    // Waits until signalled; returns false when `clockMs` clock milliseconds passed first.
    bool Wait(DWORD clockMs);
    // The same for real time, whatever the clock's scale (a poll for a stop request).
    bool WaitReal(std::chrono::milliseconds real);
    void Wait();

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_signalled;
};

}  // namespace platform
