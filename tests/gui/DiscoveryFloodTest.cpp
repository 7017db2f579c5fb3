// The window while a device floods port 8600 with replies from cameras that do not exist.
#include <QAbstractButton>
#include <algorithm>
#include <atomic>
#include <thread>

#include "platform/Clock.h"
#include "tests/gui/MainWindowFixture.h"

namespace orvex {
namespace {

TEST_F(MainWindow, AFloodOfSpoofedRepliesLeavesTheWindowUsableAndPassesWithoutATrace) {
    ASSERT_TRUE(WaitForRows(3));
    constexpr unsigned kRate = 4000;  // replies a second, for two seconds
    fleet.StartFlood(kRate, 2);
    ASSERT_TRUE(SpinUntil([&] { return fleet.FloodSent() > 0; }));

    // Clicks on Find, queued to the window as input is, while the flood goes on.
    auto* find = window->ItemAs<QAbstractButton>(1020);
    std::vector<std::pair<platform::DWORD, platform::DWORD>> clicks;  // queued, handled
    std::size_t mostListed = 0;
    while (fleet.FloodRunning()) {
        const std::size_t index = clicks.size();
        clicks.emplace_back(platform::Clock::TickCount(), 0);
        QMetaObject::invokeMethod(find, [&, index] {
            clicks[index].second = platform::Clock::TickCount();
            find->click();
        }, Qt::QueuedConnection);
        SpinUntil([&] {
            mostListed = std::max(mostListed, window->Table().Count());
            return clicks[index].second != 0;
        }, 2000);
        QTest::qWait(50);
    }
    ASSERT_GE(clicks.size(), 5u);
    QTest::qWait(100);  // the last click's search arrives
    const auto searches = fleet.SearchTimes();
    for (const auto& [queued, handled] : clicks) {
        ASSERT_NE(handled, 0u) << "a click was never handled";
        // The click's search leaves within a second of clock time (100 ms real).
        const auto search = std::find_if(searches.begin(), searches.end(), [&](platform::DWORD t) {
            return static_cast<std::int32_t>(t - handled) >= 0;
        });
        ASSERT_NE(search, searches.end());
        EXPECT_LT(static_cast<std::int32_t>(*search - queued), 1000);
    }
    EXPECT_GT(mostListed, 100u);  // the spoofs did reach the list
    EXPECT_LE(mostListed, CameraTable::kMaxCameras);

    // Within two sweeps after the flood (at most three search periods and 200 ms, 0.62 s
    // at this clock) only the real cameras are left.
    ASSERT_TRUE(WaitForRows(3, 1500));
    for (const char* ip : {"10.0.0.57", "10.0.0.58", "10.0.0.59"}) EXPECT_GE(RowOf(ip), 0) << ip;
    EXPECT_EQ(Label(1019), L"Count:3");
}

}  // namespace
}  // namespace orvex
