// ONVIF cameras beside native ones: WS-Discovery through orvexctl scan against virtual
// cameras that speak both protocols, and against wsdd, a WS-Discovery responder from
// Debian; every camera once on every scan, whatever the reply delays, duplicated replies,
// reused message ids, wrong XAddrs and hostile datagrams.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <json/json.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>
#include <thread>

#include "onvif/OnvifDiscovery.h"
#include "tests/support/NetnsCommand.h"
#include "tests/support/ParseJson.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/OnvifResponder.h"

namespace {

using orvextest::ParseJson;
using orvextest::RunProcess;
using orvextest::ToolPath;

camsim::CameraConfig OnvifCamera(int n, bool onvif = true) {
    camsim::CameraConfig c;
    c.ip = "127.0.3." + std::to_string(n);
    c.port = static_cast<std::uint16_t>(8000 + n);
    c.mac = {0x02, 0x4F, 0x52, 0x0C, static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)};
    c.name = "Cam " + std::to_string(n);
    c.onvif.enabled = onvif;
    return c;
}

class Onvif : public ::testing::Test {
protected:
    void Start() {
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        std::vector<camsim::CameraConfig> cameras;
        for (std::size_t i = 0; i < fleet.CameraCount(); ++i) cameras.push_back(fleet.Camera(i));
        ASSERT_TRUE(responder.Start(cameras, "127.0.0.1", &error)) << error;
    }
    void TearDown() override {
        responder.Stop();
        fleet.Stop();
    }
    Json::Value Scan(std::vector<std::string> more) {
        std::vector<std::string> args = {"scan", "--bind", "127.0.0.1", "--seconds", "2", "--format", "json"};
        args.insert(args.end(), more.begin(), more.end());
        const auto r = RunProcess(ToolPath("ORVEXCTL"), args);
        EXPECT_EQ(r.status, 0) << r.err;
        return ParseJson(r.out)["cameras"];
    }
    static std::map<std::string, std::vector<Json::Value>> ByProtocol(const Json::Value& rows) {
        std::map<std::string, std::vector<Json::Value>> out;
        for (const Json::Value& row : rows) out[row["protocol"].asString()].push_back(row);
        return out;
    }

    camsim::CameraFleet fleet;
    camsim::OnvifResponder responder;
};

TEST_F(Onvif, AMixedSiteIsListedWholeOneRowPerEndpointAndTheRepliesSourceIsTheAddress) {
    fleet.AddCamera(OnvifCamera(1));
    camsim::CameraConfig reuses = OnvifCamera(2);
    reuses.onvif.reuseMessageId = true;  // answers with the probe's own MessageID
    reuses.onvif.xaddrHost = "10.9.9.9";  // and names an address it does not have
    fleet.AddCamera(reuses);
    fleet.AddCamera(OnvifCamera(3, false));  // native only
    Start();
    const auto all = ByProtocol(Scan({}));
    ASSERT_EQ(all.at("native").size(), 3u);
    ASSERT_EQ(all.at("onvif").size(), 2u);  // three probes, each camera once
    std::map<std::string, Json::Value> onvif;
    for (const Json::Value& row : all.at("onvif")) onvif[row["ip"].asString()] = row;
    const Json::Value& wrong = onvif.at("127.0.3.2");
    EXPECT_EQ(wrong["xaddr_ip"].asString(), "10.9.9.9");
    EXPECT_EQ(wrong["xaddrs"][0].asString(), "http://10.9.9.9:8002/onvif/device_service");
    EXPECT_EQ(wrong["port"].asInt(), 8002);
    const Json::Value& one = onvif.at("127.0.3.1");
    EXPECT_EQ(one["name"].asString(), "Cam 1");
    EXPECT_EQ(one["hardware"].asString(), "OrvexSim");
    EXPECT_EQ(one["mac"].asString(), "02:4F:52:0C:00:01");
    EXPECT_EQ(one["endpoint"].asString(), camsim::OnvifResponder::Endpoint(fleet.Camera(0)));
    EXPECT_EQ(one["adapter_ip"].asString(), "127.0.0.1");
    EXPECT_EQ(one["types"][0].asString(), "{http://www.onvif.org/ver10/network/wsdl}NetworkVideoTransmitter");

    EXPECT_EQ(ByProtocol(Scan({"--protocol", "native"})).count("onvif"), 0u);
    const auto only = ByProtocol(Scan({"--protocol", "onvif"}));
    EXPECT_EQ(only.count("native"), 0u);
    EXPECT_EQ(only.at("onvif").size(), 2u);
    EXPECT_EQ(responder.ProbesHeard(), 6u);  // three a scan with ONVIF, none without

    // A scan report with ONVIF rows still restores the native cameras as a plan.
    const auto dry = RunProcess(ToolPath("ORVEXCTL"),
                                {"scan", "--bind", "127.0.0.1", "--seconds", "2", "--format", "csv"});
    ASSERT_EQ(dry.status, 0);
    EXPECT_NE(dry.out.find(",onvif,urn:uuid:"), std::string::npos) << dry.out;
}

TEST_F(Onvif, EveryCameraOnEveryScanWhateverTheReplyDelays) {
    for (int n = 1; n <= 60; ++n) {
        camsim::CameraConfig c = OnvifCamera(n);
        c.onvif.maxDelayMs = 500;  // replies spread over half a second
        fleet.AddCamera(c);
    }
    Start();
    for (int scan = 0; scan < 3; ++scan) {
        std::set<std::string> endpoints;
        std::size_t rows = 0;
        for (const Json::Value& row : Scan({"--protocol", "onvif"})) {
            endpoints.insert(row["endpoint"].asString());
            ++rows;
        }
        EXPECT_EQ(endpoints.size(), 60u) << "scan " << scan;
        EXPECT_EQ(rows, 60u) << "scan " << scan;
    }
}

TEST_F(Onvif, UnicastProbesFindCamerasThatMulticastDoesNotReach) {
    fleet.AddCamera(OnvifCamera(7));
    Start();
    orvex::OnvifDiscovery::Options options;  // no adapter: unicast only
    options.hosts = {"127.0.3.7", "127.0.3.8:3702"};
    options.seconds = 1;
    options.announcements = false;
    orvex::OnvifDiscovery discovery(options);
    std::string error;
    ASSERT_TRUE(discovery.Run(nullptr, &error)) << error;
    const auto cameras = discovery.Cameras();
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0].ip, "127.0.3.7");
}

TEST_F(Onvif, HostileDatagramsAreCountedAndDroppedAndTheCamerasStillListed) {
    fleet.AddCamera(OnvifCamera(1));
    Start();
    std::atomic<bool> flooding{true};
    std::thread flood([&] {
        const int fd = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(3702);
        inet_pton(AF_INET, "239.255.255.250", &to.sin_addr);  // to every listener
        in_addr out{};
        inet_pton(AF_INET, "127.0.0.1", &out);
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof(out));
        // Small hostile messages by the thousand a second, and now and then one of 65,000
        // bytes of nesting (more of those would only fill the sockets' buffers, which drops
        // the camera's reply as it would any datagram's: not what is tested here).
        const std::string bad[] = {"<!DOCTYPE x [<!ENTITY a \"a\">]><x>&a;</x>", "<s:Envelope",
                                   "<Envelope xmlns=\"urn:x\"><Body/></Envelope>"};
        const std::string nested(65000, '<');
        for (int i = 0; flooding; ++i) {
            const std::string& d = i % 100 == 99 ? nested : bad[i % 3];
            sendto(fd, d.data(), d.size(), 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
            if (i % 10 == 0) usleep(1000);
        }
        close(fd);
    });
    const auto r = RunProcess(ToolPath("ORVEXCTL"), {"scan", "--bind", "127.0.0.1", "--seconds", "2", "--protocol",
                                                     "onvif", "--format", "json"});
    flooding = false;
    flood.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ParseJson(r.out)["cameras"].size(), 1u);
    EXPECT_NE(r.err.find("message(s) dropped: a document type declaration"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("message(s) dropped: not a SOAP envelope"), std::string::npos) << r.err;
}

// wsdd, Debian's WS-Discovery responder, on an adapter of its own: found by the same
// discovery code when probed for its type (wsdp:Device), its repeated replies one row.
TEST(OnvifWsdd, AnIndependentResponderIsFoundOnce) {
    ASSERT_TRUE(orvextest::Ip("link add w0 type veth peer name w0p"));
    ASSERT_TRUE(orvextest::Ip("link set w0p up"));
    ASSERT_TRUE(orvextest::Ip("link set w0 up"));
    ASSERT_TRUE(orvextest::Ip("addr add 192.0.2.1/24 dev w0"));
    const pid_t wsdd = fork();
    if (wsdd == 0) {
        execlp("wsdd", "wsdd", "-4", "-i", "w0", "-n", "orvextest", "-t", static_cast<char*>(nullptr));
        _exit(127);
    }
    sleep(2);  // its start and its Hello
    orvex::OnvifDiscovery::Options options;
    options.sources = {{"192.0.2.1", "255.255.255.0", "w0"}};
    options.types = {{orvex::wsd::kDevprof, "Device"}};
    options.seconds = 2;
    orvex::OnvifDiscovery discovery(options);
    std::string error;
    const bool ran = discovery.Run(nullptr, &error);
    kill(wsdd, SIGTERM);
    int status = 0;
    waitpid(wsdd, &status, 0);
    orvextest::Ip("link del w0");
    ASSERT_TRUE(ran) << error;
    const auto found = discovery.Cameras();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].ip, "192.0.2.1");
    EXPECT_EQ(found[0].endpoint.rfind("urn:uuid:", 0), 0u);
    EXPECT_TRUE(discovery.Dropped().empty());
}

}  // namespace
