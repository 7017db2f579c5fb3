#include "platform/ManualResetEvent.h"

#include "platform/Clock.h"

namespace platform {

void ManualResetEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_signalled = true;
    }
    m_changed.notify_all();
}

void ManualResetEvent::Reset() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_signalled = false;
}

bool ManualResetEvent::IsSet() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_signalled;
}

bool ManualResetEvent::Wait(DWORD clockMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, Clock::RealDuration(clockMs), [this] { return m_signalled; });
}

bool ManualResetEvent::WaitReal(std::chrono::milliseconds real) {
    std::unique_lock<std::mutex> guard(m_lock);
    return m_changed.wait_for(guard, real, [this] { return m_signalled; });
}

void ManualResetEvent::Wait() {
    std::unique_lock<std::mutex> guard(m_lock);
    m_changed.wait(guard, [this] { return m_signalled; });
}

}  // namespace platform
