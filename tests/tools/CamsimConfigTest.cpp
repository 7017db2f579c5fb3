#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "discovery/DiscoveryCodec.h"
#include "tests/support/ProcessRunner.h"
#include "tools/camsim/CameraConfig.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FleetConsole.h"

namespace camsim {
namespace {

TEST(CamsimConfig, CameraFileWithUtf8NameAndEveryKey) {
    const std::string file =
        "# two cameras\n"
        "[camera]\n"
        "ip = 127.0.0.51\nmask = 255.255.255.0\ngateway = 127.0.0.1\ndns1 = 8.8.8.8\n"
        "dns2 = 8.8.4.4\nmac = 02:4f:52:01:02:03\nport = 8081\nuid = ORVX777777ABCDE\n"
        "name = Café door\nversion = 1.7.60.1\nddns = secret\nnetmode = 1\n"
        "user = root\npassword = p=w\nrights = 0\n"
        "\n[camera]\nip=127.0.0.52\n";
    std::vector<CameraConfig> cameras;
    std::string error;
    ASSERT_TRUE(ParseCameraFile(file, &cameras, &error)) << error;
    ASSERT_EQ(cameras.size(), 2u);
    const CameraConfig& c = cameras[0];
    EXPECT_EQ(c.ip, "127.0.0.51");
    EXPECT_EQ(c.mac[5], 0x03);
    EXPECT_EQ(c.port, 8081);
    EXPECT_EQ(c.name, "Café door");
    EXPECT_EQ(c.password, "p=w");
    EXPECT_FALSE(c.mayChangeSettings);
    const orvex::DeviceRecord r = c.ToRecord();
    EXPECT_STREQ(r.szName, "Café door");
    EXPECT_EQ(r.byNetMode, 1);
    EXPECT_STREQ(r.szDdnsPassword, "secret");
    EXPECT_EQ(cameras[1].ip, "127.0.0.52");
}

TEST(CamsimConfig, MistakesAreNamedWithTheirLine) {
    std::vector<CameraConfig> cameras;
    std::string error;
    EXPECT_FALSE(ParseCameraFile("ip = 1.2.3.4\n", &cameras, &error));
    EXPECT_NE(error.find("line 1"), std::string::npos);
    EXPECT_FALSE(ParseCameraFile("[camera]\nport = 70000\n", &cameras, &error));
    EXPECT_NE(error.find("line 2"), std::string::npos);
    EXPECT_FALSE(ParseCameraFile("[camera]\ncolour = red\n", &cameras, &error));
    CameraConfig c;
    EXPECT_FALSE(ParseCameraOption("ip=1.2.3", &c, &error));
    EXPECT_FALSE(ParseCameraOption("mac=00:11", &c, &error));
    EXPECT_TRUE(ParseCameraOption("ip=127.0.0.9,name=Yard,port=81", &c, &error)) << error;
    EXPECT_EQ(c.name, "Yard");
}

TEST(CamsimConsole, CommandsChangeTheFleet) {
    CameraFleet fleet;
    for (const auto& c : GenerateCameras(2)) fleet.AddCamera(c);
    bool quit = false;
    EXPECT_EQ(RunFleetCommand(fleet, "rename 2 New name", &quit), "ok");
    EXPECT_EQ(fleet.Camera(1).name, "New name");
    EXPECT_STREQ(fleet.Record(1).szName, "New name");
    EXPECT_EQ(RunFleetCommand(fleet, "move 1 127.0.9.9", &quit), "ok");
    EXPECT_STREQ(fleet.Record(0).szIp, "127.0.9.9");
    EXPECT_EQ(RunFleetCommand(fleet, "move 1 nowhere", &quit).rfind("error", 0), 0u);
    EXPECT_EQ(RunFleetCommand(fleet, "mute 3", &quit).rfind("error", 0), 0u);
    EXPECT_EQ(RunFleetCommand(fleet, "spread 100", &quit), "ok");
    EXPECT_EQ(RunFleetCommand(fleet, "bogus", &quit).rfind("error", 0), 0u);
    EXPECT_NE(RunFleetCommand(fleet, "list", &quit).find("127.0.9.9"), std::string::npos);
    EXPECT_FALSE(quit);
    RunFleetCommand(fleet, "quit", &quit);
    EXPECT_TRUE(quit);
}

TEST(CamsimProgram, GeneratedCamerasHaveUniqueLocallyAdministeredUnicastMacs) {
    // The largest --count the program takes, and one more, which it refuses.
    const std::string camsim = orvextest::ToolPath("CAMSIM");
    const std::string most = std::to_string(kMaxGeneratedCameras);
    const auto listed = orvextest::RunProcess(
        camsim, {"--count", most, "--no-web", "--no-firmware", "--bind", "127.0.0.1"}, "list\nquit\n");
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::set<std::string> macs;
    std::istringstream lines(listed.out);
    std::string line;
    while (std::getline(lines, line) && line != "bye") {
        std::vector<std::string> columns;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');) columns.push_back(cell);
        ASSERT_GE(columns.size(), 4u) << line;
        const std::string& mac = columns[3];
        ASSERT_EQ(mac.size(), 17u) << line;
        const int first = std::stoi(mac.substr(0, 2), nullptr, 16);
        EXPECT_EQ(first & 0x02, 0x02) << mac;  // locally administered
        EXPECT_EQ(first & 0x01, 0x00) << mac;  // unicast
        macs.insert(mac);
    }
    EXPECT_EQ(macs.size(), static_cast<std::size_t>(kMaxGeneratedCameras));
    const auto tooMany = orvextest::RunProcess(camsim, {"--count", std::to_string(kMaxGeneratedCameras + 1)});
    EXPECT_EQ(tooMany.status, 2);
}

TEST(CamsimProgram, RefusesBadOptions) {
    const std::string camsim = orvextest::ToolPath("CAMSIM");
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{}, {"--count", "0"}, {"--camera", "port=0"},
                                               {"--file", "/nonexistent"}, {"--wat"}}) {
        const auto result = orvextest::RunProcess(camsim, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.err.rfind("orvex-camsim: ", 0), 0u) << result.err;
    }
}

}  // namespace
}  // namespace camsim

namespace {

TEST(TraceViewer, PrintsTheTracesOfAnotherProgramAndKeepsItsClassName) {
    const std::string script =
        "\"$TRACEWIN\" & P=$!; sleep 0.3; "
        "\"$TRACEWIN\" 2>/dev/null; echo \"second=$?\" >&2; "
        "\"$ORVEXCTL\" scan --bind 192.0.2.1 --seconds 1 >/dev/null; sleep 0.3; kill $P; wait $P";
    const auto result = orvextest::RunProcess("/bin/sh", {"-c", script});
    EXPECT_NE(result.out.find("\n SetBindIPAddr ip=192.0.2.1"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\n inet_addr ip=192.0.2.1, nRandPort=8601"), std::string::npos);
    EXPECT_NE(result.out.find("\n exit update thread"), std::string::npos);
    EXPECT_NE(result.err.find("second=1"), std::string::npos);  // the class name is taken
    const auto mfx = orvextest::RunProcess(orvextest::ToolPath("TRACEWIN"), {"--colour"});
    EXPECT_EQ(mfx.status, 2);
}

}  // namespace
