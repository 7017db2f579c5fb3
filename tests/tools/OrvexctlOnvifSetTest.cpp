// New network settings for ONVIF cameras: a device service takes the DNS, the gateway and
// the interface in an order that keeps it reachable, orvexctl set --protocol onvif plans
// them with the native set's checks, verifies each camera where it is to be (the same MAC,
// the new settings, after the reboot a camera asks for) and refuses what would break the
// site before anything is sent.
#include <gtest/gtest.h>
#include <json/json.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <thread>

#include "onvif/OnvifDevice.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/OnvifResponder.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

constexpr int kPort = 8200;  // every device service on the same port, as on a real site

camsim::CameraConfig Device(int n) {
    camsim::CameraConfig c;
    c.ip = "127.0.5." + std::to_string(n);
    c.port = kPort;
    c.mask = "255.255.255.0";
    c.gateway = "127.0.5.254";
    c.mac = {0x02, 0x4F, 0x52, 0x0E, 0x00, static_cast<std::uint8_t>(n)};
    c.password = "S3cret";
    c.native = false;
    c.onvif.enabled = true;
    c.onvif.clockOffset = n == 2 ? -7200 : 0;
    c.faults.restartMs = 1500;
    return c;
}

std::string Host(int n) {
    return "127.0.5." + std::to_string(n) + ":" + std::to_string(kPort);
}

class OnvifSet : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_PASSWORD", "S3cret", 1);
        for (int n = 1; n <= 4; ++n) {
            camsim::CameraConfig c = Device(n);
            c.onvif.rebootNeeded = n == 2;       // takes new settings only when rebooted
            c.setFaults.keepSettings = n == 4;  // says yes to them and keeps its own
            fleet.AddCamera(c);
        }
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
    }
    void TearDown() override {
        unsetenv("ORVEX_PASSWORD");
        fleet.Stop();
    }
    orvextest::ProcessResult Set(std::vector<std::string> args) {
        args.insert(args.begin(), {"set", "--protocol", "onvif", "--format", "json", "--verify-seconds", "15"});
        return RunProcess(ToolPath("ORVEXCTL"), args);
    }
    // The device service at `ip`, and the login every device here takes.
    static orvex::XAddr Service(const std::string& ip) {
        orvex::XAddr x;
        x.host = ip;
        x.port = kPort;
        x.path = "/onvif/device_service";
        x.valid = true;
        return x;
    }
    static orvex::OnvifLogin Login() {
        orvex::OnvifLogin login;
        login.password = "S3cret";
        return login;
    }
    // What the device at `host` shows, read as any ONVIF client reads it.
    orvex::OnvifNetwork Shown(const std::string& ip, bool* read) {
        orvex::OnvifDevice device(Service(ip), Login());
        orvex::OnvifNetwork n;
        long long offset = 0;
        std::string why;
        *read = device.ReadClock(&offset, &why) && device.ReadNetwork(&n, &why);
        return n;
    }

    camsim::CameraFleet fleet;
};

TEST_F(OnvifSet, ADeviceTakesANewAddressGatewayAndDnsAndStaysReachableThroughout) {
    bool read = false;
    orvex::OnvifNetwork n = Shown("127.0.5.1", &read);
    ASSERT_TRUE(read);
    n.ip = "127.0.6.11";
    n.mask = "255.255.255.0";
    n.gateway = "127.0.6.254";
    n.dns1 = "127.0.6.53";
    orvex::OnvifDevice device(Service("127.0.5.1"), Login());
    long long offset = 0;
    bool rebootNeeded = true;
    std::string why;
    ASSERT_TRUE(device.ReadClock(&offset, &why)) << why;
    // The device moves as soon as it takes the interface: the gateway and DNS go first.
    ASSERT_TRUE(device.WriteNetwork(n, &rebootNeeded, &why)) << why;
    EXPECT_FALSE(rebootNeeded);
    orvex::OnvifNetwork moved;
    read = false;
    for (int i = 0; i < 50 && !read; ++i) {
        moved = Shown("127.0.6.11", &read);
        if (!read) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(read);
    EXPECT_EQ(moved.ip, "127.0.6.11");
    EXPECT_EQ(moved.gateway, "127.0.6.254");
    EXPECT_EQ(moved.dns1, "127.0.6.53");
    // The native side of the camera shows the same.
    EXPECT_EQ(fleet.Camera(0).ip, "127.0.6.11");
    EXPECT_EQ(fleet.Camera(0).gateway, "127.0.6.254");
}

TEST_F(OnvifSet, CamerasAreVerifiedWhereTheyAreToBeAndJournaled) {
    // One moves at once, the other (its clock two hours slow) only once rebooted.
    const auto r = Set({"--host", Host(1), "--host", Host(2), "--ip-range", "127.0.5.21", "--dns1", "127.0.5.53"});
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    const Json::Value report = ParseJson(r.out);
    ASSERT_EQ(report["results"].size(), 2u) << r.out;
    for (int i = 0; i < 2; ++i) {
        const Json::Value& row = report["results"][i];
        EXPECT_EQ(row["mac"].asString(), "02:4F:52:0E:00:0" + std::to_string(i + 1));
        EXPECT_EQ(row["ip_before"].asString(), "127.0.5." + std::to_string(i + 1));
        EXPECT_EQ(row["ip_after"].asString(), "127.0.5." + std::to_string(21 + i));
        EXPECT_EQ(row["verification"].asString(), "verified") << row;
        EXPECT_EQ(row["journal"].asString(), "written");
    }
    EXPECT_NE(report["results"][1]["result_text"].asString().find("restarted"), std::string::npos);
    bool read = false;
    const orvex::OnvifNetwork second = Shown("127.0.5.22", &read);
    ASSERT_TRUE(read);
    EXPECT_EQ(second.mac, "02:4F:52:0E:00:02");
    EXPECT_EQ(second.dns1, "127.0.5.53");
    EXPECT_EQ(fleet.Camera(1).ip, "127.0.5.22");
    // The journal holds each change, sent and its result, as for a native camera.
    const auto journal = RunProcess(ToolPath("ORVEXCTL"), {"journal", "--mac", "02:4F:52:0E:00:02", "--format", "json"});
    ASSERT_EQ(journal.status, 0) << journal.err;
    const Json::Value entries = ParseJson(journal.out)["entries"];
    ASSERT_GE(entries.size(), 1u) << journal.out;
    EXPECT_EQ(entries[entries.size() - 1]["result"].asString(), "verified") << journal.out;

    // Nothing to change: unchanged, and nothing sent.
    const auto again = Set({"--host", "127.0.5.21:8200", "--dns1", "127.0.5.53"});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(ParseJson(again.out)["results"][0]["verification"].asString(), "unchanged");

    // A camera that says yes and keeps its settings is not verified, and the run fails.
    const auto kept = Set({"--host", Host(4), "--dns1", "127.0.5.54", "--verify-seconds", "2"});
    EXPECT_EQ(kept.status, 1) << kept.out;
    const Json::Value keptRow = ParseJson(kept.out)["results"][0];
    EXPECT_EQ(keptRow["verification"].asString(), "not verified");
    EXPECT_EQ(keptRow["ip_after"].asString(), "127.0.5.4");  // it was seen, showing its old DNS
}

TEST_F(OnvifSet, WhatWouldBreakTheSiteIsRefusedBeforeAnythingIsSent) {
    // An address another device answers at, one given to two cameras, a gateway outside
    // the new subnet, a mask with holes, a port (not theirs to change), no --host.
    EXPECT_EQ(Set({"--host", Host(1), "--ip", "127.0.5.3"}).status, 2);
    EXPECT_EQ(Set({"--host", Host(1), "--host", Host(3), "--ip-range", "127.0.5.30-127.0.5.30"}).status, 2);
    EXPECT_EQ(Set({"--host", Host(1), "--gateway", "127.0.9.1"}).status, 2);
    EXPECT_EQ(Set({"--host", Host(1), "--mask", "255.0.255.0"}).status, 2);
    EXPECT_EQ(Set({"--host", Host(1), "--port", "81"}).status, 2);
    EXPECT_EQ(Set({"--ip", "127.0.5.40"}).status, 2);
    EXPECT_EQ(RunProcess(ToolPath("ORVEXCTL"), {"set", "--host", Host(1), "--ip", "127.0.5.40", "--all"}).status, 2);
    // A dry run says what would change and sends nothing.
    const auto dry = Set({"--host", Host(1), "--ip", "127.0.5.41", "--dry-run"});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(ParseJson(dry.out)["results"][0]["verification"].asString(), "would change");
    for (std::size_t i = 0; i < fleet.CameraCount(); ++i) EXPECT_EQ(fleet.Camera(i).ip, Device(static_cast<int>(i) + 1).ip);

    // A wrong password is the camera's refusal, never success; the camera keeps its settings.
    setenv("ORVEX_PASSWORD", "wrong", 1);
    const auto denied = Set({"--host", Host(4), "--ip", "127.0.5.44"});
    EXPECT_EQ(denied.status, 1);
    EXPECT_NE(denied.err.find("ter:NotAuthorized"), std::string::npos) << denied.err;
    EXPECT_EQ(fleet.Camera(3).ip, "127.0.5.4");
}

// A plan names ONVIF cameras by their device service (protocol onvif, host); a scan's ONVIF
// row without a host and a native row are left alone, and a row that does not fit its
// device is refused before anything is sent.
TEST_F(OnvifSet, APlanNamesOnvifCamerasByTheirDeviceService) {
    const std::string dir = ::testing::TempDir();
    const auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir + name, std::ios::binary | std::ios::trunc) << text;
        return dir + name;
    };
    const std::string plan = write("onvif-plan.json", "[\n"
        " {\"protocol\": \"onvif\", \"host\": \"" + Host(1) + "\", \"mac\": \"02-4f-52-0e-00-01\",\n"
        "  \"ip\": \"127.0.5.31\", \"name\": \"Lobby\", \"port\": 8200},\n"
        " {\"protocol\": \"onvif\", \"host\": \"" + Host(3) + "\", \"dns1\": \"127.0.5.63\"},\n"
        " {\"protocol\": \"onvif\", \"ip\": \"127.0.5.2\", \"mac\": \"02:4F:52:0E:00:02\"},\n"
        " {\"mac\": \"02:4F:52:0E:00:99\", \"ip\": \"127.0.5.77\"}\n]\n");
    // A native run leaves the ONVIF rows to an ONVIF one.
    const auto native = RunProcess(ToolPath("ORVEXCTL"), {"set", "--plan", write("onvif-only.csv",
        "protocol,host,ip\r\nonvif," + Host(1) + ",127.0.5.32\r\n"), "--all"});
    EXPECT_EQ(native.status, 2);
    EXPECT_NE(native.err.find("set --protocol onvif --plan"), std::string::npos) << native.err;

    const auto r = Set({"--plan", plan});
    ASSERT_EQ(r.status, 0) << r.err << r.out;
    EXPECT_NE(r.err.find("plan line 6: a native camera"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("name is not changed"), std::string::npos) << r.err;
    const Json::Value results = ParseJson(r.out)["results"];
    ASSERT_EQ(results.size(), 2u) << r.out;
    EXPECT_EQ(results[0]["verification"].asString(), "verified") << results[0];
    EXPECT_EQ(results[1]["verification"].asString(), "verified") << results[1];
    EXPECT_EQ(fleet.Camera(0).ip, "127.0.5.31");
    EXPECT_EQ(fleet.Camera(2).dns1, "127.0.5.63");
    EXPECT_EQ(fleet.Camera(1).ip, "127.0.5.2");  // the scan's row named no device service

    // Refused, nothing sent: a MAC that is not the device's, a device service named twice,
    // a port changed, a host on a row that is not ONVIF, settings given beside a plan.
    const std::string csvHead = "protocol,host,mac,ip\n";
    const auto wrongMac = Set({"--plan", write("p1.csv", csvHead + "onvif," + Host(4) + ",02:4F:52:0E:00:03,127.0.5.34\n")});
    EXPECT_EQ(wrongMac.status, 2);
    EXPECT_NE(wrongMac.err.find("reports MAC 02:4F:52:0E:00:04, not 02:4F:52:0E:00:03"), std::string::npos) << wrongMac.err;
    EXPECT_EQ(Set({"--plan", write("p2.csv", csvHead + "onvif," + Host(4) + ",,127.0.5.34\nonvif," + Host(4) +
                                                 ",,127.0.5.35\n")}).status, 2);
    EXPECT_EQ(Set({"--plan", write("p3.csv", "protocol,host,port\nonvif," + Host(4) + ",81\n")}).status, 2);
    const auto notOnvif = Set({"--plan", write("p4.csv", "host,ip\n" + Host(4) + ",127.0.5.34\n")});
    EXPECT_EQ(notOnvif.status, 2);
    EXPECT_NE(notOnvif.err.find("the row needs protocol onvif"), std::string::npos) << notOnvif.err;
    EXPECT_EQ(Set({"--plan", write("p5.csv", csvHead + "onvif,127.0.5.4:0,,127.0.5.34\n")}).status, 2);
    EXPECT_EQ(Set({"--plan", plan, "--ip", "127.0.5.34"}).status, 2);
    // A mixed plan gives each address once across both kinds of camera, whichever runs.
    const std::string mixed = write("mixed.csv", csvHead + "onvif," + Host(4) + ",,127.0.5.40\n,,02:4F:52:0E:00:05,"
                                    "127.0.5.40\n");
    const auto onvifRun = Set({"--plan", mixed});
    EXPECT_EQ(onvifRun.status, 2);
    EXPECT_NE(onvifRun.err.find("line 3: 127.0.5.40 is also the new address of plan line 2"), std::string::npos)
        << onvifRun.err;
    const auto nativeRun = RunProcess(ToolPath("ORVEXCTL"), {"set", "--plan", mixed, "--all"});
    EXPECT_EQ(nativeRun.status, 2);
    EXPECT_NE(nativeRun.err.find("127.0.5.40 is also the new address of"), std::string::npos) << nativeRun.err;
    const auto ontoDevice = Set({"--plan", write("onto.csv", csvHead + "onvif," + Host(4) + ",,\n,,02:4F:52:0E:00:05,"
                                                             "127.0.5.4\n")});
    EXPECT_EQ(ontoDevice.status, 2);
    EXPECT_NE(ontoDevice.err.find("line 3: 127.0.5.4 is the ONVIF device of plan line 2"), std::string::npos)
        << ontoDevice.err;
    EXPECT_EQ(fleet.Camera(3).ip, "127.0.5.4");
}

// A moved camera is found where it went: its discovery replies come from its new address
// and name its device service there; nothing answers for it at the old one.
TEST_F(OnvifSet, AScanFindsAMovedCameraAtItsNewAddress) {
    std::vector<camsim::CameraConfig> cameras;
    for (std::size_t i = 0; i < fleet.CameraCount(); ++i) cameras.push_back(fleet.Camera(i));
    camsim::OnvifResponder responder;
    std::string error;
    ASSERT_TRUE(responder.Start(cameras, "127.0.0.1", &error, [this](std::size_t i) { return fleet.Camera(i); }))
        << error;
    const auto moved = Set({"--host", Host(1), "--ip", "127.0.5.51"});
    ASSERT_EQ(moved.status, 0) << moved.err << moved.out;
    const auto scan = RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1", "--protocol", "onvif",
                                                        "--seconds", "2", "--format", "json"});
    responder.Stop();
    ASSERT_EQ(scan.status, 0) << scan.err;
    std::map<std::string, Json::Value> byMac;
    const Json::Value report = ParseJson(scan.out);
    for (const Json::Value& row : report["cameras"]) byMac[row["mac"].asString()] = row;
    ASSERT_EQ(byMac.size(), 4u) << scan.out << scan.err;
    const Json::Value& first = byMac["02:4F:52:0E:00:01"];
    EXPECT_EQ(first["ip"].asString(), "127.0.5.51");
    EXPECT_EQ(first["xaddrs"][0].asString(), "http://127.0.5.51:8200/onvif/device_service");
    EXPECT_EQ(byMac["02:4F:52:0E:00:02"]["ip"].asString(), "127.0.5.2");
}

}  // namespace
