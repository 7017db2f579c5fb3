#include "discovery/CameraTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "discovery/DiscoveryCodec.h"
#include "tests/support/RecordingTableView.h"

namespace orvex {
namespace {

using Calls = std::vector<std::string>;

DeviceRecord Reply(int mac, const char* ip, const char* name, std::uint16_t port = 80) {
    DeviceRecord r;
    r.abyMac[0] = 0x02;  // locally administered, as every MAC we invent
    r.abyMac[5] = static_cast<std::uint8_t>(mac);
    std::strcpy(r.szIp, ip);
    std::strcpy(r.szName, name);
    std::strcpy(r.szVersion, "1.7.15.4");
    r.wPort = port;
    r.bAlive = 1;
    r.nMode = 2;
    return r;
}

class CameraTableTest : public ::testing::Test {
protected:
    orvextest::RecordingTableView view;
    CameraTable table{&view};
};

TEST_F(CameraTableTest, RepliesOfTheSameCameraMergeWithoutTouchingItsRow) {
    EXPECT_TRUE(table.AddCamera(Reply(1, "10.0.0.5", "Door")));
    EXPECT_EQ(view.TakeCalls(), (Calls{"insert 0 Door"}));
    EXPECT_TRUE(table.AddCamera(Reply(1, "10.0.0.5", "Door 2", 81)));
    EXPECT_TRUE(view.TakeCalls().empty());
    ASSERT_EQ(table.Count(), 1u);
    EXPECT_STREQ(table.Entries()[0].szName, "Door 2");  // the entry is replaced
    EXPECT_EQ(view.rows[0].name, L"Door");              // the row waits for the sweep
    EXPECT_EQ(view.rows[0].mode, L"F");
    EXPECT_EQ(view.shownCount, 1u);

    // The next sweep brings the row up to date, in place.
    EXPECT_TRUE(table.SweepCameras());
    EXPECT_EQ(view.TakeCalls(), (Calls{"delete 0", "insert 0 Door 2"}));
    EXPECT_EQ(view.rows[0].port, L"81");
}

// A camera that answers both protocols is one row, its native one; an ONVIF-only camera
// is a row of its own, its mode ONVIF.
TEST_F(CameraTableTest, AnOnvifCameraIsListedUnlessItsAddressIsANativeCamerasAlready) {
    table.AddCamera(Reply(1, "10.0.0.5", "Door"));
    DeviceRecord both = Reply(1, "10.0.0.5", "Door by ONVIF");
    both.nMode = kModeOnvif;
    EXPECT_TRUE(table.AddCamera(both));
    DeviceRecord only = Reply(9, "10.0.0.6", "Lobby");
    only.nMode = kModeOnvif;
    EXPECT_TRUE(table.AddCamera(only));
    EXPECT_EQ(view.TakeCalls(), (Calls{"insert 0 Door", "insert 1 Lobby"}));
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_STREQ(table.Entries()[0].szName, "Door");
    EXPECT_EQ(view.rows[1].mode, L"ONVIF");
}

TEST_F(CameraTableTest, CameraLeavesAtTheFirstSweepWithoutAReply) {
    table.AddCamera(Reply(1, "10.0.0.1", "A"));
    table.AddCamera(Reply(2, "10.0.0.2", "B"));
    table.SweepCameras();
    view.TakeCalls();
    table.AddCamera(Reply(2, "10.0.0.2", "B"));
    table.SweepCameras();
    EXPECT_EQ(view.TakeCalls(), (Calls{"delete 0"}));
    ASSERT_EQ(table.Count(), 1u);
    EXPECT_EQ(view.rows[0].name, L"B");
    EXPECT_EQ(table.Entries()[0].bAlive, 0);
    table.SweepCameras();
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(view.shownCount, 0u);
    EXPECT_EQ(view.shown, "none");
}

TEST_F(CameraTableTest, CameraWithANewAddressIsListedTwiceUntilTheOldOneIsSwept) {
    table.AddCamera(Reply(7, "10.0.0.7", "Cam"));
    table.AddCamera(Reply(7, "192.168.1.7", "Cam"));
    EXPECT_EQ(table.Count(), 2u);
    table.SweepCameras();
    table.AddCamera(Reply(7, "192.168.1.7", "Cam"));
    table.SweepCameras();
    ASSERT_EQ(table.Count(), 1u);
    EXPECT_EQ(view.rows[0].ip, L"192.168.1.7");
}

TEST_F(CameraTableTest, SelectionFollowsRemovalsAndIsClearedWhenItsCameraLeaves) {
    table.AddCamera(Reply(1, "10.0.0.1", "A"));
    table.AddCamera(Reply(2, "10.0.0.2", "B"));
    table.AddCamera(Reply(3, "10.0.0.3", "C"));
    table.Select(1);
    EXPECT_EQ(view.shown, "10.0.0.2");
    table.SweepCameras();
    table.AddCamera(Reply(2, "10.0.0.2", "B"));
    table.AddCamera(Reply(3, "10.0.0.3", "C"));
    view.TakeCalls();
    table.SweepCameras();  // A leaves; B stays selected, now at index 0
    EXPECT_EQ(view.TakeCalls(), (Calls{"delete 0"}));
    EXPECT_EQ(table.SelectedIndex(), 0);
    EXPECT_EQ(view.shown, "10.0.0.2");

    table.AddCamera(Reply(3, "10.0.0.3", "C"));
    table.SweepCameras();  // B itself leaves
    EXPECT_EQ(table.SelectedIndex(), -1);
    EXPECT_EQ(view.shown, "none");
    EXPECT_EQ(table.Count(), 1u);

    table.Select(5);  // a click below the rows
    EXPECT_EQ(table.SelectedIndex(), -1);
    EXPECT_EQ(MacText(table.SelectedRecord()), "00:00:00:00:00:00");
}

TEST_F(CameraTableTest, NonAsciiNameKeepsItsRowFromSweepToSweep) {
    table.AddCamera(Reply(4, "10.0.0.4", "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA  "));
    EXPECT_EQ(view.rows[0].name, L"停车场  ");
    view.TakeCalls();
    for (int i = 0; i < 3; ++i) {
        table.SweepCameras();
        table.AddCamera(Reply(4, "10.0.0.4", "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA"));
    }
    EXPECT_TRUE(view.TakeCalls().empty());  // trimmed texts compare equal
}

TEST_F(CameraTableTest, ClearEmptiesListAndPages) {
    table.AddCamera(Reply(1, "10.0.0.1", "A"));
    table.AddCamera(Reply(2, "10.0.0.2", "B"));
    table.Select(0);
    view.TakeCalls();
    table.Clear();
    EXPECT_EQ(view.TakeCalls(), (Calls{"delete 1", "delete 0", "show none"}));
    EXPECT_EQ(table.Count(), 0u);
    EXPECT_EQ(view.shownCount, 0u);
    EXPECT_EQ(table.SelectedIndex(), -1);
}

TEST_F(CameraTableTest, FindCameraByMacGivesTheCurrentAddress) {
    DeviceRecord r = Reply(0x2A, " 10.0.0.42", "X", 8080);
    r.abyMac[0] = 0xAE;
    table.AddCamera(r);
    std::string ip;
    int port = 0;
    EXPECT_TRUE(table.FindCameraByMac(" AE:00:00:00:00:2A ", &ip, &port));
    EXPECT_EQ(ip, "10.0.0.42");
    EXPECT_EQ(port, 8080);
    EXPECT_FALSE(table.FindCameraByMac("ae:00:00:00:00:2a", &ip, &port));  // exact text
    EXPECT_FALSE(table.FindCameraByMac("AE:00:00:00:00:2B", &ip, &port));
}

TEST_F(CameraTableTest, LookupsFromAnotherThreadNeverSeeAHalfChangedTable) {
    std::atomic<bool> stop{false};
    std::atomic<int> found{0};
    std::thread ticker([&] {
        std::string ip;
        int port = 0;
        while (!stop) {
            if (table.FindCameraByMac("02:00:00:00:00:01", &ip, &port)) {
                EXPECT_EQ(port, 81);
                ++found;
            }
        }
    });
    int dropped = 0;
    int round = 0;
    for (; round < 200000 && (round < 2000 || found < 100); ++round) {
        dropped += !table.AddCamera(Reply(1, "10.0.0.1", "A", 81));
        table.AddCamera(Reply(static_cast<int>(2 + round % 50), "10.0.0.9", "B"));
        table.SweepCameras();
    }
    stop = true;
    ticker.join();
    EXPECT_GE(found.load(), 100);
    EXPECT_LT(dropped, round);
}

}  // namespace
}  // namespace orvex

namespace orvex {
namespace {

TEST(CameraTableLimit, NewCamerasWaitForRoomWhileListedOnesStayFresh) {
    orvextest::RecordingTableView view;
    CameraTable table(&view, 3);
    for (int mac = 1; mac <= 4; ++mac) table.AddCamera(Reply(mac, "10.0.0.1", "Cam"));
    EXPECT_EQ(table.Count(), 3u);  // the fourth waits
    std::string ip;
    EXPECT_FALSE(table.FindCameraByMac("02:00:00:00:00:04", &ip, nullptr));
    table.AddCamera(Reply(1, "10.0.0.1", "Renamed"));
    EXPECT_STREQ(table.Entries()[0].szName, "Renamed");  // a listed camera is still refreshed

    table.SweepCameras();                          // all answered: all stay
    table.AddCamera(Reply(3, "10.0.0.1", "Cam"));  // only the third answers again
    table.SweepCameras();                          // the first two leave
    ASSERT_EQ(table.Count(), 1u);
    table.AddCamera(Reply(4, "10.0.0.1", "Cam"));  // room again
    table.AddCamera(Reply(3, "10.0.0.1", "Merged"));
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_STREQ(table.Entries()[0].szName, "Merged");  // the index followed the removals
    int port = 0;
    EXPECT_TRUE(table.FindCameraByMac("02:00:00:00:00:04", &ip, &port));
    EXPECT_FALSE(table.FindCameraByMac("02:00:00:00:00:01", &ip, &port));
}

}  // namespace
}  // namespace orvex
