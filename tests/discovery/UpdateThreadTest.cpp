#include "discovery/UpdateThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "discovery/DiscoveryCodec.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/Lanprobe.h"
#include "platform/Clock.h"
#include "tests/support/NetnsCommand.h"
#include "tests/support/RecordingWindow.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"

namespace orvex {
namespace {

// Times are taken where a datagram or message arrives, which may lag its leaving by a
// few real milliseconds (tens of clock milliseconds at ten times speed) on a loaded
// machine or under a sanitizer.
constexpr platform::DWORD kArrivalJitter = 40;

using orvextest::RecordingWindow;
using orvextest::ScopedTimeScale;
using orvextest::WaitUntil;
using platform::Clock;
using platform::DWORD;

class SchedulerTest : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::CameraConfig camera;
        camera.ip = "127.0.0.21";
        fleet.AddCamera(camera);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
    }
    void TearDown() override {
        DiscoveryControl::Stop(probe, scheduler);
        fleet.Stop();
        platform::WindowRegistry::Unregister(window->Handle());
    }
    void StartOn(const wchar_t* ip) {
        ASSERT_EQ(DiscoveryControl::Start(probe, scheduler, ip, window->Handle()),
                  DiscoveryControl::kStarted);
    }
    bool WaitForSearches(std::size_t n, int seconds = 5) {
        return WaitUntil([&] { return fleet.SearchTimes().size() >= n; },
                         std::chrono::seconds(seconds));
    }
    std::vector<DWORD> SweepTicks() {
        std::vector<DWORD> ticks;
        for (const auto& e : window->Entries()) {
            if (e.message == kMsgSweepCameras) ticks.push_back(e.tick);
        }
        return ticks;
    }

    camsim::CameraFleet fleet;
    std::shared_ptr<RecordingWindow> window = RecordingWindow::Create();
    CLanprobe probe;
    CUpdateThread scheduler;
};

TEST_F(SchedulerTest, SearchEveryTwoSecondsAndSweepAfterEverySecondSearch) {
    ScopedTimeScale fast(10);
    StartOn(L"127.0.0.1");
    ASSERT_TRUE(WaitForSearches(6));
    DiscoveryControl::Stop(probe, scheduler);
    const auto searches = fleet.SearchTimes();
    for (std::size_t i = 1; i < searches.size(); ++i) {
        const DWORD interval = searches[i] - searches[i - 1];
        EXPECT_GE(interval, 2000u - kArrivalJitter) << "search " << i;
        EXPECT_LE(interval, 2120u) << "search " << i;
    }
    const auto sweeps = SweepTicks();
    ASSERT_GE(sweeps.size(), 3u);
    ASSERT_LE(sweeps.size(), searches.size() / 2);
    for (std::size_t k = 0; k < sweeps.size(); ++k) {
        const DWORD afterSecond = sweeps[k] - searches[2 * k + 1];
        EXPECT_GE(afterSecond, 200u - kArrivalJitter) << "sweep " << k;
        EXPECT_LE(afterSecond, 280u) << "sweep " << k;
    }
    // The replies to a search reach the window before the sweep that follows it.
    const auto entries = window->Entries();
    std::size_t replies = 0;
    for (const auto& e : entries) {
        if (e.message == kMsgDiscovery && e.wParam == kEventDeviceFound) ++replies;
        if (e.message == kMsgSweepCameras) {
            EXPECT_GE(replies, 2u);
            replies = 0;
        }
    }
}

TEST_F(SchedulerTest, FindMakesTheSearchDueAtOnceWithASweepAfterIt) {
    ScopedTimeScale fast(10);
    StartOn(L"127.0.0.1");
    ASSERT_TRUE(WaitForSearches(1));
    for (int click = 0; click < 3; ++click) {
        Clock::Sleep(500);
        const std::size_t before = fleet.SearchTimes().size();
        const DWORD clicked = Clock::TickCount();
        ASSERT_TRUE(scheduler.PostSearchNow());
        ASSERT_TRUE(WaitForSearches(before + 1));
        const DWORD searched = fleet.SearchTimes()[before];
        EXPECT_LE(searched - clicked, 120u) << "click " << click;
        ASSERT_TRUE(WaitUntil([&] { return SweepTicks().size() == static_cast<std::size_t>(click + 1); }));
        const DWORD sweep = SweepTicks().back();
        EXPECT_GE(sweep - searched, 200u - kArrivalJitter);
        EXPECT_LE(sweep - searched, 280u);
    }
    // Three clicks half a second apart: three searches after the first, no regular one yet.
    EXPECT_EQ(fleet.SearchTimes().size(), 4u);
}

TEST_F(SchedulerTest, StopEndsASchedulerSleepingBeforeASweep) {
    StartOn(L"127.0.0.1");  // real time: the sleep before the sweep lasts 200 ms
    ASSERT_TRUE(WaitForSearches(1));
    ASSERT_TRUE(scheduler.PostSearchNow());
    ASSERT_TRUE(WaitForSearches(2));  // second of a pair: the thread now sleeps 200 ms
    const auto started = std::chrono::steady_clock::now();
    scheduler.Stop();
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_FALSE(scheduler.IsRunning());
    EXPECT_LT(took, std::chrono::milliseconds(700));
    const std::size_t searches = fleet.SearchTimes().size();
    Clock::Sleep(300);
    EXPECT_EQ(fleet.SearchTimes().size(), searches);  // nothing is sent after the stop
}

TEST_F(SchedulerTest, SetRequestGoesOutAndTheSearchFollowsAtOnce) {
    ScopedTimeScale fast(10);
    StartOn(L"127.0.0.1");
    ASSERT_TRUE(WaitForSearches(1));
    auto block = std::make_unique<DeviceRecord>(fleet.Record(0));
    std::strcpy(block->szUser, "admin");
    std::strcpy(block->szName, "Lobby");
    const DeviceParams sent = ParamsOf(*block);
    const DWORD posted = Clock::TickCount();
    ASSERT_TRUE(scheduler.PostSetRequest(std::move(block)));
    ASSERT_TRUE(WaitUntil([&] { return window->Count(kMsgDiscovery, kSetSuccess) == 1; }));
    ASSERT_EQ(fleet.SetRequests().size(), 1u);
    const auto request = BuildSetRequest(sent);
    EXPECT_EQ(fleet.SetRequests()[0].datagram, request);
    ASSERT_TRUE(WaitForSearches(2));
    EXPECT_LE(fleet.SearchTimes()[1] - posted, 150u);
    EXPECT_EQ(fleet.Camera(0).name, "Lobby");
}

TEST_F(SchedulerTest, SendFailuresAreReportedEveryPeriodWithoutSweeps) {
    ScopedTimeScale fast(10);
    ASSERT_TRUE(orvextest::Ip("addr add 10.9.9.9/32 dev lo"));
    StartOn(L"10.9.9.9");
    ASSERT_TRUE(WaitUntil([&] { return window->Count(kMsgDiscovery, kEventDeviceFound) >= 1; }));

    // The address goes away (the cable is pulled): the send fails, then the bind.
    ASSERT_TRUE(orvextest::Ip("addr del 10.9.9.9/32 dev lo"));
    const std::size_t sweepsBefore = window->Count(kMsgSweepCameras);
    ASSERT_TRUE(WaitUntil([&] { return window->Count(kMsgDiscovery, kSearchBindFailed) >= 3; }));
    EXPECT_EQ(window->Count(kMsgDiscovery, kSendFailed), 1u);
    EXPECT_LE(window->Count(kMsgSweepCameras), sweepsBefore + 1);  // at most one in flight
    std::vector<DWORD> failures;
    for (const auto& e : window->Entries()) {
        if (e.message == kMsgDiscovery && (e.wParam == 1 || e.wParam == 2)) failures.push_back(e.tick);
    }
    for (std::size_t i = 1; i < failures.size(); ++i) {
        EXPECT_GE(failures[i] - failures[i - 1], 2000u - kArrivalJitter);
        EXPECT_LE(failures[i] - failures[i - 1], 2120u);
    }

    // It comes back: the next search binds again and the camera answers.
    const std::size_t replies = window->Count(kMsgDiscovery, kEventDeviceFound);
    ASSERT_TRUE(orvextest::Ip("addr add 10.9.9.9/32 dev lo"));
    EXPECT_TRUE(WaitUntil([&] { return window->Count(kMsgDiscovery, kEventDeviceFound) > replies; }));
}

TEST_F(SchedulerTest, FailedSetRequestIsFollowedByItsOwnSearchAttempt) {
    ScopedTimeScale fast(10);
    ASSERT_TRUE(orvextest::Ip("addr add 10.9.9.8/32 dev lo"));
    StartOn(L"10.9.9.8");
    ASSERT_TRUE(WaitForSearches(1));
    ASSERT_TRUE(orvextest::Ip("addr del 10.9.9.8/32 dev lo"));
    ASSERT_TRUE(scheduler.PostSetRequest(std::make_unique<DeviceRecord>(fleet.Record(0))));
    ASSERT_TRUE(WaitUntil([&] { return window->Count(kMsgDiscovery, kSendFailed) >= 2; }));
    std::vector<DWORD> failures;
    for (const auto& e : window->Entries()) {
        if (e.message == kMsgDiscovery && e.wParam == kSendFailed) failures.push_back(e.tick);
    }
    EXPECT_LE(failures[1] - failures[0], 100u);  // set request failed, then the search
}

TEST_F(SchedulerTest, QueuedSetRequestsAreFreedWhenTheSchedulerStops) {
    StartOn(L"127.0.0.1");
    for (int i = 0; i < 50; ++i) {
        scheduler.PostSetRequest(std::make_unique<DeviceRecord>(fleet.Record(0)));
    }
    scheduler.Stop();  // whatever was still queued is freed (LeakSanitizer checks)
    EXPECT_FALSE(scheduler.PostSetRequest(std::make_unique<DeviceRecord>()));
    EXPECT_FALSE(scheduler.PostSearchNow());
}

TEST_F(SchedulerTest, TickCountWrapDoesNotBurstSearches) {
    ScopedTimeScale fast(10);
    Clock::SetTickCount(0xFFFFFFFFu - 3000);
    StartOn(L"127.0.0.1");
    ASSERT_TRUE(WaitForSearches(5));
    DiscoveryControl::Stop(probe, scheduler);
    const auto searches = fleet.SearchTimes();
    for (std::size_t i = 1; i < searches.size(); ++i) {
        EXPECT_GE(static_cast<DWORD>(searches[i] - searches[i - 1]), 2000u - kArrivalJitter) << "search " << i;
    }
}

}  // namespace
}  // namespace orvex
