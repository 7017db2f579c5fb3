// orvexctl for many cameras: every adapter at once, CSV and JSON read back by real
// parsers, a batch upgrade with verification, and passwords kept off the command line.
#include <csv.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <set>

#include "tests/support/FirmwareImage.h"
#include "tests/support/NetnsCommand.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

// Rows of fields, read by libcsv in strict mode.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text) {
    struct Rows {
        std::vector<std::vector<std::string>> rows{{}};
    } rows;
    csv_parser parser;
    csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI);
    const auto field = [](void* data, std::size_t size, void* user) {
        static_cast<Rows*>(user)->rows.back().emplace_back(static_cast<const char*>(data), size);
    };
    const auto row = [](int, void* user) { static_cast<Rows*>(user)->rows.emplace_back(); };
    EXPECT_EQ(csv_parse(&parser, text.data(), text.size(), field, row, &rows), text.size());
    EXPECT_EQ(csv_fini(&parser, field, row, &rows), 0);
    csv_free(&parser);
    rows.rows.pop_back();  // the row opened after the last line end
    return rows.rows;
}

camsim::CameraConfig Camera(const std::string& ip, std::uint8_t id, const std::string& name) {
    camsim::CameraConfig c;
    c.ip = ip;
    c.mac = {0x02, 0x4F, 0x52, 0x0A, 0x00, id};
    c.name = name;
    return c;
}

// Two adapters in the test's own network namespace, veth pairs in documentation ranges;
// the cameras of each fleet hear only the searches that go out on their adapter.
class TwoAdapters : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [n, address] : std::vector<std::pair<int, std::string>>{{0, "192.0.2.1/24"}, {1, "198.51.100.1/24"}}) {
            const std::string v = "v" + std::to_string(n);
            ASSERT_TRUE(orvextest::Ip("link add " + v + " type veth peer name " + v + "p"));
            ASSERT_TRUE(orvextest::Ip("link set " + v + "p up"));
            ASSERT_TRUE(orvextest::Ip("link set " + v + " up"));
            ASSERT_TRUE(orvextest::Ip("addr add " + address + " dev " + v));
        }
        first.AddCamera(Camera("192.0.2.10", 1, "Gate, north"));
        first.AddCamera(Camera("10.9.8.7", 2, "He said \"hi\""));  // another subnet
        second.AddCamera(Camera("198.51.100.20", 3, "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA"));
        std::string error;
        ASSERT_TRUE(first.Start(&error, "0.0.0.0", "v0")) << error;
        ASSERT_TRUE(second.Start(&error, "0.0.0.0", "v1")) << error;
    }
    void TearDown() override {
        first.Stop();
        second.Stop();
        for (const char* v : {"v0", "v1"}) orvextest::Ip(std::string("link del ") + v);
    }
    camsim::CameraFleet first, second;
};

TEST_F(TwoAdapters, ScanAllListsEachCameraOnceWithItsAdapterInEveryFormat) {
    const std::string ctl = ToolPath("ORVEXCTL");
    const auto json = RunProcess(ctl, {"scan", "--all", "--seconds", "2", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const Json::Value document = ParseJson(json.out);
    ASSERT_EQ(document["cameras"].size(), 3u) << json.out;
    std::map<std::string, Json::Value> byIp;
    for (const Json::Value& camera : document["cameras"]) byIp[camera["ip"].asString()] = camera;
    EXPECT_EQ(byIp["192.0.2.10"]["adapter_ip"].asString(), "192.0.2.1");
    EXPECT_EQ(byIp["192.0.2.10"]["adapter"].asString(), "v0");
    EXPECT_FALSE(byIp["192.0.2.10"]["other_subnet"].asBool());
    EXPECT_EQ(byIp["192.0.2.10"]["name"].asString(), "Gate, north");
    EXPECT_EQ(byIp["10.9.8.7"]["adapter_ip"].asString(), "192.0.2.1");
    EXPECT_TRUE(byIp["10.9.8.7"]["other_subnet"].asBool());
    EXPECT_EQ(byIp["10.9.8.7"]["name"].asString(), "He said \"hi\"");
    EXPECT_EQ(byIp["198.51.100.20"]["adapter_ip"].asString(), "198.51.100.1");
    EXPECT_EQ(byIp["198.51.100.20"]["name"].asString(), "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA");
    EXPECT_EQ(byIp["198.51.100.20"]["mac"].asString(), "02:4F:52:0A:00:03");
    EXPECT_EQ(byIp["198.51.100.20"]["network"].asString(), "fixed");
    EXPECT_TRUE(document["failures"].empty());

    const auto csv = RunProcess(ctl, {"scan", "--all", "--seconds", "2", "--format", "csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = ParseCsv(csv.out);
    ASSERT_EQ(rows.size(), 4u) << csv.out;
    ASSERT_EQ(rows[0].size(), 22u);
    EXPECT_EQ(rows[0][17], "protocol");
    EXPECT_EQ(rows[0][1], "name");
    std::map<std::string, std::vector<std::string>> rowByIp;
    for (std::size_t r = 1; r < rows.size(); ++r) rowByIp[rows[r][2]] = rows[r];
    for (const auto& [ip, camera] : byIp) {
        ASSERT_EQ(rowByIp.count(ip), 1u) << ip;
        EXPECT_EQ(rowByIp[ip][1], camera["name"].asString());  // the same names through both parsers
        EXPECT_EQ(rowByIp[ip][13], camera["adapter_ip"].asString());
        EXPECT_EQ(rowByIp[ip][14], camera["other_subnet"].asBool() ? "true" : "false");
    }

    // Several --bind, one of them an address of no adapter: reported, the others go on.
    const auto some = RunProcess(ctl, {"scan", "--bind", "198.51.100.1", "--bind", "203.0.113.9", "--seconds", "2"});
    EXPECT_EQ(some.status, 0);
    EXPECT_NE(some.err.find("orvexctl: cannot search from 203.0.113.9: Cannot assign requested address"),
              std::string::npos) << some.err;
    EXPECT_NE(some.out.find("198.51.100.20"), std::string::npos) << some.out;
    EXPECT_EQ(some.out.find("192.0.2.10"), std::string::npos);
}

// Two cameras that show one MAC (clones), one behind each adapter, both with dynamic
// addresses; each has its web side at its own address.
class Clones : public TwoAdapters {
protected:
    void SetUp() override {
        for (const auto& [peer, address] : std::vector<std::pair<std::string, std::string>>{
                 {"v0p", "192.0.2.10/32"}, {"v1p", "198.51.100.10/32"}}) {
            const std::string v = peer.substr(0, 2);
            ASSERT_TRUE(orvextest::Ip("link add " + v + " type veth peer name " + peer));
            ASSERT_TRUE(orvextest::Ip("link set " + peer + " up"));
            ASSERT_TRUE(orvextest::Ip("link set " + v + " up"));
            ASSERT_TRUE(orvextest::Ip("addr add " + std::string(v == "v0" ? "192.0.2.1/24" : "198.51.100.1/24") +
                                      " dev " + v));
            ASSERT_TRUE(orvextest::Ip("addr add " + address + " dev " + peer));
        }
        setenv("ORVEX_TIME_SCALE", "20", 1);
        setenv("ORVEX_PASSWORD", "pw", 1);
        camsim::CameraConfig a = Camera("192.0.2.10", 1, "Clone A");
        camsim::CameraConfig b = Camera("198.51.100.10", 1, "Clone B");
        for (camsim::CameraConfig* c : {&a, &b}) {
            c->netMode = 1;
            c->password = "pw";
        }
        first.AddCamera(a);
        second.AddCamera(b);
        std::string error;
        ASSERT_TRUE(first.Start(&error, "0.0.0.0", "v0")) << error;
        ASSERT_TRUE(second.Start(&error, "0.0.0.0", "v1")) << error;
        ASSERT_TRUE(first.StartWeb(&error)) << error;
        ASSERT_TRUE(second.StartWeb(&error)) << error;
    }
    void TearDown() override {
        unsetenv("ORVEX_TIME_SCALE");
        unsetenv("ORVEX_PASSWORD");
        TwoAdapters::TearDown();
    }
    orvextest::ScopedTimeScale fast{20};
};

TEST_F(Clones, EachIsFlaggedAndUpgradedAtItsOwnAddress) {
    const std::string ctl = ToolPath("ORVEXCTL");
    const auto scan = RunProcess(ctl, {"scan", "--all", "--seconds", "2", "--format", "json"});
    const Json::Value document = ParseJson(scan.out);
    ASSERT_EQ(document["cameras"].size(), 2u) << scan.out;
    for (const Json::Value& camera : document["cameras"]) EXPECT_TRUE(camera["shared_mac"].asBool()) << scan.out;

    const std::string file = "/tmp/orvex-clone-fw-" + std::to_string(getpid());
    std::ofstream(file, std::ios::binary) << orvextest::FirmwareImage("1.7.18.1", 100000);
    const auto r = RunProcess(ctl, {"upgrade", "--from-scan", "--all", "--scan-seconds", "2", "--system", file,
                                    "--parallel", "2", "--format", "json"});
    unlink(file.c_str());
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    const Json::Value report = ParseJson(r.out);
    ASSERT_EQ(report["results"].size(), 2u) << r.out;
    for (const Json::Value& result : report["results"]) {
        EXPECT_EQ(result["verdict"].asString(), "verified") << result["host"].asString();
    }
    EXPECT_EQ(first.Web(0).Uploads().size(), 1u);
    EXPECT_EQ(second.Web(0).Uploads().size(), 1u);
    EXPECT_EQ(first.Web(0).Config().version, "1.7.18.1");
    EXPECT_EQ(second.Web(0).Config().version, "1.7.18.1");
}

// Twenty cameras upgraded four at a time through the firmware server, on a faster clock.
class Batch : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_TIME_SCALE", "20", 1);
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
        int n = 0;
        for (camsim::CameraConfig c : camsim::GenerateCameras(20, 18000)) {
            c.password = "pw";
            if (n == 4) c.password = "other";
            if (n == 10) c.faults.neverComesBack = true;
            if (n == 16) c.faults.keepVersion = true;
            if (n == 7) {  // a dynamic camera that comes back on another port: followed
                c.netMode = 1;
                c.faults.newPort = 18600;
            }
            fleet.AddCamera(c);
            ++n;
        }
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        ASSERT_TRUE(firmware.Start(&error)) << error;
        passwordFile = "/tmp/orvex-password-" + std::to_string(getpid());
        std::ofstream(passwordFile) << "pw\n";
    }
    void TearDown() override {
        unlink(passwordFile.c_str());
        unsetenv("ORVEX_TIME_SCALE");
        unsetenv("ORVEX_PASSWORD");
        firmware.Stop();
        fleet.Stop();
    }
    // Everything the process was started with.
    static std::string CommandLineOf(int pid) {
        std::ifstream in("/proc/" + std::to_string(pid) + "/cmdline");
        return std::string((std::istreambuf_iterator<char>(in)), {});
    }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
    std::string passwordFile;
};

TEST_F(Batch, EveryCameraGetsItsOwnVerifiedOutcome) {
    std::string seen;
    const auto r = RunProcess(ToolPath("ORVEXCTL"),
                              {"upgrade", "--from-scan", "--bind", "127.0.0.1", "--scan-seconds", "1", "--smart",
                               "--yes", "--parallel", "4", "--password-file", passwordFile, "--format", "json"},
                              "", [&](int pid) {
                                  usleep(300000);
                                  seen = CommandLineOf(pid);
                              });
    EXPECT_EQ(r.status, 1);  // three cameras did not make it
    EXPECT_FALSE(seen.empty());
    EXPECT_EQ(seen.find("pw"), std::string::npos);  // the password stays off the command line
    const Json::Value document = ParseJson(r.out);
    ASSERT_EQ(document["results"].size(), 20u) << r.out;
    EXPECT_EQ(document["completed"].asInt(), 17);
    std::set<std::string> hosts;
    for (const Json::Value& result : document["results"]) {
        const std::string host = result["host"].asString();
        hosts.insert(host);
        const int n = std::stoi(host.substr(host.rfind('.') + 1)) - 1;  // 127.0.1.x, x = index + 1
        if (n == 4) {
            EXPECT_EQ(result["status"].asInt(), 3) << host;
            EXPECT_EQ(result["text"].asString(), "ERROR Incorrect username or password");
        } else if (n == 10) {
            EXPECT_NE(result["status"].asInt(), 38) << host;  // the restart wait ran out
            EXPECT_EQ(result["verdict"].asString(), "failed");
        } else if (n == 16) {
            EXPECT_EQ(result["status"].asInt(), 38) << host;
            EXPECT_EQ(result["verdict"].asString(), "not verified");
            EXPECT_EQ(result["version_after"].asString(), "1.7.15.4");
        } else {
            EXPECT_EQ(result["verdict"].asString(), "verified") << host;
            EXPECT_EQ(result["version_before"].asString(), "1.7.15.4");
            EXPECT_EQ(result["version_after"].asString(), "1.7.15.9");
            EXPECT_EQ(result["expected"].asString(), "1.7.15.9");
        }
    }
    EXPECT_EQ(hosts.size(), 20u);
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.9");
}

TEST_F(Batch, PasswordsFromTheEnvironmentOrATerminalPromptStayOffTheCommandLine) {
    const std::string ctl = ToolPath("ORVEXCTL");
    setenv("ORVEX_PASSWORD", "pw", 1);
    std::string seen;
    const auto fromEnvironment = RunProcess(ctl, {"upgrade", "--host", "127.0.1.1:18000", "--smart", "--yes"}, "",
                                            [&](int pid) {
                                                usleep(200000);
                                                seen = CommandLineOf(pid);
                                            });
    EXPECT_EQ(fromEnvironment.status, 0) << fromEnvironment.out << fromEnvironment.err;
    EXPECT_EQ(seen.find("pw"), std::string::npos);
    unsetenv("ORVEX_PASSWORD");

    // No password given: on a terminal it is asked for, without echo.
    const auto prompted = orvextest::RunOnTerminal(
        ctl, {"set-uid", "--host", "127.0.1.2", "--port", "18001", "ORVXABCDEFGHIJK,ABCDEF", "--format", "json"},
        "Password for admin@127.0.1.2: ", "pw\n");
    EXPECT_EQ(prompted.status, 0) << prompted.out;
    EXPECT_EQ(prompted.out.find("pw\r"), std::string::npos);  // not echoed
    const std::string json = prompted.out.substr(prompted.out.find('{'));
    EXPECT_EQ(ParseJson(json)["result"].asInt(), 0) << prompted.out;
    EXPECT_EQ(fleet.Web(1).Config().uid, "ORVXABCDEFGHIJK,ABCDEF");
}

}  // namespace
