// The virtual cameras' web side and the firmware server, driven through the CGI layer.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "cgi/CgiOper.h"
#include "tests/support/ProcessRunner.h"
#include "tests/support/TestClock.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"
#include "upgrade/JsonHandle.h"

namespace camsim {
namespace {

using orvex::CCgiOper;
using orvextest::WaitUntil;

const char* const kLogin = "user=admin&pwd=secret&loginuse=admin&loginpas=secret";

class CamsimWeb : public ::testing::Test {
protected:
    void SetUp() override {
        CameraConfig c;
        c.ip = "127.0.0.61";
        c.port = 8061;
        c.password = "secret";
        c.version = "1.7.15.4";
        c.faults.restartMs = 300;
        fleet.AddCamera(c);
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
    }
    std::string Url(const std::string& page, const std::string& login = kLogin) {
        const CameraConfig c = fleet.Web(0).Config();
        return "http://" + c.ip + ":" + std::to_string(c.port) + "/" + page +
               (page.find('?') == std::string::npos ? "?" : "&") + login;
    }
    // Switches to exactly the faults `change` sets (restarts stay short).
    void SetFaults(const std::function<void(WebFaults&)>& change) {
        WebFaults f;
        f.restartMs = 300;
        change(f);
        fleet.Web(0).SetFaults(f);
    }
    std::string FirmwareFile(const std::string& version, std::size_t size = 4000) {
        const std::string path = "/tmp/orvex-web-" + std::to_string(getpid()) + "-" + version;
        std::ofstream(path, std::ios::binary) << "ORVEXFW " << version << "\n" << std::string(size, 'x');
        m_files.push_back(path);
        return path;
    }
    void TearDown() override {
        for (const auto& f : m_files) unlink(f.c_str());
    }

    CameraFleet fleet;
    CCgiOper oper;
    int nResult = -1;
    int contentLen = -1;
    std::vector<std::string> m_files;
};

TEST_F(CamsimWeb, StatusNeedsTheAccountAndGivesTheFourKeys) {
    std::vector<std::wstring> values;
    ASSERT_TRUE(oper.GetCgiValues(Url("get_status.cgi").c_str(), 2,
                                  {L"sys_ver", L"app_version", L"params_md5", L"oem_id"}, values,
                                  &nResult, &contentLen));
    EXPECT_EQ(values, (std::vector<std::wstring>{L"1.7.15.4", L"2.4.10.3",
                                                 L"5f4dcc3b5aa765d61d8327deb882cf99", L"orvex"}));
    EXPECT_GT(contentLen, 0);
    values.clear();
    EXPECT_FALSE(oper.GetCgiValues(Url("get_status.cgi", "user=admin&pwd=wrong").c_str(), 2,
                                   {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(nResult, 3);
    // The raw reply carries a header of more than 164 bytes.
    const std::string raw = oper.Sock().m_szRecvBuf;
    EXPECT_GT(raw.find("\r\n\r\n"), 164u);
}

TEST_F(CamsimWeb, SetFactoryParamWritesTheUid) {
    EXPECT_TRUE(oper.ExecCgiCmd(Url("set_factory_param.cgi?deviceid=ORVX424242ABCDE").c_str(), 2,
                                &nResult, nullptr));
    EXPECT_EQ(fleet.Web(0).Config().uid, "ORVX424242ABCDE");
    EXPECT_FALSE(oper.ExecCgiCmd(Url("set_factory_param.cgi?deviceid=X", "user=admin&pwd=").c_str(), 2,
                                 &nResult, nullptr));
    EXPECT_EQ(nResult, 3);
}

TEST_F(CamsimWeb, AcceptedFirmwareRestartsTheCameraWithItsNewVersion) {
    orvextest::ScopedTimeScale fast(4);
    const std::string file = FirmwareFile("1.7.15.8");
    ASSERT_TRUE(oper.UpgradeFile(Url("upgrade_firmware.cgi").c_str(), 5,
                                 std::wstring(file.begin(), file.end()), L"", &nResult, nullptr));
    ASSERT_EQ(fleet.Web(0).Uploads().size(), 1u);
    std::ifstream in(file, std::ios::binary);
    EXPECT_EQ(fleet.Web(0).Uploads()[0].bytes, std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_EQ(fleet.Web(0).Uploads()[0].fileName, file);
    // Down: connections are refused, and searches go unanswered.
    ASSERT_TRUE(WaitUntil([&] { return !fleet.Web(0).Up(); }));
    std::vector<std::wstring> values;
    EXPECT_FALSE(oper.GetCgiValues(Url("get_status.cgi").c_str(), 1, {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(nResult, 7);
    // Back with the version the file named.
    ASSERT_TRUE(WaitUntil([&] { return fleet.Web(0).Up(); }));
    ASSERT_TRUE(oper.GetCgiValues(Url("get_status.cgi").c_str(), 2, {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(values.back(), L"1.7.15.8");
    EXPECT_STREQ(fleet.Record(0).szVersion, "1.7.15.8");

    // A web page file changes the web version instead.
    const std::string page = FirmwareFile("3.0.0.1");
    ASSERT_TRUE(oper.UpgradeFile(Url("upgrade_htmls.cgi").c_str(), 5,
                                 std::wstring(page.begin(), page.end()), L"", &nResult, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return !fleet.Web(0).Up(); }));
    ASSERT_TRUE(WaitUntil([&] { return fleet.Web(0).Up(); }));
    EXPECT_EQ(fleet.Web(0).Config().appVersion, "3.0.0.1");
}

TEST_F(CamsimWeb, CameraDownloadsTheFirmwareTheServerNames) {
    orvextest::ScopedTimeScale fast(4);
    FirmwareServer server(FirmwareServer::Settings{});
    std::string error;
    ASSERT_TRUE(server.Start(&error)) << error;
    char buffer[512] = {};
    ASSERT_TRUE(oper.DownloadFile(8, "http://127.0.0.80:808/firmware/1.7.15.4/cn", 2, 1, L"", buffer,
                                  511, &nResult, &contentLen));
    std::wstring name, host, file;
    ASSERT_TRUE(orvex::CJsonHandle().ParseFirmwareInfo(std::wstring(buffer, buffer + strlen(buffer)),
                                                       name, host, file));
    EXPECT_EQ(name, L"1.7.15.9");
    const std::string command = "auto_download_file.cgi?server=" + std::string(host.begin(), host.end()) +
                                "&port=80&file=" + std::string(file.begin(), file.end()) + "&type=0";
    ASSERT_TRUE(oper.ExecCgiCmd(Url(command).c_str(), 10, &nResult, nullptr));
    ASSERT_TRUE(WaitUntil([&] { return !fleet.Web(0).Up(); }));
    ASSERT_TRUE(WaitUntil([&] { return fleet.Web(0).Up(); }));
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.9");

    // A file the server does not have: the camera says it failed.
    EXPECT_FALSE(oper.ExecCgiCmd(Url("auto_download_file.cgi?server=127.0.0.80&port=80&file=nothing&type=0").c_str(),
                                 10, &nResult, nullptr));
    EXPECT_EQ(nResult, 1);
}

TEST_F(CamsimWeb, FaultsAsCamerasShowThem) {
    const std::string file = FirmwareFile("9.9.9.9");
    const std::wstring wfile(file.begin(), file.end());
    char buffer[512];

    SetFaults([](WebFaults& f) { f.refuseUpload = true; });
    EXPECT_FALSE(oper.UpgradeFile(Url("upgrade_firmware.cgi").c_str(), 2, wfile, L"", &nResult, nullptr));
    EXPECT_EQ(nResult, 1);
    EXPECT_TRUE(fleet.Web(0).Up());  // a refused file causes no restart

    SetFaults([](WebFaults& f) { f.noContentLength = true; });
    // No length, but the close ends the reply: read whole, and the camera restarts.
    EXPECT_TRUE(oper.UpgradeFile(Url("upgrade_firmware.cgi").c_str(), 2, wfile, L"", &nResult, nullptr));
    EXPECT_EQ(nResult, 0);
    ASSERT_TRUE(WaitUntil([&] { return !fleet.Web(0).Up(); }));
    ASSERT_TRUE(WaitUntil([&] { return fleet.Web(0).Up(); }));

    SetFaults([](WebFaults& f) { f.lowercaseLength = true; });
    EXPECT_TRUE(oper.DownloadFile(4, Url("get_status.cgi").c_str(), 2, 1, L"", buffer, 511, &nResult, &contentLen));

    SetFaults([](WebFaults& f) { f.cutReply = true; });
    EXPECT_FALSE(oper.DownloadFile(4, Url("get_status.cgi").c_str(), 2, 1, L"", buffer, 511, &nResult, &contentLen));
    EXPECT_EQ(nResult, 13);

    SetFaults([](WebFaults& f) { f.resetMidBody = true; });
    EXPECT_FALSE(oper.DownloadFile(4, Url("get_status.cgi").c_str(), 2, 1, L"", buffer, 511, &nResult, &contentLen));
    EXPECT_EQ(nResult, 13);

    SetFaults([](WebFaults& f) { f.neverReply = true; });
    EXPECT_FALSE(oper.ExecCgiCmd(Url("get_status.cgi").c_str(), 1, &nResult, nullptr));
    EXPECT_EQ(nResult, 8);

    SetFaults([](WebFaults& f) { f.slowReplyMs = 1500; });
    EXPECT_FALSE(oper.ExecCgiCmd(Url("set_factory_param.cgi?deviceid=A").c_str(), 1, &nResult, nullptr));
    EXPECT_EQ(nResult, 8);  // slower than the one-second timeout
    EXPECT_TRUE(oper.ExecCgiCmd(Url("set_factory_param.cgi?deviceid=A").c_str(), 3, &nResult, nullptr));
}

TEST_F(CamsimWeb, OrvexctlRunsEachOperation) {
    const std::string ctl = orvextest::ToolPath("ORVEXCTL");
    auto values = orvextest::RunProcess(ctl, {"cgi", "values", Url("get_status.cgi"), "sys_ver", "oem_id", "none"});
    EXPECT_EQ(values.status, 0);
    EXPECT_EQ(values.out.substr(0, 10), "nResult=0\n");
    EXPECT_NE(values.out.find("\nsys_ver=1.7.15.4\noem_id=orvex\nnone=NotFindKey\n"), std::string::npos)
        << values.out;
    auto denied = orvextest::RunProcess(ctl, {"cgi", "exec", Url("set_factory_param.cgi?deviceid=B", "user=x&pwd=y")});
    EXPECT_EQ(denied.status, 1);
    EXPECT_EQ(denied.out.substr(0, 10), "nResult=3\n");
    EXPECT_NE(denied.out.find("var result=\"Auth Failed\";"), std::string::npos);
    auto refused = orvextest::RunProcess(ctl, {"cgi", "upload", "http://127.0.0.1:1/u", "/etc/hostname", "--timeout", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "nResult=7\ncontentLen=0\n");
    auto doc = orvextest::RunProcess(ctl, {"firmware-doc"}, "{name:\"V1\", download_server:\"S\", download_file:\"F\"}");
    EXPECT_EQ(doc.status, 0);
    EXPECT_NE(doc.out.find("name=V1\ndownload_server=S\ndownload_file=F\n"), std::string::npos) << doc.out;
    auto single = orvextest::RunProcess(ctl, {"firmware-doc", "{\"name\":\"V1\"}"});
    EXPECT_EQ(single.status, 1);
    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"cgi"}, {"cgi", "exec"}, {"cgi", "fly", "http://x/"}, {"cgi", "values", "http://x/"},
             {"cgi", "download", "http://x/", "--kind", "3"}, {"cgi", "exec", "http://x/", "--timeout", "0"},
             {"cgi", "upload", "http://x/"}, {"firmware-doc", "a", "b"}}) {
        auto r = orvextest::RunProcess(ctl, bad);
        EXPECT_EQ(r.status, 2) << bad.back();
        EXPECT_EQ(r.err.rfind("orvexctl: ", 0), 0u);
    }
}

}  // namespace
}  // namespace camsim
