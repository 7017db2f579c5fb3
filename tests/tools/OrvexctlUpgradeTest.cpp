// orvexctl upgrade and set-uid as a user runs them, against a virtual camera.
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <fstream>

#include "tests/support/FirmwareImage.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"

namespace {

using orvextest::RunProcess;
using orvextest::ToolPath;

class OrvexctlUpgrade : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_TIME_SCALE", "20", 1);
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
        camsim::CameraConfig c;
        c.ip = "127.0.0.91";
        c.port = 8091;
        c.password = "pw";
        c.version = "1.7.15.4";
        c.faults.slowReplyMs = 1500;
        fleet.AddCamera(c);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        ASSERT_TRUE(firmware.Start(&error)) << error;
    }
    void TearDown() override {
        unsetenv("ORVEX_TIME_SCALE");
        firmware.Stop();
        fleet.Stop();
    }
    std::vector<std::string> Args(std::vector<std::string> more, const char* password = "pw") {
        std::vector<std::string> args = {"upgrade", "--host", "127.0.0.91", "--port", "8091",
                                         "--user", "admin", "--password", password};
        args.insert(args.end(), more.begin(), more.end());
        return args;
    }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
};

TEST_F(OrvexctlUpgrade, SmartRunPrintsEveryStatusAndSucceeds) {
    const auto r = RunProcess(ToolPath("ORVEXCTL"), Args({"--smart", "--version", "1.7.15.4"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "status -1 Begin upgrade...\n"
              "status 10 The device is connected to normal\n"
              "status 29 The current device firmware version is 1.7.15.4\n"
              "status 31 The latest device firmware version is 1.7.15.9\n"
              "status 35 Upgrade System Firmware...1\n"
              "status 36 System Firmware upgrade to complete reboot...1\n"
              "status 38 This upgrade is completed\n");
}

TEST_F(OrvexctlUpgrade, SameVersionIsLeftAloneUnlessReinstalledAndThenAsks) {
    auto s = firmware.Current();
    s.sameVersion = true;
    firmware.Change(s);
    const auto left = RunProcess(ToolPath("ORVEXCTL"), Args({"--smart", "--yes"}));
    EXPECT_EQ(left.status, 0) << left.err;
    EXPECT_TRUE(left.err.empty()) << left.err;  // nothing to ask
    EXPECT_EQ(left.out, "127.0.0.91:8091: already runs 1.7.15.4; nothing sent (--reinstall sends it again)\n");
    const auto version = [&] { return RunProcess(ToolPath("ORVEXCTL"), Args({"--smart", "--reinstall", "--version", "1.7.15.4"})); };
    const auto cancelled = version();
    EXPECT_EQ(cancelled.status, 1);
    EXPECT_NE(cancelled.err.find("The device is the latest firmware, Please confirm whether to continue the upgrade?"),
              std::string::npos);
    EXPECT_NE(cancelled.out.find("status 28 Cancel the upgrade\n"), std::string::npos) << cancelled.out;
    const auto ok = RunProcess(ToolPath("ORVEXCTL"), Args({"--smart", "--reinstall", "--version", "1.7.15.4"}), "ok\n");
    EXPECT_EQ(ok.status, 0) << ok.out;
    const auto yes = RunProcess(ToolPath("ORVEXCTL"), Args({"--smart", "--reinstall", "--version", "1.7.15.4", "--yes"}));
    EXPECT_EQ(yes.status, 0);
    EXPECT_TRUE(yes.err.empty());
}

TEST_F(OrvexctlUpgrade, ManualRunsAndTheirFailures) {
    const std::string path = "/tmp/orvex-ctl-fw-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary) << orvextest::FirmwareImage("1.7.15.6");
    const auto web = RunProcess(ToolPath("ORVEXCTL"), Args({"--webui", path}));
    EXPECT_EQ(web.status, 0);
    EXPECT_EQ(web.out.substr(0, 10), "status -1\n");
    EXPECT_NE(web.out.find("status 32 Upgrade Web UI Firmware...1\n"), std::string::npos) << web.out;
    EXPECT_NE(web.out.find("status 38 This upgrade is completed\n"), std::string::npos);
    const auto denied = RunProcess(ToolPath("ORVEXCTL"), Args({"--system", path}, "wrong"));
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.out, "status -1\nstatus 3 ERROR Incorrect username or password\n");
    // A file that cannot be read is refused before the camera is asked anything.
    const auto missing = RunProcess(ToolPath("ORVEXCTL"), Args({"--system", "/nonexistent.bin"}));
    EXPECT_EQ(missing.status, 2);
    EXPECT_EQ(missing.err, "orvexctl: /nonexistent.bin: cannot be read: No such file or directory; nothing sent\n");
    EXPECT_TRUE(missing.out.empty()) << missing.out;
    unlink(path.c_str());
}

TEST_F(OrvexctlUpgrade, SetUidChecksTheTextThenWritesIt) {
    const std::string ctl = ToolPath("ORVEXCTL");
    const std::vector<std::string> base = {"set-uid", "--host", "127.0.0.91", "--port", "8091",
                                           "--user", "admin", "--password", "pw"};
    auto with = [&](const std::string& uid) {
        auto args = base;
        args.push_back(uid);
        return RunProcess(ctl, args);
    };
    const auto ok = with("orvxabcdefghijk,abcdef");
    EXPECT_EQ(ok.status, 0);
    EXPECT_EQ(ok.out, "result 0 Set the UID successfully, please restart the device.\n");
    auto json = base;
    json.insert(json.end(), {"--format", "json", "ORVXABCDEFGHIJK,ABCDEF"});
    const Json::Value report = orvextest::ParseJson(RunProcess(ctl, json).out);
    EXPECT_EQ(report["report"].asString(), "set-uid");
    EXPECT_EQ(report["result"].asInt(), 0);
    EXPECT_EQ(report["uid"].asString(), "ORVXABCDEFGHIJK,ABCDEF");
    EXPECT_EQ(fleet.Web(0).Config().uid, "ORVXABCDEFGHIJK,ABCDEF");
    const auto empty = with("   ");
    EXPECT_EQ(empty.status, 2);
    EXPECT_EQ(empty.err, "orvexctl: UID cannot be empty\n");
    const auto bad = with("ORVXABCDEFGHIJ ,ABCDEF");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.err, "orvexctl: The UID format is incorrect. Please re-enter.\n");
    auto denied = base;
    denied[8] = "nope";
    denied.push_back("ORVXABCDEFGHIJK,ABCDEF");
    const auto wrong = RunProcess(ctl, denied);
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.out, "result 3 ERROR Incorrect username or password\n");
}

TEST(OrvexctlUpgradeArguments, BadInputGetsStatusTwo) {
    const std::string ctl = ToolPath("ORVEXCTL");
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"upgrade"},
             {"upgrade", "--host", "h", "--port", "80"},
             {"upgrade", "--host", "h", "--port", "0", "--smart", "--version", "1"},
             {"upgrade", "--host", "h", "--port", "80", "--smart", "--parallel", "0"},
             {"upgrade", "--from-scan", "--smart"},
             {"upgrade", "--host", "h", "--port", "80", "--webui", "a", "--system", "b"},
             {"upgrade", "--host", "h", "--port", "80", "--system", "a", "--version", "1"},
             {"upgrade", "--port", "80", "--system", "a"},
             {"set-uid", "--host", "h", "--port", "80"},
             {"set-uid", "--host", "h", "--port", "80", "A", "B"},
             {"set-uid", "--host", "h", "--port", "80", "--colour", "x"}}) {
        const auto r = RunProcess(ctl, args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_EQ(r.err.rfind("orvexctl: ", 0), 0u) << r.err;
    }
}

}  // namespace
