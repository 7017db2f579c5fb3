#include "upgrade/DelayFunc.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"
#include "platform/CopyDataChannel.h"
#include "tests/support/TestClock.h"

namespace orvex {
namespace {

using platform::Clock;
using platform::DWORD;

struct Ticks {
    std::mutex lock;
    std::vector<DWORD> at;
    int endAfter = 0;  // return 1 on this call (0: never)
    static int Callback(void* user) {
        auto* self = static_cast<Ticks*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        self->at.push_back(Clock::TickCount());
        return self->endAfter != 0 && static_cast<int>(self->at.size()) >= self->endAfter ? 1 : 0;
    }
    std::vector<DWORD> Taken() {
        std::lock_guard<std::mutex> guard(lock);
        return at;
    }
};

TEST(DelayFunc, TicksOneSecondAfterStartNeverWhilePausedAndAgainAfterResume) {
    orvextest::ScopedTimeScale fast(10);
    Ticks ticks;
    CDelayFunc timer;
    timer.m_pfnTimer = &Ticks::Callback;
    timer.m_pUser = &ticks;
    ASSERT_TRUE(timer.InitTimer(&ticks));
    Clock::Sleep(1500);
    EXPECT_TRUE(ticks.Taken().empty());  // starts paused

    const DWORD started = Clock::TickCount();
    timer.Resume();
    ASSERT_TRUE(orvextest::WaitUntil([&] { return ticks.Taken().size() >= 3; }));
    timer.Pause();
    const auto first = ticks.Taken();
    EXPECT_GE(first[0] - started, 1000u);
    EXPECT_LE(first[0] - started, 1100u);
    for (std::size_t i = 1; i < first.size(); ++i) {
        EXPECT_GE(first[i] - first[i - 1], 1000u);
        EXPECT_LE(first[i] - first[i - 1], 1100u);
    }
    const std::size_t beforePause = ticks.Taken().size();
    Clock::Sleep(3000);
    EXPECT_LE(ticks.Taken().size(), beforePause + 1);  // at most a tick already under way
    const std::size_t paused = ticks.Taken().size();

    const DWORD resumed = Clock::TickCount();
    timer.Resume();
    ASSERT_TRUE(orvextest::WaitUntil([&] { return ticks.Taken().size() > paused; }));
    EXPECT_GE(ticks.Taken()[paused] - resumed, 1000u);
    EXPECT_LE(ticks.Taken()[paused] - resumed, 1100u);
    timer.ReleaseTimer();
}

TEST(DelayFunc, ReleaseOfAPausedThreadIsPrompt) {
    Ticks ticks;
    CDelayFunc timer;
    timer.m_pfnTimer = &Ticks::Callback;
    timer.m_pUser = &ticks;
    ASSERT_TRUE(timer.InitTimer(nullptr));
    const auto start = std::chrono::steady_clock::now();
    timer.ReleaseTimer();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(50));
    EXPECT_FALSE(timer.HasThread());
    timer.ReleaseTimer();  // twice is harmless
}

TEST(DelayFunc, NonzeroReturnEndsTheThreadWithoutTheBreakTrace) {
    orvextest::ScopedTimeScale fast(10);
    platform::CopyDataListener viewer;
    ASSERT_TRUE(viewer.Open(kTraceWinClass));
    Ticks ticks;
    ticks.endAfter = 2;
    CDelayFunc timer;
    timer.m_pfnTimer = &Ticks::Callback;
    timer.m_pUser = &ticks;
    ASSERT_TRUE(timer.InitTimer(nullptr));
    timer.Resume();
    ASSERT_TRUE(orvextest::WaitUntil([&] { return timer.Ended(); }));
    EXPECT_EQ(ticks.Taken().size(), 2u);
    timer.Resume();  // an ended thread does not come back
    Clock::Sleep(1500);
    EXPECT_EQ(ticks.Taken().size(), 2u);
    timer.ReleaseTimer();
    std::vector<std::string> traces;
    while (auto record = viewer.Receive(std::chrono::milliseconds(100))) traces.push_back(record->data);
    EXPECT_NE(std::find(traces.begin(), traces.end(), "\r\n---Exit CDelayFunc::ThreadTimer---"), traces.end());
    EXPECT_EQ(std::find(traces.begin(), traces.end(), "\r\n---Break CDelayFunc::ProcessTimer---"), traces.end());
}

TEST(DelayFunc, WithoutCallbackOrUserNothingIsCalled) {
    orvextest::ScopedTimeScale fast(10);
    Ticks ticks;
    CDelayFunc timer;
    timer.m_pfnTimer = &Ticks::Callback;  // no user pointer
    ASSERT_TRUE(timer.InitTimer(nullptr));
    timer.Resume();
    Clock::Sleep(2500);
    EXPECT_TRUE(ticks.Taken().empty());
    timer.ReleaseTimer();
}

}  // namespace
}  // namespace orvex
