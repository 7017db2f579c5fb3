// Planning a set before anything is sent: plan files (CSV and JSON) with the line and
// column of a mistake, address ranges that never hand out an address in use, and the
// checks and ordering that keep two cameras from ever sharing an address.
#include <gtest/gtest.h>

#include <set>

#include "fleet/AddressRange.h"
#include "fleet/SetPlanFile.h"
#include "fleet/SetPlanner.h"
#include "platform/TextUtil.h"

namespace {

using orvex::SetJob;
using orvex::SetPlanFile;
using orvex::SetPlanner;
using orvex::SetRequestRow;

orvex::ScannedCamera Camera(std::uint8_t id, const std::string& ip, int netMode = 0) {
    orvex::ScannedCamera c;
    const std::uint8_t mac[6] = {0x02, 0x4F, 0x52, 0, 0, id};
    std::copy(mac, mac + 6, c.record.abyMac);
    platform::PutFieldString(c.record.szIp, ip);
    platform::PutFieldString(c.record.szSubMask, "255.255.255.0");
    platform::PutFieldString(c.record.szGateway, "10.0.0.1");
    platform::PutFieldString(c.record.szName, "cam" + std::to_string(id));
    c.record.wPort = 80;
    c.record.byNetMode = static_cast<std::uint8_t>(netMode);
    return c;
}

std::string Mac(std::uint8_t id) {
    return orvex::MacText(Camera(id, "").record);
}

SetRequestRow Row(std::uint8_t id, std::optional<std::string> ip) {
    SetRequestRow row;
    row.mac = Mac(id);
    row.where = "row " + std::to_string(id);
    row.change.ip = std::move(ip);
    return row;
}

TEST(AddressRangeTest, HandsOutFreeAddressesInOrderAndStopsAtItsEndOrTheBroadcast) {
    orvex::AddressRange range;
    std::string error, address;
    ASSERT_TRUE(range.Parse("10.0.0.250", "255.255.255.0", &error)) << error;
    std::uint32_t used = 0, own = 0;
    ASSERT_TRUE(orvex::AddressRange::Parse("10.0.0.251", &used));
    ASSERT_TRUE(orvex::AddressRange::Parse("10.0.0.253", &own));
    const std::set<std::uint32_t> inUse{used, own};
    std::vector<std::string> got;
    while (range.Next(inUse, &own, &address)) got.push_back(address);
    // .251 is in use; .253 is the camera's own and may be kept; .255 is the broadcast.
    EXPECT_EQ(got,
              (std::vector<std::string>{"10.0.0.250", "10.0.0.252", "10.0.0.253", "10.0.0.254"}));

    orvex::AddressRange top;
    ASSERT_TRUE(top.Parse("255.255.255.254-255.255.255.255", "", &error)) << error;
    ASSERT_TRUE(top.Next({}, nullptr, &address));
    ASSERT_TRUE(top.Next({}, nullptr, &address));
    EXPECT_EQ(address, "255.255.255.255");
    EXPECT_FALSE(top.Next({}, nullptr, &address));  // no wrap to 0.0.0.0

    for (const char* bad :
         {"10.0.0.9-10.0.0.1", "10.0.0.256", "10.0.0.1-x", "10.0.0.255", "010.0.0.1"}) {
        orvex::AddressRange r;
        EXPECT_FALSE(r.Parse(bad, "255.255.255.0", &error)) << bad;
        EXPECT_NE(error.find("--ip-range"), std::string::npos) << error;
    }
}

TEST(SetPlannerTest, RangeSkipsEveryAddressInUseAndKeepsNoTwoCamerasTogether) {
    // Three cameras at one factory address, one outside the batch at .11.
    SetPlanner planner({Camera(3, "10.0.0.9"), Camera(1, "10.0.0.9"), Camera(2, "10.0.0.9"),
                        Camera(7, "10.0.0.11")},
                       {});
    std::vector<SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    ASSERT_TRUE(planner.Plan({Row(1, {}), Row(2, {}), Row(3, {}), Row(1, {})}, "10.0.0.9", &jobs,
                             &notes, &error))
        << error;
    ASSERT_EQ(jobs.size(), 3u);
    EXPECT_EQ(notes.size(), 1u);  // MAC 1 named twice, set once
    // The first keeps the factory address once the others have left it.
    EXPECT_EQ(jobs[0].after.ip, "10.0.0.9");
    EXPECT_EQ(jobs[1].after.ip, "10.0.0.10");
    EXPECT_EQ(jobs[2].after.ip, "10.0.0.12");
    EXPECT_TRUE(jobs[0].Unchanged());

    EXPECT_FALSE(planner.Plan({Row(1, {}), Row(2, {}), Row(3, {})}, "10.0.0.9-10.0.0.10", &jobs,
                              &notes, &error));
    EXPECT_NE(error.find("runs out after 2 camera(s); 1 more"), std::string::npos) << error;
}

TEST(SetPlannerTest, ChecksRefuseWhatWouldBreakTheNetwork) {
    SetPlanner planner({Camera(1, "10.0.0.5"), Camera(2, "10.0.0.6"), Camera(3, "10.0.0.7"),
                        Camera(4, "10.0.0.8", 1), Camera(5, "10.0.0.20"), Camera(5, "10.0.0.21")},
                       {});
    std::vector<SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    const auto refuses = [&](std::vector<SetRequestRow> rows, const std::string& says) {
        error.clear();
        EXPECT_FALSE(planner.Plan(rows, "", &jobs, &notes, &error)) << says;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    };
    refuses({Row(1, "10.0.0.30"), Row(2, "10.0.0.30")}, "would both get 10.0.0.30");
    refuses({Row(1, "10.0.0.7")}, "10.0.0.7 is already held by " + Mac(3));
    refuses({Row(9, "10.0.0.40")}, "no camera with MAC " + Mac(9));
    refuses({Row(5, "10.0.0.40")}, "a set request would reach both");
    SetRequestRow mask = Row(1, {});
    mask.change.mask = "255.0.255.0";
    refuses({mask}, "'255.0.255.0' is not a contiguous subnet mask");
    SetRequestRow gateway = Row(1, "10.0.1.5");  // the kept gateway 10.0.0.1 is left behind
    refuses({gateway}, "gateway 10.0.0.1 is outside the subnet 10.0.1.5/255.255.255.0");
    SetRequestRow dhcp = Row(4, "10.0.0.50");
    dhcp.change.netMode = 1;
    refuses({dhcp}, "a new address and DHCP on contradict each other");
    refuses({Row(1, "10.0.0.5"), Row(1, "10.0.0.50")}, "is given different settings");

    // No gateway is fine; a DHCP camera given a fixed address switches to fixed mode; a
    // camera that moves onto an address another camera of the batch leaves waits for it.
    SetRequestRow clear = Row(1, "10.0.1.5");
    clear.change.gateway = "0.0.0.0";
    ASSERT_TRUE(planner.Plan({clear, Row(4, "10.0.0.50"), Row(3, "10.0.0.51"), Row(2, "10.0.0.7")},
                             "", &jobs, &notes, &error))
        << error;
    EXPECT_EQ(jobs[1].after.netMode, 0);
    EXPECT_EQ(jobs[2].wave, 0);
    EXPECT_EQ(jobs[3].wave, 1);  // 10.0.0.7 is camera 3's until it has moved
}

TEST(SetPlanFileTest, CsvAndJsonPlansSetWhatTheyNameAndPointAtTheirMistakes) {
    std::vector<SetRequestRow> rows;
    std::string error;
    const std::string csv =
        "\xEF\xBB\xBFmac,name,ip,dns2,network,uid\r\n"
        "02:4f:52:00:00:01,\"Gate, \"\"north\"\"\nside\",10.0.0.5,,dynamic,ignored\r\n"
        "\r\n"
        "02-4F-52-00-00-02,Yard,10.0.0.6,10.0.0.53,fixed,x\r\n";
    ASSERT_TRUE(SetPlanFile::Parse(csv, "plan.csv", &rows, &error)) << error;
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(*rows[0].change.name, "Gate, \"north\"\nside");
    EXPECT_EQ(*rows[0].change.dns2, "");  // an empty cell sets an empty value
    EXPECT_EQ(*rows[0].change.netMode, 1);
    EXPECT_FALSE(rows[0].change.mask.has_value());  // no column: kept
    EXPECT_EQ(rows[1].where, "plan line 5");        // the quoted line break counts
    EXPECT_EQ(SetPlanner::NormalMac(rows[1].mac), "02:4F:52:00:00:02");

    const auto fails = [&](const std::string& text, const std::string& says) {
        error.clear();
        EXPECT_FALSE(SetPlanFile::Parse(text, "p", &rows, &error)) << text;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    };
    fails("mac,port\n02:4F:52:00:00:01,80\n02:4F:52:00:00:02,99999\n",
          "p: line 3: column 'port': '99999' is not a port");
    fails("mac,ip\n02:4F:52:00:00:01\n", "p: line 2: 1 cells, the header has 2");
    fails("ip,name\n10.0.0.1,x\n", "p: line 1: the header has no column 'mac'");
    fails("mac,colour\n02:4F:52:00:00:01,red\n", "column 'colour': not a setting");
    fails("mac,name\n02:4F:52:00:00:01,\"open\n", "line 2: a quoted cell is not closed");
    fails(
        "[\n {\"mac\": \"02:4F:52:00:00:01\"},\n {\"mac\": \"02:4F:52:00:00:02\",\n  \"port\": "
        "true}\n]",
        "p: line 3: key 'port'");
    fails("{\"cameras\": [{\"ip\": \"10.0.0.1\"}]}", "line 1: the camera has no \"mac\"");
    fails("{\"cameras\": 3}", "needs an array of cameras");
    fails("[{\"mac\": \"02:4F:52:00:00:01\",]", "not a JSON document");
    fails("  \n", "the plan is empty");
    fails(std::string(500, '[') + "1" + std::string(500, ']'),
          "p: not a JSON document");  // too deep

    // What a scan writes in JSON is a plan as it stands.
    ASSERT_TRUE(SetPlanFile::Parse(
        "{\"cameras\": [{\"mode\": \"F\", \"name\": \"A\", \"ip\": \"10.0.0.5\", \"port\": 81, "
        "\"mac\": \"02:4F:52:00:00:01\", \"network\": \"fixed\", \"otherSubnet\": false, "
        "\"sharedMac\": false, \"adapterIp\": \"10.0.0.1\"}], \"failures\": []}",
        "scan.json", &rows, &error))
        << error;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(*rows[0].change.port, 81);
}

TEST(SetPlannerTest, MasksAreContiguousOnesThenZeros) {
    for (const char* good : {"255.255.255.0", "255.0.0.0", "255.255.255.252", "255.255.255.255"})
        EXPECT_TRUE(SetPlanner::IsContiguousMask(good)) << good;
    for (const char* bad : {"0.0.0.0", "255.0.255.0", "255.255.255.1", "254.255.255.0", "x", ""})
        EXPECT_FALSE(SetPlanner::IsContiguousMask(bad)) << bad;
}

}  // namespace
