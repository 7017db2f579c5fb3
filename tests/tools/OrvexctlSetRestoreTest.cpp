// A scan is a backup that set --plan restores, even once the site has moved on: a DHCP
// camera on a new lease, cameras switched off, cameras swapped by hand, names in a
// camera's own code page, and a plan that belongs to another site.
#include <gtest/gtest.h>
#include <json/json.h>

#include <fstream>
#include <string>

#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/RealServers.h"
#include "tests/tools/SetSite.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::SetSite;
using orvextest::SiteCamera;
using orvextest::SiteMac;
using orvextest::ToolPath;

class Restore : public SetSite {
protected:
    // The site's scan, written as a report file in `format`.
    std::string Backup(const std::string& format) {
        const std::string path = dir + "/backup." + format;
        const auto scan =
            RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1", "--seconds", "1",
                                              "--format", format, "--output", path});
        EXPECT_EQ(scan.status, 0) << scan.err;
        return path;
    }
};

TEST_F(Restore, ADhcpCameraOnANewLeaseIsRestoredWithoutItsAddressBeingCompared) {
    camsim::CameraConfig dhcp = SiteCamera(3, "127.0.0.13");
    dhcp.netMode = 1;
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    fleet.AddCamera(dhcp);
    Start();
    const std::string backup = Backup("json");
    fleet.SetAddress(1, "127.0.0.77");  // the DHCP server gave it another address
    fleet.SetName(1, "renamed by hand");
    const auto run = Set({"--plan", backup, "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    const auto rows = ByMac(ParseJson(run.out)["results"]);
    EXPECT_EQ(rows.at(SiteMac(3))["verification"].asString(), "verified");
    EXPECT_EQ(rows.at(SiteMac(1))["verification"].asString(), "unchanged");
    EXPECT_EQ(fleet.Camera(1).name, "Cam 3");
    EXPECT_EQ(fleet.Camera(1).ip, "127.0.0.77");
    EXPECT_EQ(fleet.Camera(1).netMode, 1);
}

TEST_F(Restore, CamerasSwitchedOffRefuseTheRestoreByNameOrAreSkippedWhenAsked) {
    for (std::uint8_t id = 1; id <= 3; ++id)
        fleet.AddCamera(SiteCamera(id, "127.0.0.1" + std::to_string(id)));
    Start();
    const std::string backup = Backup("csv");
    fleet.SetName(0, "renamed by hand");
    fleet.SetMuted(1, true);
    fleet.SetMuted(2, true);
    const auto refused = Set({"--plan", backup});
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find(SiteMac(2)), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find(SiteMac(3)), std::string::npos) << refused.err;
    EXPECT_FALSE(Asked(1));

    const auto skipped = Set({"--plan", backup, "--skip-missing", "--format", "json"});
    ASSERT_EQ(skipped.status, 0) << skipped.err << skipped.out;
    const auto rows = ByMac(ParseJson(skipped.out)["results"]);
    EXPECT_EQ(rows.at(SiteMac(1))["verification"].asString(), "verified");
    EXPECT_EQ(rows.at(SiteMac(2))["verification"].asString(), "missing");
    EXPECT_EQ(rows.at(SiteMac(3))["verification"].asString(), "missing");
    EXPECT_EQ(fleet.Camera(0).name, "Cam 1");
}

TEST_F(Restore, CamerasSwappedByHandGoBackThroughAFreeAddressNeverSharingOne) {
    for (std::uint8_t id = 1; id <= 5; ++id)
        fleet.AddCamera(SiteCamera(id, "127.0.0.1" + std::to_string(id)));
    Start();
    const std::string backup = Backup("json");
    // By hand: 1, 2 and 3 go round in a circle; 4 and 5 trade places.
    for (const auto& [index, ip] : std::vector<std::pair<std::size_t, std::string>>{
             {0, "127.0.0.12"}, {1, "127.0.0.13"}, {2, "127.0.0.11"}, {3, "127.0.0.15"},
             {4, "127.0.0.14"}})
        fleet.SetAddress(index, ip);
    const std::size_t restoreStarts = fleet.AddressHistory().size();
    const auto run = Set({"--plan", backup, "--format", "json"});
    ASSERT_EQ(run.status, 0) << run.err << run.out;
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(fleet.Camera(i).ip, "127.0.0.1" + std::to_string(i + 1));
    EXPECT_EQ(SharedAddressSince(restoreStarts), "");
    // Each circle went through one temporary address, reported as a step of its own.
    const Json::Value rows = ParseJson(run.out)["results"];
    int temporary = 0;
    for (const Json::Value& row : rows) {
        EXPECT_EQ(row["verification"].asString(), "verified") << row;
        if (row["step"].asString() == "temporary") ++temporary;
    }
    EXPECT_EQ(temporary, 2) << run.out;
    EXPECT_EQ(rows.size(), 7u);
    int journaled = 0;
    for (const Json::Value& entry : Journal()) journaled += entry["phase"] == "sent" ? 1 : 0;
    EXPECT_EQ(journaled, 7);
}

TEST_F(Restore, ANameInTheCamerasOwnCodePageComesBackByteForByte) {
    const std::string gbk = "\xCD\xA3\xB3\xB5\xB3\xA1 1";  // "停车场 1" in GBK
    camsim::CameraConfig camera = SiteCamera(1, "127.0.0.11");
    camera.name = gbk;
    fleet.AddCamera(camera);
    Start();
    const std::string json = Backup("json");
    const std::string csv = Backup("csv");
    const Json::Value row = ParseJson(orvextest::ReadFile(json))["cameras"][0];
    EXPECT_EQ(row["name_hex"].asString(), "cda3b3b5b3a12031");
    EXPECT_NE(orvextest::ReadFile(csv).find(",cda3b3b5b3a12031"), std::string::npos);
    for (const std::string& backup : {json, csv}) {
        fleet.SetName(0, "renamed by hand");
        const auto run = Set({"--plan", backup});
        ASSERT_EQ(run.status, 0) << run.err << run.out;
        EXPECT_EQ(fleet.Camera(0).name, gbk) << backup;
        const auto again = Set({"--plan", backup, "--format", "csv"});
        EXPECT_NE(again.out.find(",unchanged,"), std::string::npos) << again.out;
    }
}

TEST_F(Restore, APlanForAnotherSiteIsRefusedByTheAddressItExpects) {
    fleet.AddCamera(SiteCamera(1, "127.0.0.11"));
    fleet.AddCamera(SiteCamera(2, "127.0.0.12"));
    Start();
    std::ofstream(dir + "/wrong.csv") << "mac,ip_now,name\n"
                                      << SiteMac(1) << ",127.0.0.11,one\n"
                                      << SiteMac(2) << ",127.0.0.99,two\n";
    const auto wrong = Set({"--plan", dir + "/wrong.csv"});
    EXPECT_EQ(wrong.status, 2) << wrong.err;
    EXPECT_NE(wrong.err.find(SiteMac(2) + " (plan line 3) answers from 127.0.0.12, not 127.0.0.99"),
              std::string::npos)
        << wrong.err;
    EXPECT_TRUE(fleet.SetRequests().empty());
    std::ofstream(dir + "/right.csv") << "mac,ip_now,name\n"
                                      << SiteMac(1) << ",127.0.0.11,one\n"
                                      << SiteMac(2) << ",127.0.0.12,two\n";
    const auto right = Set({"--plan", dir + "/right.csv"});
    EXPECT_EQ(right.status, 0) << right.err << right.out;
    EXPECT_EQ(fleet.Camera(1).name, "two");
}

}  // namespace
