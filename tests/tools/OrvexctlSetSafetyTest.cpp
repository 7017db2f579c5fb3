// orvexctl set never puts two devices on one address, whatever the cameras do: a camera
// moves onto an address only once the network shows it free, a device that turns up on a
// target is noticed before anything is sent and during verification, and two runs at
// once take turns.
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/tools/SetSite.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::SetSite;
using orvextest::SiteCamera;
using orvextest::SiteMac;
using orvextest::ToolPath;

TEST_F(SetSite, ACameraWaitsForItsAddressAndIsNotStartedWhenTheHolderDoesNotLeave) {
    // Each holder is asked to leave .1x for .2x; the camera after it is to take .1x.
    camsim::CameraConfig keeps = SiteCamera(1, "127.0.0.10");
    keeps.setFaults.keepSettings = true;
    camsim::CameraConfig silent = SiteCamera(3, "127.0.0.12");
    silent.setFaults.neverAnswers = true;
    camsim::CameraConfig rejects = SiteCamera(5, "127.0.0.14");
    rejects.setFaults.rejectLogin = true;
    for (const auto& camera : {keeps, SiteCamera(2, "127.0.0.11"), silent,
                               SiteCamera(4, "127.0.0.13"), rejects, SiteCamera(6, "127.0.0.15"),
                               SiteCamera(7, "127.0.0.16"), SiteCamera(8, "127.0.0.17")})
        fleet.AddCamera(camera);
    Start();
    std::ofstream(dir + "/plan.csv") << "mac,ip\n"
                                     << SiteMac(1) << ",127.0.0.20\n"
                                     << SiteMac(2) << ",127.0.0.10\n"
                                     << SiteMac(3) << ",127.0.0.22\n"
                                     << SiteMac(4) << ",127.0.0.12\n"
                                     << SiteMac(5) << ",127.0.0.24\n"
                                     << SiteMac(6) << ",127.0.0.14\n"
                                     << SiteMac(7) << ",127.0.0.26\n"
                                     << SiteMac(8) << ",127.0.0.16\n";
    const auto run = Set({"--plan", dir + "/plan.csv", "--reply-seconds", "2", "--verify-seconds",
                          "3", "--format", "json"});
    EXPECT_EQ(run.status, 1) << run.err << run.out;
    const auto rows = ByMac(ParseJson(run.out)["results"]);
    ASSERT_EQ(rows.size(), 8u) << run.out;
    const std::vector<std::pair<std::uint8_t, std::string>> waiting = {
        {2, "127.0.0.10 is still held by " + SiteMac(1)},
        {4, "127.0.0.12 is still held by " + SiteMac(3)},
        {6, "127.0.0.14 is still held by " + SiteMac(5)}};
    for (const auto& [id, reason] : waiting) {
        EXPECT_EQ(rows.at(SiteMac(id))["verification"].asString(), "not started") << id;
        EXPECT_EQ(rows.at(SiteMac(id))["result_text"].asString(), reason);
        EXPECT_FALSE(Asked(id)) << "camera " << int(id) << " was sent its request anyway";
    }
    // A holder that did leave lets its follower through.
    EXPECT_EQ(rows.at(SiteMac(7))["verification"].asString(), "verified");
    EXPECT_EQ(rows.at(SiteMac(8))["verification"].asString(), "verified");
    EXPECT_EQ(SharedAddressSince(0), "");
}

TEST_F(SetSite, ADeviceThatTurnsUpOnATargetBeforeItsWaveKeepsTheCameraAway) {
    camsim::CameraConfig slow = SiteCamera(1, "127.0.0.30");
    slow.setFaults.restartMs = 1000;  // the cameras here run on real time
    fleet.AddCamera(slow);
    fleet.AddCamera(SiteCamera(2, "127.0.0.31"));
    const std::size_t late = fleet.AddCamera(SiteCamera(9, "127.0.0.30"));
    fleet.SetMuted(late, true);  // not there when the site is scanned
    Start();
    std::ofstream(dir + "/plan.csv") << "mac,ip\n"
                                     << SiteMac(1) << ",127.0.0.40\n"
                                     << SiteMac(2) << ",127.0.0.30\n";
    const auto run = Set({"--plan", dir + "/plan.csv", "--format", "json"}, [&](int) {
        for (int i = 0; i < 1000 && !Asked(1); ++i) usleep(10 * 1000);
        fleet.SetMuted(late, false);  // comes up on the address camera 1 is leaving
    });
    EXPECT_EQ(run.status, 1) << run.err << run.out;
    const auto rows = ByMac(ParseJson(run.out)["results"]);
    ASSERT_EQ(rows.size(), 2u) << run.out;
    EXPECT_EQ(rows.at(SiteMac(1))["verification"].asString(), "verified");
    EXPECT_EQ(rows.at(SiteMac(2))["verification"].asString(), "not started");
    EXPECT_EQ(rows.at(SiteMac(2))["result_text"].asString(),
              "127.0.0.30 is answered by " + SiteMac(9) + ", which this set does not change");
    EXPECT_FALSE(Asked(2));
    EXPECT_EQ(fleet.Camera(1).ip, "127.0.0.31");
}

TEST_F(SetSite, ACameraIsNotVerifiedWhileAnotherDeviceAnswersFromItsNewAddress) {
    camsim::CameraConfig mover = SiteCamera(1, "127.0.0.11");
    mover.setFaults.restartMs = 500;
    fleet.AddCamera(mover);
    const std::size_t late = fleet.AddCamera(SiteCamera(9, "127.0.0.50"));
    fleet.SetMuted(late, true);
    Start();
    const auto run = Set({"--mac", SiteMac(1), "--ip", "127.0.0.50", "--verify-seconds", "5",
                          "--format", "json"},
                         [&](int) {
                             for (int i = 0; i < 1000 && !Asked(1); ++i) usleep(10 * 1000);
                             fleet.SetMuted(late, false);
                         });
    EXPECT_EQ(run.status, 1) << run.err << run.out;
    const Json::Value rows = ParseJson(run.out)["results"];
    ASSERT_EQ(rows.size(), 1u) << run.out;
    EXPECT_EQ(rows[0]["verification"].asString(), "not verified");
    EXPECT_EQ(rows[0]["result_text"].asString(),
              "127.0.0.50 is also answered by " + SiteMac(9));
}

// Only a search reply heard after the set reply counts: a camera that showed its new
// settings while its reply was on the way, then went silent, is not verified.
TEST_F(SetSite, ACameraSilentSinceItsSetReplyIsNotVerifiedByWhatItShowedBefore) {
    camsim::CameraConfig late = SiteCamera(1, "127.0.0.11");
    late.setFaults.replyDelayMs = 1500;
    const std::size_t camera = fleet.AddCamera(late);
    Start();
    const auto run = Set({"--mac", SiteMac(1), "--name", "shown early", "--verify-seconds", "3",
                          "--format", "json"},
                         [&](int) {
                             for (int i = 0; i < 1000 && !Asked(1); ++i) usleep(10 * 1000);
                             usleep(700 * 1000);  // searches see the new name meanwhile
                             fleet.SetMuted(camera, true);
                         });
    EXPECT_EQ(run.status, 1) << run.err << run.out;
    const Json::Value rows = ParseJson(run.out)["results"];
    ASSERT_EQ(rows.size(), 1u) << run.out;
    EXPECT_EQ(rows[0]["result"].asString(), "0x8000");
    EXPECT_EQ(rows[0]["verification"].asString(), "not verified") << run.out;
}

TEST_F(SetSite, TwoRunsAtOnceTakeTurnsAndNeverGiveOneAddressToTwoCameras) {
    camsim::CameraConfig slow = SiteCamera(1, "127.0.0.11");
    slow.setFaults.restartMs = 2500;
    fleet.AddCamera(slow);
    fleet.AddCamera(SiteCamera(2, "127.0.0.12"));
    Start();
    orvextest::ProcessResult impatient, patient;
    int firstPid = 0;
    const auto first =
        Set({"--mac", SiteMac(1), "--ip", "127.0.0.200", "--format", "csv"}, [&](int pid) {
            firstPid = pid;
            for (int i = 0; i < 1000 && !Asked(1); ++i) usleep(10 * 1000);
            impatient = Set({"--mac", SiteMac(2), "--ip", "127.0.0.200", "--lock-seconds", "1"});
            patient = Set({"--mac", SiteMac(2), "--ip", "127.0.0.200"});
        });
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(impatient.status, 1) << impatient.err;
    EXPECT_NE(impatient.err.find("another Orvex is changing cameras on 127.0.0.1 (pid " +
                                 std::to_string(firstPid) + ")"),
              std::string::npos)
        << impatient.err;
    // The patient one waited for the first run, then saw the address taken.
    EXPECT_EQ(patient.status, 2) << patient.err;
    EXPECT_NE(patient.err.find("127.0.0.200 is already held by " + SiteMac(1)), std::string::npos)
        << patient.err;
    EXPECT_FALSE(Asked(2));
    EXPECT_EQ(fleet.Camera(0).ip, "127.0.0.200");
    EXPECT_EQ(fleet.Camera(1).ip, "127.0.0.12");
}

}  // namespace
