#include "tests/support/TestClock.h"

#include <thread>

#include "platform/Clock.h"

namespace orvextest {

ScopedTimeScale::ScopedTimeScale(double scale) : m_previous(platform::Clock::TimeScale()) {
    platform::Clock::SetTimeScale(scale);
}

ScopedTimeScale::~ScopedTimeScale() { platform::Clock::SetTimeScale(m_previous); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace orvextest
