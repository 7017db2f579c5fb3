// Settings that would cut a camera or the site off, names the camera would mangle,
// passwords too long for the request and plans that say nothing are refused before any
// camera hears anything; what is sound goes through.
#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

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

class Checks : public SetSite {
protected:
    void SetUp() override {
        SetSite::SetUp();
        for (std::uint8_t id = 1; id <= 3; ++id)
            fleet.AddCamera(SiteCamera(id, "127.0.0.1" + std::to_string(id)));
        Start();
    }
    // Each case is refused with status 2 and one line that says `says`.
    void ExpectRefused(const std::vector<std::pair<std::vector<std::string>, std::string>>& cases) {
        for (const auto& [args, says] : cases) {
            const auto run = Set(args);
            EXPECT_EQ(run.status, 2) << says << "\n" << run.err << run.out;
            EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
            EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        }
        EXPECT_TRUE(fleet.SetRequests().empty());
    }
    std::string Plan(const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name) << text;
        return dir + "/" + name;
    }
};

TEST_F(Checks, AddressesThatWouldCutACameraOffAreRefused) {
    const std::string m = SiteMac(1);
    const std::vector<std::string> slash24 = {"--mask", "255.255.255.0", "--gateway", ""};
    const auto with = [&](std::vector<std::string> args, const std::vector<std::string>& more) {
        args.insert(args.end(), more.begin(), more.end());
        return args;
    };
    ExpectRefused({
        {with({"--mac", m, "--ip", "127.0.5.0"}, slash24),
         "ip 127.0.5.0 is the network address of 127.0.5.0/24"},
        {with({"--mac", m, "--ip", "127.0.5.255"}, slash24),
         "ip 127.0.5.255 is the broadcast address of 127.0.5.0/24"},
        {{"--mac", m, "--ip", "127.255.255.255"},
         "ip 127.255.255.255 is the broadcast address of 127.0.0.0/8"},
        {{"--mac", m, "--ip", "0.0.0.0"}, "ip 0.0.0.0 is the unspecified address"},
        {{"--mac", m, "--ip", "255.255.255.255"}, "ip 255.255.255.255 is the broadcast address"},
        {{"--mac", m, "--ip", "224.0.0.5"}, "ip 224.0.0.5 is a multicast address"},
        {{"--mac", m, "--ip", "240.0.0.1"}, "ip 240.0.0.1 is a reserved (class E) address"},
        {{"--mac", m, "--ip", "169.254.1.1"}, "ip 169.254.1.1 is a link-local address"},
        {{"--mac", m, "--ip", "127.0.0.1"}, "ip 127.0.0.1 is the adapter's own address"},
        {{"--mac", m, "--ip", "127.0.0.60", "--gateway", "127.0.0.60"},
         "gateway 127.0.0.60 is the camera's own address"},
        {{"--mac", m, "--mask", "255.255.255.254"}, "mask 255.255.255.254 is /31"},
        {{"--mac", m, "--mask", "255.255.255.255"}, "mask 255.255.255.255 is /32"},
        {{"--mac", m, "--mask", "0.0.0.0"}, "mask 0.0.0.0 is /0"},
        {{"--plan", Plan("mode.csv", "mac,network\n" + m + ",7\n")},
         m + " (plan line 2): network mode 7 is neither fixed nor dynamic"},
        {{"--plan", Plan("dhcp.csv", "mac,network,ip\n" + m + ",dynamic,not-an-ip\n")},
         m + " (plan line 2): ip 'not-an-ip' is not an IPv4 address"},
        // The end of a range comes from the new mask, not the cameras' old /8.
        {{"--all-found", "--mask", "255.255.255.0", "--gateway", "", "--ip-range", "127.0.9.253"},
         "the range 127.0.9.253 runs out after 2 camera(s); 1 more need an address"},
    });
    // A range never hands out the network address, the broadcast address or a gateway.
    const auto dry = Set({"--all-found", "--mask", "255.255.255.0", "--gateway", "127.0.9.1",
                          "--ip-range", "127.0.9.0-127.0.9.9", "--dry-run", "--format", "json"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    const Json::Value rows = ParseJson(dry.out)["results"];
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["ip_after"].asString(), "127.0.9.2");
    EXPECT_EQ(rows[1]["ip_after"].asString(), "127.0.9.3");
    EXPECT_EQ(rows[2]["ip_after"].asString(), "127.0.9.4");
}

TEST_F(Checks, NamesThatTheCameraWouldMangleAndPasswordsTooLongAreRefused) {
    const std::string m = SiteMac(1);
    ExpectRefused({
        {{"--mac", m, "--name", "lobby\x1b[2J"}, "the name holds a control character (0x1B)"},
        {{"--mac", m, "--name", "two\nlines"}, "the name holds a control character (0x0A)"},
        {{"--mac", m, "--name", "tab\tname"}, "the name holds a control character (0x09)"},
        {{"--mac", m, "--name", " lobby"}, "the name starts or ends with white space"},
        {{"--mac", m, "--name", "lobby "}, "the name starts or ends with white space"},
        {{"--mac", m, "--name", std::string(80, 'n')}, "longer than the camera's 79 bytes"},
        {{"--plan", Plan("name.csv", "mac,name\n" + m + ",\"a\x7f\"\n")},
         "the name holds a control character (0x7F)"},
    });
    std::ofstream(dir + "/long") << std::string(32, 'p') << "\n";
    const auto longPassword =
        Set({"--mac", m, "--name", "x", "--password-file", dir + "/long"});
    EXPECT_EQ(longPassword.status, 2) << longPassword.err;
    EXPECT_NE(longPassword.err.find("the password is longer than the 31 bytes a set request carries"),
              std::string::npos)
        << longPassword.err;
    EXPECT_TRUE(fleet.SetRequests().empty());

    const auto foreign = RunProcess(ToolPath("ORVEXCTL"),
                                    {"set", "--bind", "192.0.2.77", "--seconds", "1", "--mac", m,
                                     "--name", "x", "--password-file", dir + "/password"});
    EXPECT_EQ(foreign.status, 1) << foreign.err;
    EXPECT_NE(foreign.err.find("no adapter has 192.0.2.77"), std::string::npos) << foreign.err;
}

TEST_F(Checks, PlansThatNameNoCameraOrCannotBeReadAreRefusedWithTheLineNamed) {
    const std::string m = SiteMac(1);
    ExpectRefused({
        {{"--plan", Plan("header.csv", "mac,ip\n")}, "header.csv: line 1: the plan names no camera"},
        {{"--plan", Plan("one-line.csv", "mac,name," + m + ",x")},
         "one-line.csv: line 1: the plan names no camera"},
        {{"--plan", Plan("empty.json", "[]")}, "empty.json: line 1: the plan names no camera"},
        {{"--plan", Plan("none.json", "{\"cameras\": []}")},
         "none.json: line 1: the plan names no camera"},
        {{"--plan", Plan("twice.csv", "mac,ip,ip\n" + m + ",127.0.0.40,127.0.0.41\n")},
         "twice.csv: line 1: column 'ip' is given twice"},
        {{"--plan", Plan("twice.json", "[{\"mac\": \"" + m + "\", \"ip\": \"127.0.0.40\",\n"
                                       "  \"ip\": \"127.0.0.41\"}]")},
         "twice.json: not a JSON document"},
    });
    // Line ends of an old spreadsheet (CR alone) are line ends.
    const auto cr = Set({"--plan", Plan("cr.csv", "mac,name\r" + m + ",from a Mac\r")});
    EXPECT_EQ(cr.status, 0) << cr.err << cr.out;
    EXPECT_EQ(fleet.Camera(0).name, "from a Mac");
}

}  // namespace
