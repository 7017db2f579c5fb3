// The whole road of a camera reply: virtual cameras, socket, listener, scheduler, posted
// messages and the camera table, on loopback with a faster clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>

#include "discovery/CameraTable.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "platform/QueueWindow.h"
#include "tests/support/RecordingTableView.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"

namespace orvex {
namespace {

class DiscoveryEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 1; i <= 3; ++i) {
            camsim::CameraConfig c;
            c.ip = "127.0.0." + std::to_string(30 + i);
            c.mac[5] = static_cast<std::uint8_t>(i);
            c.port = static_cast<std::uint16_t>(80 + i);
            c.name = i == 2 ? "Caf\xC3\xA9 \xE9\x97\xA8" : "cam" + std::to_string(i);
            c.version = "1.2.15.4";
            fleet.AddCamera(c);
        }
        fleet.SetReplySpread(100);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_EQ(DiscoveryControl::Start(probe, scheduler, L"127.0.0.1", window->Handle()),
                  DiscoveryControl::kStarted);
    }
    void TearDown() override {
        DiscoveryControl::Stop(probe, scheduler);
        window->Close();
        for (const auto& msg : window->Queue().TakeAll()) DiscoveryControl::Handle(msg, table);
        fleet.Stop();
    }
    // Handles window messages until the condition holds after a sweep (or time runs out).
    bool PumpUntilSweep(const std::function<bool()>& condition, int maxSweeps = 6) {
        for (int sweeps = 0; sweeps < maxSweeps;) {
            auto msg = window->Queue().Wait(3000);
            if (!msg) return false;
            if (DiscoveryControl::Handle(*msg, table).kind == DiscoveryOutcome::kSweep) {
                ++sweeps;
                ++sweepCount;
                if (condition()) return true;
            }
            mostRows = std::max(mostRows, view.rows.size());
        }
        return false;
    }
    std::vector<std::wstring> Names() {
        std::vector<std::wstring> names;
        for (const auto& row : view.rows) names.push_back(row.name);
        return names;
    }

    orvextest::ScopedTimeScale fast{10};
    camsim::CameraFleet fleet;
    std::shared_ptr<platform::QueueWindow> window = platform::QueueWindow::Create();
    orvextest::RecordingTableView view;
    CameraTable table{&view};
    CLanprobe probe;
    CUpdateThread scheduler;
    int sweepCount = 0;
    std::size_t mostRows = 0;
};

TEST_F(DiscoveryEndToEnd, CamerasAppearWithLetterNameAddressAndPort) {
    ASSERT_TRUE(PumpUntilSweep([&] { return view.rows.size() == 3; }));
    std::vector<CameraRow> rows = view.rows;
    std::sort(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.ip < b.ip; });
    EXPECT_EQ(rows[0], (CameraRow{L"T", L"cam1", L"127.0.0.31", L"81"}));
    EXPECT_EQ(rows[1], (CameraRow{L"T", L"Café 门", L"127.0.0.32", L"82"}));
    EXPECT_EQ(rows[2], (CameraRow{L"T", L"cam3", L"127.0.0.33", L"83"}));
    EXPECT_EQ(view.shownCount, 3u);
}

TEST_F(DiscoveryEndToEnd, SilentCameraLeavesAtTheSecondSweep) {
    ASSERT_TRUE(PumpUntilSweep([&] { return view.rows.size() == 3; }));
    fleet.SetMuted(0, true);
    const int mutedAt = sweepCount;
    ASSERT_TRUE(PumpUntilSweep([&] { return view.rows.size() == 2; }));
    // It may have answered the first search of the current pair; never later than two sweeps.
    EXPECT_LE(sweepCount - mutedAt, 2);
    for (const auto& row : view.rows) EXPECT_NE(row.ip, L"127.0.0.31");
}

TEST_F(DiscoveryEndToEnd, RenamedCameraShowsItsNewNameAfterTheNextSweep) {
    ASSERT_TRUE(PumpUntilSweep([&] { return view.rows.size() == 3; }));
    fleet.SetName(2, "Back yard");
    ASSERT_TRUE(PumpUntilSweep([&] {
        const auto names = Names();
        return std::find(names.begin(), names.end(), L"Back yard") != names.end();
    }, 2));
    EXPECT_EQ(view.rows.size(), 3u);
}

TEST_F(DiscoveryEndToEnd, MovedCameraIsListedTwiceUntilItsOldEntryIsSwept) {
    ASSERT_TRUE(PumpUntilSweep([&] { return view.rows.size() == 3; }));
    fleet.SetAddress(0, "127.0.0.99");
    mostRows = 0;
    ASSERT_TRUE(PumpUntilSweep([&] {
        for (const auto& row : view.rows) {
            if (row.ip == L"127.0.0.31") return false;
        }
        return true;
    }));
    EXPECT_EQ(mostRows, 4u);  // old and new address side by side until the sweep
    EXPECT_EQ(view.rows.size(), 3u);
    std::vector<std::wstring> ips;
    for (const auto& row : view.rows) ips.push_back(row.ip);
    EXPECT_NE(std::find(ips.begin(), ips.end(), L"127.0.0.99"), ips.end());
    EXPECT_EQ(std::find(ips.begin(), ips.end(), L"127.0.0.31"), ips.end());
}

}  // namespace
}  // namespace orvex
