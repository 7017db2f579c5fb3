// The virtual cameras' ONVIF side against onvif-util (Debian's onvif-tools), a client we
// did not write: it finds them by WS-Discovery, logs in with a UsernameToken digest and
// reads their identity and network settings, and a wrong password is refused. Our own
// client is tested against these cameras, so they must answer as cameras do.
#include <gtest/gtest.h>

#include "tests/support/NetnsCommand.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/OnvifResponder.h"

namespace {

using orvextest::RunProcess;

camsim::CameraConfig Camera(int n, const std::string& name, const std::string& auth) {
    camsim::CameraConfig c;
    c.ip = "192.0.2." + std::to_string(50 + n);
    c.mask = "255.255.255.0";
    c.gateway = "192.0.2.254";
    c.dns1 = "192.0.2.53";
    c.port = static_cast<std::uint16_t>(8080 + n);
    c.mac = {0x02, 0x4F, 0x52, 0x0E, 0x00, static_cast<std::uint8_t>(n)};
    c.uid = "ORVXPEER000" + std::to_string(n);
    c.name = name;
    c.user = "admin";
    c.password = "S3cret";
    c.onvif.enabled = true;
    c.onvif.auth = auth;
    return c;
}

// onvif-util sits on one end of a veth pair, the cameras on the other: its probes leave
// by a real interface, as on a site, and come in where the cameras listen.
class OnvifToolsPeer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(orvextest::AddCameraSite("p0", "192.0.2.1/24", {"192.0.2.51", "192.0.2.52"}));
        fleet.AddCamera(Camera(1, "Yard", "either"));
        fleet.AddCamera(Camera(2, "Gate", "wsse"));
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        std::vector<camsim::CameraConfig> cameras = {fleet.Camera(0), fleet.Camera(1)};
        ASSERT_TRUE(responder.Start(cameras, "192.0.2.51", &error)) << error;
    }
    void TearDown() override {
        responder.Stop();
        fleet.Stop();
        orvextest::Ip("link del p0");
    }
    // Under a time limit: onvif-util reads its commands until "quit" (and spins at end of file).
    static orvextest::ProcessResult OnvifUtil(std::vector<std::string> args, const std::string& commands = "") {
        args.insert(args.begin(), {"20", "/usr/bin/onvif-util"});
        return RunProcess("/usr/bin/timeout", args, commands);
    }
    static orvextest::ProcessResult Login(const std::string& ip, const std::string& password) {
        return OnvifUtil({"-u", "admin", "-p", password, ip}, "get network\nquit\n");
    }

    camsim::CameraFleet fleet;
    camsim::OnvifResponder responder;
};

TEST_F(OnvifToolsPeer, AnIndependentClientFindsTheCamerasAndReadsThemWithTheirLogin) {
    const auto all = OnvifUtil({"-a"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("Found 2 cameras"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("192.0.2.51 (Yard OrvexSim)"), std::string::npos) << all.out;
    EXPECT_NE(all.out.find("192.0.2.52 (Gate OrvexSim)"), std::string::npos) << all.out;

    for (int n : {1, 2}) {
        const std::string ip = "192.0.2." + std::to_string(50 + n);
        const auto read = Login(ip, "S3cret");
        EXPECT_EQ(read.status, 0) << read.out << read.err;
        EXPECT_NE(read.out.find("serial: ORVXPEER000" + std::to_string(n)), std::string::npos) << read.out;
        EXPECT_NE(read.out.find("IP Address: " + ip), std::string::npos) << read.out;
        EXPECT_NE(read.out.find("Gateway:    192.0.2.254"), std::string::npos) << read.out;
        EXPECT_NE(read.out.find("DNS:        192.0.2.53"), std::string::npos) << read.out;
        EXPECT_NE(read.out.find("DHCP:       NO"), std::string::npos) << read.out;
        EXPECT_EQ(read.out.find("ERROR"), std::string::npos) << read.out;

        const auto refused = Login(ip, "wrong");
        EXPECT_NE(refused.status, 0) << refused.out;
        EXPECT_NE(refused.out.find("ter:NotAuthorized"), std::string::npos) << refused.out;
        EXPECT_EQ(refused.out.find("IP Address"), std::string::npos) << refused.out;
    }
}

}  // namespace
