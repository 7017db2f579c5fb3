// orvexctl as a user runs it: a real process against virtual cameras on loopback.
#include <gtest/gtest.h>

#include <algorithm>

#include "discovery/CameraExport.h"
#include "discovery/DiscoveryCodec.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"

namespace {

using orvextest::RunProcess;
using orvextest::ToolPath;

TEST(OrvexctlArguments, BadInputGetsOneLineAndStatusTwo) {
    const std::string ctl = ToolPath("ORVEXCTL");
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"frobnicate"},
        {"scan"},
        {"scan", "--bind"},
        {"scan", "--bind", "localhost"},
        {"scan", "--bind", "127.0.0.1.5"},
        {"scan", "--bind", "300.1.1.1"},
        {"scan", "--bind", "127.0.0.1", "--seconds", "0"},
        {"scan", "--bind", "127.0.0.1", "--seconds", "5x"},
        {"scan", "--bind", "127.0.0.1", "--chatty"},
        {"adapters", "extra"},
    };
    for (const auto& args : bad) {
        const auto result = RunProcess(ctl, args);
        EXPECT_EQ(result.status, 2) << (args.empty() ? "" : args.back());
        EXPECT_TRUE(result.out.empty());
        EXPECT_FALSE(result.err.empty());
        if (!args.empty()) {
            EXPECT_EQ(result.err.rfind("orvexctl: ", 0), 0u) << result.err;
        }
    }
}

TEST(OrvexctlAdapters, ListsLoopbackWithTabSeparatedFields) {
    const auto result = RunProcess(ToolPath("ORVEXCTL"), {"adapters"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "lo\t127.0.0.1\t255.0.0.0\t\t\t\n");
}

class OrvexctlScan : public ::testing::Test {
protected:
    void SetUp() override {
        camsim::CameraConfig a;
        a.ip = "127.0.0.41";
        a.mac = {0x02, 0x4F, 0x52, 0xAA, 0x00, 0x01};
        a.name = "Front door";
        a.version = "1.2.15.4";
        camsim::CameraConfig b = a;
        b.ip = "127.0.0.42";
        b.mac[5] = 2;
        b.port = 8080;
        b.name = "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA";
        b.version = "1.7.20.1";
        fleet.AddCamera(a);
        fleet.AddCamera(b);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
    }
    // The camera's record as the listener makes it from its reply.
    orvex::DeviceRecord Received(std::size_t index) {
        const auto reply = orvex::BuildSearchReply(fleet.Record(index));
        return orvex::DecodeReply(reply.data(), reply.size()).record;
    }
    camsim::CameraFleet fleet;
};

TEST_F(OrvexctlScan, PrintsEventsAsTheyHappenThenTheExportLines) {
    const auto result = RunProcess(ToolPath("ORVEXCTL"),
                                   {"scan", "--bind", "127.0.0.1", "--seconds", "3", "--events"});
    ASSERT_EQ(result.status, 0) << result.err;
    const orvex::DeviceRecord a = Received(0);
    const orvex::DeviceRecord b = Received(1);
    const std::string exportLines = orvex::FormatExportLines({a, b});
    const std::string exportOther = orvex::FormatExportLines({b, a});
    ASSERT_GT(result.out.size(), exportLines.size());
    const std::string tail = result.out.substr(result.out.size() - exportLines.size());
    EXPECT_TRUE(tail == exportLines || tail == exportOther) << result.out;
    // The export numbers the cameras from 1, with each model letter in its column.
    EXPECT_NE(tail.find("1       "), std::string::npos);

    const std::string events = result.out.substr(0, result.out.size() - exportLines.size());
    EXPECT_NE(events.find("found 127.0.0.41 80 02:4F:52:AA:00:01 T Front door\n"),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("found 127.0.0.42 8080 02:4F:52:AA:00:02 G "
                          "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA\n"),
              std::string::npos)
        << events;
    EXPECT_NE(events.find("sweep 2\n"), std::string::npos) << events;
    // Searches at 0 s and 2 s: four replies, one sweep.
    EXPECT_EQ(std::count(events.begin(), events.end(), '\n'), 5) << events;
}

TEST_F(OrvexctlScan, WithoutEventsOnlyTheListIsPrinted) {
    const auto result = RunProcess(ToolPath("ORVEXCTL"),
                                   {"scan", "--bind", "127.0.0.1", "--seconds", "1"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2);
    EXPECT_EQ(result.out.substr(result.out.size() - 2), "\r\n");
}

TEST_F(OrvexctlScan, AddressOfNoAdapterIsAnErrorWithItsReason) {
    const auto result = RunProcess(ToolPath("ORVEXCTL"),
                                   {"scan", "--bind", "192.0.2.1", "--seconds", "3", "--events"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "error 1\n");  // the window's event, then no more waiting
    EXPECT_EQ(result.err, "orvexctl: cannot search from 192.0.2.1: Cannot assign requested address\n");
    EXPECT_TRUE(fleet.SearchTimes().empty());
}

}  // namespace
