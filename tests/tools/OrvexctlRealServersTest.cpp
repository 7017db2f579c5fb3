// orvexctl against real HTTP servers from Debian: lighttpd (mod_cgi, replies streamed and
// so chunked) and busybox httpd (replies without a length, to the close) as cameras' web
// sides, nginx and lighttpd as the firmware server. A peer we did not write.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/ProcessRunner.h"
#include "tests/support/RealServers.h"

namespace {

using orvextest::ProcessResult;
using orvextest::RealServers;
using orvextest::RunProcess;
using orvextest::ToolPath;

// A password with every character that would change a query.
const char* const kPassword = "a&b #%+=?";
const char* const kEscaped = "a%26b%20%23%25%2B%3D%3F";

class OrvexctlRealServers : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(servers.Start(&error)) << error;
        setenv("ORVEX_PASSWORD", kPassword, 1);
        setenv("ORVEX_FIRMWARE_HOST", RealServers::kFirmwareServer, 1);
        setenv("ORVEX_TIME_SCALE", "10", 1);
    }
    void TearDown() override {
        unsetenv("ORVEX_PASSWORD");
        unsetenv("ORVEX_FIRMWARE_HOST");
        unsetenv("ORVEX_TIME_SCALE");
    }
    std::string Camera() const { return GetParam(); }
    std::string Url(const std::string& command, const std::string& password = kEscaped) const {
        return "http://" + Camera() + "/" + command + (command.find('?') == std::string::npos ? "?" : "&") +
               "user=admin&pwd=" + password + "&loginuse=admin&loginpas=" + password;
    }
    ProcessResult Orvexctl(const std::vector<std::string>& args) { return RunProcess(ToolPath("ORVEXCTL"), args); }

    RealServers servers{kPassword};
};

TEST_P(OrvexctlRealServers, ValuesExecAndUploadAsTheCameraTakesThem) {
    auto r = Orvexctl({"cgi", "values", Url("get_status.cgi"), "sys_ver", "app_version", "oem_id"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("nResult=0\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("sys_ver=1.7.15.4\napp_version=1.7.15.1\noem_id=ORVEX\n"), std::string::npos) << r.out;
    EXPECT_EQ(servers.CameraState(Camera(), "last-password"), kPassword);  // intact

    r = Orvexctl({"cgi", "exec", Url("set_factory_param.cgi?deviceid=ORVX123456ABCDE,ABCDEF")});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(servers.CameraState(Camera(), "uid"), "ORVX123456ABCDE,ABCDEF");

    // A wrong password: the camera's own verdict, with the status it came with.
    r = Orvexctl({"cgi", "values", Url("get_status.cgi", "wrong"), "sys_ver"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 10), "nResult=3\n") << r.out;
    EXPECT_NE(r.out.find("httpStatus=401\n"), std::string::npos) << r.out;
    r = Orvexctl({"cgi", "exec", Url("set_factory_param.cgi?deviceid=X", "wrong")});
    EXPECT_EQ(r.out.substr(0, 10), "nResult=3\n") << r.out;

    // 5 MB through the multipart upload, stored byte for byte.
    std::string firmware = servers.FirmwareFile("1.7.16.1");
    while (firmware.size() < 5u * 1024 * 1024) firmware += firmware;
    const std::string path = orvextest::WriteFile(servers.Dir() + "/upload.bin", firmware);
    r = Orvexctl({"cgi", "upload", Url("upgrade_firmware.cgi"), path});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_TRUE(servers.CameraState(Camera(), "uploaded-sys_ver") == firmware);
    EXPECT_EQ(servers.CameraState(Camera(), "sys_ver"), "1.7.16.1");

    // A command the camera does not have: a 404, never a success.
    r = Orvexctl({"cgi", "exec", Url("no_such.cgi")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.substr(0, 11), "nResult=15\n") << r.out;
}

TEST_P(OrvexctlRealServers, SmartUpgradeAndSystemUploadEndVerified) {
    auto r = Orvexctl({"upgrade", "--host", Camera(), "--smart", "--yes"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("status 38 "), std::string::npos) << r.out;
    EXPECT_EQ(servers.CameraState(Camera(), "sys_ver"), "1.7.15.9");
    EXPECT_TRUE(servers.CameraState(Camera(), "downloaded") == servers.FirmwareFile("1.7.15.9"));

    const std::string file =
        orvextest::WriteFile(servers.Dir() + "/system.bin", servers.FirmwareFile("1.7.17.2"));
    r = Orvexctl({"upgrade", "--host", Camera(), "--system", file, "--format", "json"});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_NE(r.out.find("\"verdict\" : \"verified\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"version_after\" : \"1.7.17.2\""), std::string::npos) << r.out;
    EXPECT_TRUE(servers.CameraState(Camera(), "uploaded-sys_ver") == servers.FirmwareFile("1.7.17.2"));

    // The firmware server has nothing for this version: a 404 is "no such firmware".
    r = Orvexctl({"upgrade", "--host", Camera(), "--smart", "--yes", "--version", "9.9.9.9"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("status 30 "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(HTTP 404: no such firmware)"), std::string::npos) << r.out;
}

INSTANTIATE_TEST_SUITE_P(LighttpdAndBusybox, OrvexctlRealServers,
                         ::testing::Values(RealServers::kLighttpdCamera, RealServers::kBusyboxCamera));

TEST(RealFirmwareServers, DocumentsChunkedOrPlainAndMissingVersions) {
    RealServers servers("pw");
    std::string error;
    ASSERT_TRUE(servers.Start(&error)) << error;
    const std::string doc = std::string("{\"name\":\"1.7.15.9\",\"download_server\":\"") + RealServers::kFirmwareServer +
                            "\",\"download_file\":\"files/system-1.7.15.9.bin\"}";
    for (const char* server : {RealServers::kFirmwareServer, RealServers::kChunkedFirmwareServer}) {
        const std::string base = std::string("http://") + server + ":808/firmware/";
        auto r = RunProcess(ToolPath("ORVEXCTL"), {"cgi", "download", base + "1.7.15.4/cn"});
        EXPECT_EQ(r.status, 0) << server << r.out;
        EXPECT_EQ(r.out, "nResult=0\ncontentLen=" + std::to_string(doc.size()) + "\n" + doc + "\n") << server;
        r = RunProcess(ToolPath("ORVEXCTL"), {"cgi", "download", base + "1.0.0.0/cn"});
        EXPECT_EQ(r.status, 1) << server;
        EXPECT_EQ(r.out.substr(0, 11), "nResult=15\n") << server << r.out;
        EXPECT_NE(r.out.find("httpStatus=404\n"), std::string::npos) << server << r.out;
        EXPECT_EQ(r.out.find("no such firmware\r\n"), std::string::npos) << "an error page is no document";
    }
}

}  // namespace
