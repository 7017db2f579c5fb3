#pragma once
// A site of virtual cameras in this namespace that orvexctl set is run against, each test
// with its own state folder (and so its own change journal and locks).
#include <gtest/gtest.h>
#include <json/json.h>
#include <stdlib.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"

namespace orvextest {

constexpr const char* kSitePassword = "S3cr&t pw";

inline camsim::CameraConfig SiteCamera(std::uint8_t id, const std::string& ip) {
    camsim::CameraConfig c;
    c.ip = ip;
    c.mac = {0x02, 0x4F, 0x52, 0x5E, 0x00, id};
    c.name = "Cam " + std::to_string(id);
    c.password = kSitePassword;
    return c;
}

inline std::string SiteMac(std::uint8_t id) {
    return orvex::MacText(SiteCamera(id, "").ToRecord());
}

class SetSite : public ::testing::Test {
protected:
    void SetUp() override {
        char folder[] = "/tmp/orvex-set-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        dir = folder;
        for (const char* name : {"XDG_STATE_HOME", "XDG_RUNTIME_DIR"}) {
            const char* value = std::getenv(name);
            previous[name] = value ? value : "";
        }
        setenv("XDG_STATE_HOME", dir.c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);  // where the site lock lives
        setenv("ORVEX_TIME_SCALE", "20", 1);  // searches every 100 ms; set times stay real
        std::ofstream(dir + "/password") << kSitePassword << "\n";
    }
    void Start() {
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
    }
    void TearDown() override {
        fleet.Stop();
        for (const auto& [name, value] : previous) {
            if (value.empty()) unsetenv(name.c_str());
            else setenv(name.c_str(), value.c_str(), 1);
        }
        unsetenv("ORVEX_TIME_SCALE");
        std::system(("rm -rf " + dir).c_str());
    }
    std::vector<std::string> SetArgs(std::vector<std::string> args) const {
        args.insert(args.begin(), {"set", "--bind", "127.0.0.1", "--seconds", "1",
                                   "--password-file", dir + "/password"});
        return args;
    }
    ProcessResult Set(std::vector<std::string> args,
                      std::function<void(int pid)> whileRunning = {}) {
        return RunProcess(ToolPath("ORVEXCTL"), SetArgs(std::move(args)), "",
                          std::move(whileRunning));
    }
    Json::Value Scan() {
        const auto scan = RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1",
                                                            "--seconds", "1", "--format", "json"});
        EXPECT_EQ(scan.status, 0) << scan.err;
        return ParseJson(scan.out)["cameras"];
    }
    std::string JournalPath() const { return dir + "/orvex/journal.jsonl"; }
    std::vector<Json::Value> Journal() {
        std::vector<Json::Value> lines;
        std::ifstream in(JournalPath());
        for (std::string line; std::getline(in, line);) lines.push_back(ParseJson(line));
        return lines;
    }
    // The journal as orvexctl journal lists it: one entry per change, its result paired in.
    Json::Value Changes() {
        const auto listed = RunProcess(ToolPath("ORVEXCTL"), {"journal", "--format", "json"});
        EXPECT_EQ(listed.status, 0) << listed.err;
        return ParseJson(listed.out)["entries"];
    }
    static std::map<std::string, Json::Value> ByMac(const Json::Value& list) {
        std::map<std::string, Json::Value> out;
        for (const Json::Value& row : list) out[row["mac"].asString()] = row;
        return out;
    }
    // Whether camera `id` (by MAC) was sent any set request.
    bool Asked(std::uint8_t id) {
        const auto mac = SiteCamera(id, "").mac;
        for (const auto& seen : fleet.SetRequests()) {
            if (std::equal(mac.begin(), mac.end(), seen.datagram.begin() + 84)) return true;
        }
        return false;
    }
    // The first address two cameras held at one moment, after the first `from` entries of
    // the fleet's address history ("" when none did).
    std::string SharedAddressSince(std::size_t from) {
        const auto history = fleet.AddressHistory();
        std::map<std::size_t, std::string> held;
        for (std::size_t i = 0; i < history.size(); ++i) {
            held[history[i].camera] = history[i].ip;
            if (i < from) continue;
            for (const auto& [camera, ip] : held) {
                if (camera != history[i].camera && ip == history[i].ip) return ip;
            }
        }
        return "";
    }

    camsim::CameraFleet fleet;
    std::string dir;
    std::map<std::string, std::string> previous;
};

}  // namespace orvextest
