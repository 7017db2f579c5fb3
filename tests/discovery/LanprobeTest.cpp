#include "discovery/Lanprobe.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

#include "discovery/DiscoveryCodec.h"
#include "tests/support/CallbackRecorder.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"

namespace orvex {
namespace {

using orvextest::CallbackRecorder;
using orvextest::WaitUntil;

camsim::CameraConfig Camera(int n, const std::string& name = "") {
    camsim::CameraConfig c;
    c.ip = "127.0.0." + std::to_string(10 + n);
    c.mac = {0x02, 0x4F, 0x52, 0x00, 0x00, static_cast<std::uint8_t>(n)};
    c.port = static_cast<std::uint16_t>(8000 + n);
    c.name = name.empty() ? "cam" + std::to_string(n) : name;
    c.version = "1.7.60." + std::to_string(n);
    c.uid = "ORVX00000" + std::to_string(n) + "ABCDE";
    c.ddnsPassword = "pw" + std::to_string(n);
    c.netMode = static_cast<std::uint8_t>(n % 2);
    return c;
}

class LanprobeTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string error;
        fleet.AddCamera(Camera(1));
        fleet.AddCamera(Camera(2, "停车场 Café"));
        ASSERT_TRUE(fleet.Start(&error)) << error;
    }
    void TearDown() override {
        probe.CloseListenThread();
        fleet.Stop();
    }

    camsim::CameraFleet fleet;
    CLanprobe probe;
    CallbackRecorder recorder;
};

TEST_F(LanprobeTest, SearchFindsEveryCameraWithItsFields) {
    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    EXPECT_EQ(probe.SendSearch(), 0);
    EXPECT_EQ(probe.LocalPort(), kLocalPort);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) == 2; }));

    for (const auto& event : recorder.Events()) {
        const DeviceRecord& r = event.record;
        const int n = r.abyMac[5];
        const camsim::CameraConfig expected = fleet.Camera(static_cast<std::size_t>(n - 1));
        EXPECT_EQ(std::string(r.szIp), expected.ip);
        EXPECT_EQ(r.wPort, expected.port);
        EXPECT_EQ(std::string(r.szName), expected.name);  // UTF-8 bytes untouched
        EXPECT_EQ(std::string(r.szVersion), expected.version);
        EXPECT_EQ(std::string(r.szDeviceId), expected.uid);
        EXPECT_EQ(std::string(r.szDdnsPassword), expected.ddnsPassword);
        EXPECT_EQ(r.byNetMode, expected.netMode);
        EXPECT_EQ(r.nMode, 3);
        EXPECT_EQ(r.bAlive, 1);
        EXPECT_EQ(PayloadBytes(r)[300], camsim::ReservedPattern(300));
    }
}

TEST_F(LanprobeTest, TakenPortFallsBackToASystemPortAndStillHearsReplies) {
    const int blocker = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    local.sin_port = htons(kLocalPort);
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr*>(&local), sizeof(local)), 0);

    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    EXPECT_EQ(probe.SendSearch(), 0);
    EXPECT_NE(probe.LocalPort(), kLocalPort);
    EXPECT_NE(probe.LocalPort(), 0);
    EXPECT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) == 2; }));
    close(blocker);
}

TEST_F(LanprobeTest, AddressOfNoLocalAdapterFailsWithCodeOne) {
    for (const wchar_t* ip : {L"192.0.2.77", L"not an address", L""}) {
        probe.SetBindIPAddr(ip);
        EXPECT_EQ(probe.SendSearch(), 1) << ip;
        EXPECT_FALSE(probe.IsReady());
        EXPECT_EQ(probe.LocalPort(), 0);
    }
    EXPECT_FALSE(probe.SendSetParams(DeviceParams{}));  // never creates a socket
}

TEST_F(LanprobeTest, SetRequestReachesTheCameraAndItsResultComesBack) {
    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    ASSERT_EQ(probe.SendSearch(), 0);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) == 2; }));

    DeviceRecord edit = fleet.Record(0);
    std::strcpy(edit.szUser, "admin");
    std::strcpy(edit.szPassword, "wrong");
    ASSERT_TRUE(probe.SendSetParams(ParamsOf(edit)));
    EXPECT_TRUE(WaitUntil([&] { return recorder.Count(kSetBadLogin) == 1; }));

    std::strcpy(edit.szPassword, "");
    std::strcpy(edit.szName, "Renamed");
    ASSERT_TRUE(probe.SendSetParams(ParamsOf(edit)));
    EXPECT_TRUE(WaitUntil([&] { return recorder.Count(kSetSuccess) == 1; }));
    EXPECT_EQ(fleet.Camera(0).name, "Renamed");
    for (const auto& e : recorder.Events()) {
        if (e.code == kSetSuccess) {
            EXPECT_STREQ(e.record.szName, "Renamed");
        }
    }
}

TEST_F(LanprobeTest, EmptyAndForeignDatagramsDoNotStopTheListener) {
    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    ASSERT_EQ(probe.SendSearch(), 0);
    ASSERT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) == 2; }));

    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(probe.LocalPort());
    const auto search = BuildSearchRequest();
    sendto(sender, "", 0, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
    sendto(sender, "HD\x01\x08", 4, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
    sendto(sender, search.data(), search.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
    std::vector<std::uint8_t> big(3000, 0x44);
    sendto(sender, big.data(), big.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
    close(sender);

    ASSERT_EQ(probe.SendSearch(), 0);
    EXPECT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) == 4; }));
    EXPECT_EQ(recorder.Events().size(), 4u);  // nothing else reached the callback
}

TEST_F(LanprobeTest, CloseListenThreadReleasesEverythingAndClearsTheCallback) {
    CLanprobe idle;
    idle.CloseListenThread();  // never started: only the socket is released
    EXPECT_FALSE(idle.IsListening());

    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    EXPECT_FALSE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    ASSERT_EQ(probe.SendSearch(), 0);
    probe.CloseListenThread();
    EXPECT_FALSE(probe.IsListening());
    EXPECT_FALSE(probe.IsReady());
    EXPECT_EQ(probe.LocalPort(), 0);
    // The next search must create a socket again.
    EXPECT_EQ(probe.SendSearch(), 0);
    EXPECT_TRUE(probe.IsReady());
}

TEST_F(LanprobeTest, SocketRecreatedWhileTheListenerRuns) {
    probe.SetBindIPAddr(L"127.0.0.1");
    ASSERT_TRUE(probe.OpenListenThread(&CallbackRecorder::Callback, &recorder));
    for (int round = 1; round <= 20; ++round) {
        ASSERT_EQ(probe.SendSearch(), 0);
        probe.ClearSearchOk();  // as after a send failure: the next search re-creates
        probe.UninitSocket();
    }
    ASSERT_EQ(probe.SendSearch(), 0);
    EXPECT_TRUE(WaitUntil([&] { return recorder.Count(kEventDeviceFound) >= 2; }));
}

}  // namespace
}  // namespace orvex
