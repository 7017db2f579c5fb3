// orvexctl onvif against virtual cameras' device services: identity, clock and network
// read with either login (a camera whose clock is an hour off included), a wrong password
// reported with the camera's fault, clocks set and read back, reboots seen through, and
// the changes journaled.
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/OnvifResponder.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

camsim::CameraConfig Device(int n, const std::string& auth, long long clock) {
    camsim::CameraConfig c;
    c.ip = "127.0.4." + std::to_string(n);
    c.port = static_cast<std::uint16_t>(8100 + n);
    c.mac = {0x02, 0x4F, 0x52, 0x0D, 0x00, static_cast<std::uint8_t>(n)};
    c.password = "S3cret";
    c.onvif.enabled = true;
    c.onvif.auth = auth;
    c.onvif.clockOffset = clock;
    c.faults.restartMs = 1500;
    return c;
}

class OnvifDevices : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_PASSWORD", "S3cret", 1);
        fleet.AddCamera(Device(1, "either", 3600));  // an hour fast: requests signed in its time
        fleet.AddCamera(Device(2, "digest", -90));
        camsim::CameraConfig strict = Device(3, "wsse", 0);
        strict.onvif.refuseReplay = true;  // a fresh nonce for every request, or refused
        fleet.AddCamera(strict);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
    }
    void TearDown() override {
        unsetenv("ORVEX_PASSWORD");
        fleet.Stop();
    }
    orvextest::ProcessResult Onvif(std::vector<std::string> args) {
        args.insert(args.begin(), "onvif");
        for (int n = 1; n <= 3; ++n) args.insert(args.end(), {"--host", "127.0.4." + std::to_string(n) + ":" + std::to_string(8100 + n)});
        args.insert(args.end(), {"--format", "json"});
        return RunProcess(ToolPath("ORVEXCTL"), args);
    }

    camsim::CameraFleet fleet;
};

TEST_F(OnvifDevices, InfoReadsEveryDeviceWithTheLoginItTakesAndAWrongPasswordIsItsFault) {
    const auto r = Onvif({"info"});
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    const Json::Value d = ParseJson(r.out);
    EXPECT_EQ(d["report"].asString(), "onvif");
    EXPECT_EQ(d["succeeded"].asInt(), 3);
    const Json::Value& first = d["results"][0];
    EXPECT_EQ(first["manufacturer"].asString(), "Orvex Sim");
    EXPECT_EQ(first["firmware"].asString(), "1.7.15.4");
    EXPECT_EQ(first["mac"].asString(), "02:4F:52:0D:00:01");
    EXPECT_EQ(first["ip"].asString(), "127.0.4.1");
    EXPECT_EQ(first["mask"].asString(), "255.0.0.0");
    EXPECT_EQ(first["gateway"].asString(), "127.0.0.254");
    EXPECT_EQ(first["dns1"].asString(), "127.0.0.53");
    EXPECT_FALSE(first["dhcp"].asBool());
    EXPECT_NEAR(first["clock_offset_s"].asDouble(), 3600, 2);
    EXPECT_NEAR(d["results"][1]["clock_offset_s"].asDouble(), -90, 2);

    setenv("ORVEX_PASSWORD", "wrong", 1);
    const auto denied = Onvif({"info"});
    EXPECT_EQ(denied.status, 1);
    const Json::Value deniedReport = ParseJson(denied.out);
    for (const Json::Value& row : deniedReport["results"]) {
        EXPECT_EQ(row["result"].asString(), "failed");
        EXPECT_NE(row["reason"].asString().find("ter:NotAuthorized"), std::string::npos) << row["reason"];
        EXPECT_EQ(row["manufacturer"].asString(), "");
    }
}

// An old device takes the password only in plain text: it is never sent so unless the
// user allows it, and then only to a device that refused the digest.
TEST(OnvifPlaintext, ThePasswordGoesInPlainTextOnlyWhenAllowedAndOnlyToADeviceRefusingTheDigest) {
    camsim::CameraFleet fleet;
    fleet.AddCamera(Device(8, "text", 0));
    fleet.AddCamera(Device(9, "wsse", 0));
    std::string error;
    ASSERT_TRUE(fleet.Start(&error)) << error;
    ASSERT_TRUE(fleet.StartWeb(&error)) << error;
    setenv("ORVEX_PASSWORD", "S3cret", 1);
    const auto info = [](int n, std::vector<std::string> more) {
        std::vector<std::string> args = {"onvif", "info", "--host", "127.0.4." + std::to_string(n) + ":" + std::to_string(8100 + n),
                                         "--format", "json"};
        args.insert(args.end(), more.begin(), more.end());
        return RunProcess(ToolPath("ORVEXCTL"), args);
    };
    const auto refused = info(8, {});
    EXPECT_EQ(refused.status, 1) << refused.out;
    EXPECT_NE(ParseJson(refused.out)["results"][0]["reason"].asString().find("ter:NotAuthorized"), std::string::npos);
    EXPECT_EQ(fleet.Web(0).PlaintextPasswordsSeen(), 0);

    const auto allowed = info(8, {"--allow-plaintext"});
    ASSERT_EQ(allowed.status, 0) << allowed.err << allowed.out;
    EXPECT_EQ(ParseJson(allowed.out)["results"][0]["manufacturer"].asString(), "Orvex Sim");
    EXPECT_GT(fleet.Web(0).PlaintextPasswordsSeen(), 0);

    // A device that takes the digest never sees the password, allowed or not.
    EXPECT_EQ(info(9, {"--allow-plaintext"}).status, 0);
    EXPECT_EQ(fleet.Web(1).PlaintextPasswordsSeen(), 0);

    // A wrong password is refused in plain text too: a fault, tried once, never success.
    setenv("ORVEX_PASSWORD", "wrong", 1);
    const int before = fleet.Web(0).PlaintextPasswordsSeen();
    const auto wrong = info(8, {"--allow-plaintext"});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_NE(ParseJson(wrong.out)["results"][0]["reason"].asString().find("ter:NotAuthorized"), std::string::npos);
    EXPECT_LE(fleet.Web(0).PlaintextPasswordsSeen() - before, 1);
    unsetenv("ORVEX_PASSWORD");
    fleet.Stop();
}

TEST_F(OnvifDevices, TimeSyncSetsEachClockAndReadsItBack) {
    const auto r = Onvif({"time-sync"});
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    const Json::Value syncReport = ParseJson(r.out);
    for (const Json::Value& row : syncReport["results"]) {
        EXPECT_EQ(row["result"].asString(), "verified") << row;
        EXPECT_LT(std::llabs(row["clock_offset_after_s"].asInt64()), 2) << row;
        EXPECT_EQ(row["journal"].asString(), "written");
    }
    EXPECT_NEAR(static_cast<double>(fleet.Web(0).Config().onvif.clockOffset), 0, 2);
    const auto ntp = RunProcess(ToolPath("ORVEXCTL"), {"onvif", "time-sync", "--ntp", "127.0.0.123", "--host",
                                                       "127.0.4.3:8103"});
    EXPECT_EQ(ntp.status, 0) << ntp.err << ntp.out;
    EXPECT_EQ(fleet.Web(2).Config().onvif.ntpServer, "127.0.0.123");
    // Each change is in the journal: sent, and its result.
    const auto listed = RunProcess(ToolPath("ORVEXCTL"), {"journal", "--format", "json"});
    std::size_t syncs = 0;
    const Json::Value journalReport = ParseJson(listed.out);
    for (const Json::Value& entry : journalReport["entries"]) {
        syncs += entry["action"].asString() == "onvif time-sync" && entry["result"].asString() == "verified";
    }
    EXPECT_GE(syncs, 4u) << listed.out;
}

TEST_F(OnvifDevices, ARebootIsVerifiedWhenTheDeviceComesBack) {
    // Its restart takes 1.5 s: long enough to be seen between the status reads.
    const auto r = RunProcess(ToolPath("ORVEXCTL"), {"onvif", "reboot", "--host", "127.0.4.2:8102", "--reboot-seconds",
                                                     "20", "--format", "json"});
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(ParseJson(r.out)["results"][0]["result"].asString(), "verified");
    // One that never comes back is not verified.
    camsim::WebFaults faults = fleet.Web(0).Config().faults;
    faults.neverComesBack = true;
    fleet.Web(0).SetFaults(faults);
    const auto gone = RunProcess(ToolPath("ORVEXCTL"), {"onvif", "reboot", "--host", "127.0.4.1:8101", "--reboot-seconds",
                                                        "2", "--format", "json"});
    EXPECT_EQ(gone.status, 1);
    const Json::Value row = ParseJson(gone.out)["results"][0];
    EXPECT_EQ(row["result"].asString(), "not verified");
    EXPECT_EQ(row["reason"].asString(), "it did not answer again in time");
}

TEST_F(OnvifDevices, CamerasFoundByAScanAreReadWhereTheirRepliesCameFrom) {
    camsim::OnvifResponder responder;
    std::vector<camsim::CameraConfig> cameras;
    for (std::size_t i = 0; i < fleet.CameraCount(); ++i) cameras.push_back(fleet.Camera(i));
    std::string error;
    ASSERT_TRUE(responder.Start(cameras, "127.0.0.1", &error)) << error;
    const auto r = RunProcess(ToolPath("ORVEXCTL"), {"onvif", "info", "--from-scan", "--bind", "127.0.0.1",
                                                     "--scan-seconds", "1", "--format", "json"});
    responder.Stop();
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_EQ(ParseJson(r.out)["results"].size(), 3u);
    EXPECT_EQ(RunProcess(ToolPath("ORVEXCTL"), {"onvif", "info"}).status, 2);
    EXPECT_EQ(RunProcess(ToolPath("ORVEXCTL"), {"onvif", "dance", "--host", "127.0.4.1"}).status, 2);
}

}  // namespace
