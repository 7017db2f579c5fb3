// orvexctl set against a site of virtual cameras in this namespace: a whole site moved off
// its factory address and verified, a scan restored as a plan, every check refusing before
// anything is sent, cameras that misbehave, and passwords kept out of sight.
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <set>

#include "platform/TextUtil.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/RealServers.h"
#include "tests/tools/SetSite.h"
#include "tools/camsim/CameraFleet.h"

namespace {

using orvextest::ParseJson;
using orvextest::ReadFile;
using orvextest::RunProcess;
using orvextest::ToolPath;

using orvextest::SetSite;
constexpr const char* kPassword = orvextest::kSitePassword;

camsim::CameraConfig Camera(std::uint8_t id, const std::string& ip) {
    return orvextest::SiteCamera(id, ip);
}

std::string Mac(std::uint8_t id) {
    return orvextest::SiteMac(id);
}

TEST_F(SetSite, ThirtyCamerasAtOneFactoryAddressEachGetTheirOwnVerifiedAddress) {
    for (std::uint8_t id = 1; id <= 30; ++id) fleet.AddCamera(Camera(id, "127.0.0.9"));
    fleet.AddCamera(Camera(99, "127.0.1.3"));  // a camera already in the range
    Start();
    std::string cmdline;
    const auto run = RunProcess(ToolPath("ORVEXCTL"),
                                {"set", "--bind", "127.0.0.1", "--seconds", "1", "--password-file",
                                 dir + "/password", "--all-found", "--ip-range", "127.0.1.1",
                                 "--gateway", "127.0.1.254", "--parallel", "8", "--format", "json"},
                                "", [&](int pid) {
                                    usleep(300 * 1000);
                                    cmdline = ReadFile("/proc/" + std::to_string(pid) + "/cmdline");
                                });
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    EXPECT_FALSE(cmdline.empty());
    EXPECT_EQ(cmdline.find("S3cr"), std::string::npos);
    const Json::Value report = ParseJson(run.out)["results"];
    ASSERT_EQ(report.size(), 31u);
    std::set<std::string> addresses;
    for (const Json::Value& row : report) {
        EXPECT_EQ(row["verification"].asString(), "verified") << row;
        EXPECT_EQ(row["result"].asString(), "0x8000");
        EXPECT_EQ(row["result_text"].asString(), "Set success");
        addresses.insert(row["ip_after"].asString());
    }
    EXPECT_EQ(addresses.size(), 31u);
    EXPECT_EQ(addresses.count("127.0.1.3"), 0u);  // in use when the range was handed out
    // What the cameras themselves now hold: the report's addresses, each once.
    std::set<std::string> held;
    for (std::size_t i = 0; i < fleet.CameraCount(); ++i) held.insert(fleet.Camera(i).ip);
    EXPECT_EQ(held, addresses);
    EXPECT_EQ(fleet.Camera(0).gateway, "127.0.1.254");
    EXPECT_EQ(fleet.Camera(0).name, "Cam 1");  // fields not named stay as they were

    // Each change twice in the file: before it was sent, and how it ended.
    ASSERT_EQ(Journal().size(), 62u);
    const Json::Value journal = Changes();
    ASSERT_EQ(journal.size(), 31u);
    std::set<std::string> macs;
    for (const Json::Value& line : journal) {
        macs.insert(line["mac"].asString());
        EXPECT_EQ(line["program"].asString(), "orvexctl");
        EXPECT_EQ(line["adapter"].asString(), "127.0.0.1");
        EXPECT_EQ(line["result"].asString(), "verified");
        EXPECT_TRUE(line["changes"].isMember("ip"));
    }
    EXPECT_EQ(macs.size(), 31u);
    EXPECT_EQ(ReadFile(dir + "/orvex/journal.jsonl").find("S3cr"), std::string::npos);
    const auto listed =
        RunProcess(ToolPath("ORVEXCTL"), {"journal", "--mac", Mac(7), "--format", "csv"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 2) << listed.out;
    EXPECT_NE(listed.out.find("ip: 127.0.0.9 -> 127.0.1."), std::string::npos) << listed.out;
}

TEST_F(SetSite, AScanIsABackupThatSetPlanRestoresExactly) {
    camsim::CameraConfig a = Camera(1, "127.0.0.11");
    a.name = "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA, \"north\"";
    a.dns2 = "127.0.0.54";
    camsim::CameraConfig b = Camera(2, "127.0.0.12");
    b.port = 8081;
    camsim::CameraConfig c = Camera(3, "127.0.0.13");
    c.netMode = 1;  // DHCP
    for (const auto& camera : {a, b, c}) fleet.AddCamera(camera);
    Start();
    const Json::Value before = Scan();
    ASSERT_EQ(before.size(), 3u);
    const auto csvBackup =
        RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1", "--seconds", "1",
                                          "--format", "csv", "--output", dir + "/site.csv"});
    ASSERT_EQ(csvBackup.status, 0) << csvBackup.err;
    const auto backup =
        RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1", "--seconds", "1",
                                          "--format", "json", "--output", dir + "/scan.json"});
    ASSERT_EQ(backup.status, 0) << backup.err;

    const auto moved = Set({"--all-found", "--ip-range", "127.0.3.1", "--port", "9000", "--name",
                            "moved", "--dns2", ""});
    ASSERT_EQ(moved.status, 0) << moved.err << moved.out;
    EXPECT_EQ(fleet.Camera(2).ip, "127.0.3.3");
    EXPECT_EQ(fleet.Camera(2).netMode, 0);  // a new fixed address ends DHCP
    EXPECT_NE(moved.out.find("network: dynamic -> fixed"), std::string::npos) << moved.out;

    const auto restored = Set({"--plan", dir + "/scan.json"});
    ASSERT_EQ(restored.status, 0) << restored.err << restored.out;
    EXPECT_EQ(ByMac(Scan()), ByMac(before));  // every field of every camera, as first found

    // The same plan again, and the CSV backup: nothing left to change, nothing sent.
    const std::size_t sent = fleet.SetRequests().size();
    for (const std::string plan : {"/scan.json", "/site.csv"}) {
        const auto again = Set({"--plan", dir + plan, "--format", "csv"});
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(std::count(again.out.begin(), again.out.end(), '\n'), 4) << again.out;
        EXPECT_EQ(again.out.find("verified"), std::string::npos) << again.out;
        EXPECT_NE(again.out.find(",unchanged,"), std::string::npos) << again.out;
    }
    EXPECT_EQ(fleet.SetRequests().size(), sent);
}

TEST_F(SetSite, EveryCheckRefusesWithStatusTwoAndTheCamerasHearNothing) {
    fleet.AddCamera(Camera(1, "127.0.0.11"));
    fleet.AddCamera(Camera(2, "127.0.0.12"));
    fleet.AddCamera(Camera(3, "127.0.0.13"));
    camsim::CameraConfig dhcp = Camera(4, "127.0.0.14");
    dhcp.netMode = 1;
    fleet.AddCamera(dhcp);
    Start();
    std::ofstream(dir + "/same.csv") << "mac,ip\n"
                                     << Mac(1) << ",127.0.0.40\n"
                                     << Mac(2) << ",127.0.0.40\n";
    std::ofstream(dir + "/bad.csv") << "mac,name,port\n"
                                    << Mac(1) << ",a,80\n"
                                    << Mac(2) << ",b,http\n";
    std::ofstream(dir + "/bad.json")
        << "[\n  {\"mac\": \"" << Mac(1) << "\",\n   \"colour\": \"red\"}\n]\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--plan", dir + "/same.csv"}, "would both get 127.0.0.40"},
        {{"--mac", Mac(1), "--ip", "127.0.0.13"}, "127.0.0.13 is already held by " + Mac(3)},
        {{"--mac", Mac(1), "--mask", "255.255.0.255"}, "not a contiguous subnet mask"},
        {{"--mac", Mac(1), "--gateway", "10.1.1.1"}, "gateway 10.1.1.1 is outside the subnet"},
        {{"--mac", Mac(4), "--ip", "127.0.0.44", "--dhcp", "on"}, "contradict each other"},
        {{"--mac", Mac(1), "--port", "65536"}, "--port takes 1 to 65535"},
        {{"--mac", "02:4F:52:5E:00:77", "--name", "x"}, "no camera with MAC 02:4F:52:5E:00:77"},
        {{"--plan", dir + "/bad.csv"}, "bad.csv: line 3: column 'port': 'http' is not a port"},
        {{"--plan", dir + "/bad.json"}, "bad.json: line 2: key 'colour'"},
        {{"--mac", Mac(1), "--mac", Mac(2), "--ip", "127.0.0.50"},
         "for several cameras use --ip-range"},
        {{"--all-found", "--ip-range", "127.0.0.60-127.0.0.62"}, "runs out after 3 camera(s)"},
        {{"--mac", Mac(1), "--ip", "127.0.0.12", "--mac", "x"}, "--mac takes a MAC address"},
        {{"--mac", Mac(1)}, "set needs a setting"},
    };
    for (const auto& [args, says] : cases) {
        const auto run = Set(args);
        EXPECT_EQ(run.status, 2) << says << "\n" << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    // The dry run of a sound change says what would change and sends nothing either.
    const auto dry = Set({"--mac", Mac(4), "--ip", "10.1.2.3", "--mask", "255.255.0.0", "--gateway",
                          "", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("ip: 127.0.0.14 -> 10.1.2.3"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("network: dynamic -> fixed"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("gateway: 127.0.0.254 -> \n"), std::string::npos) << dry.out;
    EXPECT_NE(dry.out.find("10.1.2.3 is outside the adapter's subnet"), std::string::npos)
        << dry.out;
    EXPECT_TRUE(fleet.SetRequests().empty());
    EXPECT_TRUE(Journal().empty());
}

TEST_F(SetSite, AJournalThatCannotBeWrittenStopsNoChangeAndIsSaidOnce) {
    fleet.AddCamera(Camera(1, "127.0.0.11"));
    fleet.AddCamera(Camera(2, "127.0.0.12"));
    Start();
    std::ofstream(dir + "/orvex") << "a file where the journal's folder should be\n";
    const auto run = Set({"--all-found", "--name", "kept going", "--format", "csv"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(fleet.Camera(0).name, "kept going");
    EXPECT_EQ(fleet.Camera(1).name, "kept going");
    std::size_t said = 0;
    for (auto at = run.err.find("cannot write the change journal"); at != std::string::npos;
         at = run.err.find("cannot write the change journal", at + 1)) {
        ++said;
    }
    EXPECT_EQ(said, 1u) << run.err;
    EXPECT_NE(run.err.find(dir + "/orvex/journal.jsonl: Not a directory"), std::string::npos)
        << run.err;
}

TEST_F(SetSite, CamerasThatMisbehaveEndNotVerifiedOrFailedAndTheRunSaysSo) {
    camsim::CameraConfig keeps = Camera(1, "127.0.0.11");
    keeps.setFaults.keepSettings = true;
    camsim::CameraConfig rejects = Camera(2, "127.0.0.12");
    rejects.setFaults.rejectLogin = true;
    camsim::CameraConfig silent = Camera(3, "127.0.0.13");
    silent.setFaults.neverAnswers = true;
    camsim::CameraConfig slow = Camera(4, "127.0.0.14");
    slow.setFaults.restartMs = 1500;  // answers, then restarts for longer than the reply wait
    for (const auto& camera : {keeps, rejects, silent, slow}) fleet.AddCamera(camera);
    Start();
    const auto run = Set({"--all-found", "--name", "renamed", "--reply-seconds", "3",
                          "--verify-seconds", "4", "--format", "json"});
    EXPECT_EQ(run.status, 1) << run.err;
    const auto rows = ByMac(ParseJson(run.out)["results"]);
    ASSERT_EQ(rows.size(), 4u) << run.out;
    EXPECT_EQ(rows.at(Mac(1))["verification"].asString(), "not verified");
    EXPECT_EQ(rows.at(Mac(1))["result"].asString(), "0x8000");
    EXPECT_EQ(rows.at(Mac(1))["ip_after"].asString(), "127.0.0.11");  // it did answer searches
    EXPECT_EQ(rows.at(Mac(2))["verification"].asString(), "failed");
    EXPECT_EQ(rows.at(Mac(2))["result"].asString(), "0x8001");
    EXPECT_EQ(rows.at(Mac(2))["result_text"].asString(), "ERROR Incorrect username or password");
    EXPECT_EQ(rows.at(Mac(3))["verification"].asString(), "failed");
    EXPECT_EQ(rows.at(Mac(3))["result"].asString(), "");
    EXPECT_EQ(rows.at(Mac(3))["result_text"].asString(), "no set reply within 3 s");
    EXPECT_EQ(rows.at(Mac(4))["verification"].asString(), "verified");
    EXPECT_EQ(fleet.Camera(3).name, "renamed");

    // The silent camera was asked several times; the journal counts its change once.
    std::size_t asked = 0;
    for (const auto& seen : fleet.SetRequests()) {
        orvex::DeviceRecord r;
        std::memcpy(orvex::PayloadBytes(r), seen.datagram.data() + 4, orvex::kParamsSize);
        if (orvex::MacText(r) == Mac(3)) ++asked;
        EXPECT_EQ(platform::FieldString(r.szPassword), kPassword);
    }
    EXPECT_GE(asked, 2u);
    const Json::Value journal = Changes();
    ASSERT_EQ(journal.size(), 4u);
    std::map<std::string, std::string> results;
    for (const Json::Value& line : journal)
        results[line["mac"].asString()] = line["result"].asString();
    EXPECT_EQ(results[Mac(1)], "not verified");
    EXPECT_EQ(results[Mac(3)], "failed");
}

}  // namespace

namespace {

TEST_F(SetSite, CtrlCStopsTheBatchAndTheReportAndJournalStillSayWhatHappened) {
    camsim::CameraConfig keeps = Camera(2, "127.0.0.12");
    keeps.setFaults.keepSettings = true;
    camsim::CameraConfig silent = Camera(3, "127.0.0.13");
    silent.setFaults.neverAnswers = true;
    for (const auto& camera : {Camera(1, "127.0.0.11"), keeps, silent, Camera(4, "127.0.0.14")})
        fleet.AddCamera(camera);
    Start();
    const std::string report = dir + "/report.json";
    const auto asked = [&](std::uint8_t id) { return Asked(id); };
    const auto run = RunProcess(ToolPath("ORVEXCTL"),
                                {"set",
                                 "--bind",
                                 "127.0.0.1",
                                 "--seconds",
                                 "1",
                                 "--password-file",
                                 dir + "/password",
                                 "--mac",
                                 Mac(1),
                                 "--mac",
                                 Mac(2),
                                 "--mac",
                                 Mac(3),
                                 "--mac",
                                 Mac(4),
                                 "--name",
                                 "new",
                                 "--parallel",
                                 "1",
                                 "--reply-seconds",
                                 "60",
                                 "--verify-seconds",
                                 "60",
                                 "--format",
                                 "json",
                                 "--output",
                                 report},
                                "", [&](int pid) {
                                    for (int i = 0; i < 1000 && !asked(3); ++i)
                                        usleep(10 * 1000);  // waiting on the silent one
                                    kill(pid, SIGINT);
                                });
    EXPECT_EQ(run.status, 130) << run.err;
    const auto rows = ByMac(ParseJson(ReadFile(report))["results"]);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows.at(Mac(1))["verification"].asString(), "verified");
    EXPECT_EQ(rows.at(Mac(2))["verification"].asString(), "not verified");
    EXPECT_TRUE(rows.at(Mac(2))["interrupted"].asBool());
    EXPECT_EQ(rows.at(Mac(3))["verification"].asString(), "failed");
    EXPECT_EQ(rows.at(Mac(3))["result_text"].asString(), "stopped before the camera answered");
    EXPECT_EQ(rows.at(Mac(4))["verification"].asString(), "not started");
    EXPECT_FALSE(asked(4));
    EXPECT_EQ(fleet.Camera(3).name, "Cam 4");
    std::set<std::string> journaled;
    for (const Json::Value& line : Changes()) journaled.insert(line["mac"].asString());
    EXPECT_EQ(journaled, (std::set<std::string>{Mac(1), Mac(2), Mac(3)}));
}

}  // namespace
