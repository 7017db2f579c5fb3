#include "platform/Clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/ManualResetEvent.h"
#include "tests/support/TestClock.h"

namespace platform {
namespace {

using Steady = std::chrono::steady_clock;

TEST(Clock, TimeScaleSpeedsUpTicksAndSleeps) {
    orvextest::ScopedTimeScale fast(20);
    const DWORD before = Clock::TickCount();
    const auto realBefore = Steady::now();
    Clock::Sleep(2000);
    const auto real = Steady::now() - realBefore;
    const DWORD ticks = Clock::TickCount() - before;
    EXPECT_GE(ticks, 2000u);
    EXPECT_LT(ticks, 2600u);
    EXPECT_GE(real, std::chrono::milliseconds(100));
    EXPECT_LT(real, std::chrono::milliseconds(400));
}

TEST(Clock, TickCountWrapsAt32Bits) {
    Clock::SetTickCount(0xFFFFFFFFu - 5);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const DWORD after = Clock::TickCount();
    EXPECT_LT(after, 1000u);
    EXPECT_GE(static_cast<DWORD>(after - (0xFFFFFFFFu - 5)), 20u);
}

TEST(ManualResetEvent, StaysSignalledUntilResetAndTimesOutOnTheClock) {
    ManualResetEvent event;
    EXPECT_FALSE(event.IsSet());
    {
        orvextest::ScopedTimeScale fast(10);
        const auto start = Steady::now();
        EXPECT_FALSE(event.Wait(1000));  // 1000 clock ms = 100 real ms
        EXPECT_LT(Steady::now() - start, std::chrono::milliseconds(500));
    }
    std::thread setter([&] { event.Set(); });
    event.Wait();
    setter.join();
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait(0));  // manual reset: still signalled
    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

}  // namespace
}  // namespace platform
