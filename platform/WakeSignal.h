#pragma once
#include <chrono>

namespace platform {

// Wakes a thread that waits on a socket: signalled from any thread, drained by the waiter.
class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    void Signal();
    void Drain();
    // Waits until signalled or the real time-out passes; the signal stays set.
    void Wait(std::chrono::microseconds timeout) const;
    int Descriptor() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace platform
