// Verdicts and the reply grammar of the CGI layer, against loopback servers.
#include "cgi/CgiOper.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/ExceptionEx.h"
#include "platform/ModulePath.h"
#include "tests/support/RawServer.h"

namespace orvex {
namespace {

using orvextest::RawServer;

// A server answering every request with this body (and a length, unless told not to).
std::unique_ptr<RawServer> Answering(const std::string& body, bool withLength = true) {
    return std::make_unique<RawServer>([body, withLength](int fd, RawServer&) {
        RawServer::ReadRequest(fd);
        RawServer::SendText(fd, RawServer::Reply(body, "", withLength));
    });
}

struct Verdict {
    std::string body;
    BOOL ok;
    int nResult;
};

TEST(ExecCgiCmd, JudgesTheReplyText) {
    const std::vector<Verdict> cases = {
        {"var result='ok';", TRUE, 0},
        {"var result=0;", TRUE, 0},
        {"var result=\"Auth Failed\";", FALSE, 3},
        {"var result=-1;", FALSE, 1},
        {"var result=\"failed\";", FALSE, 1},
        {"var result=\"error\";", FALSE, 1},
        {"response=-1", FALSE, 1},
        {"var other=1;", FALSE, 1},        // transport fine, no verdict
        {"result: token", TRUE, 0},        // "ok" anywhere counts
        {"var result=\"Auth Failed\"; var ok=1;", TRUE, 0},  // "ok" wins over Auth
        {"", FALSE, 1},
    };
    for (const Verdict& v : cases) {
        auto server = Answering(v.body);
        CCgiOper oper;
        int nResult = -5;
        int contentLen = -5;
        EXPECT_EQ(oper.ExecCgiCmd(server->Url("/set_factory_param.cgi").c_str(), 2, &nResult, &contentLen), v.ok)
            << v.body;
        EXPECT_EQ(nResult, v.nResult) << v.body;
        EXPECT_EQ(contentLen, static_cast<int>(v.body.size())) << v.body;
    }
}

TEST(ExecCgiCmd, TransportFailureKeepsItsCode) {
    CCgiOper oper;
    int nResult = 0;
    EXPECT_FALSE(oper.ExecCgiCmd("http://127.0.0.1:1/x", 1, &nResult, nullptr));
    EXPECT_EQ(nResult, 7);
    EXPECT_FALSE(oper.ExecCgiCmd("no url", 1, &nResult, nullptr));
    EXPECT_EQ(nResult, 2);
}

TEST(ExecCgiCmd, OnlyTheFirst255CharactersAreJudged) {
    auto late = Answering(std::string(300, ' ') + "x" + std::string(300, '.') + "var result=ok;");
    CCgiOper oper;
    int nResult = 0;
    EXPECT_FALSE(oper.ExecCgiCmd(late->Url("/x").c_str(), 2, &nResult, nullptr));
    EXPECT_EQ(nResult, 1);
}

TEST(UpgradeFile, JudgesTheReplyAfterTheUpload) {
    const std::string path = "/tmp/orvex-oper-fw-" + std::to_string(getpid());
    std::ofstream(path) << "firmware bytes";
    const std::wstring wpath(path.begin(), path.end());
    const std::vector<Verdict> cases = {
        {"var result=\"ok\";", TRUE, 0},
        {"var result=\"Auth Failed\";", FALSE, 3},
        {"var result=\"failed\";", FALSE, 1},
        {"upgrade done", FALSE, 1},
    };
    for (const Verdict& v : cases) {
        auto server = Answering(v.body);
        CCgiOper oper;
        int nResult = -5;
        EXPECT_EQ(oper.UpgradeFile(server->Url("/upgrade_htmls.cgi").c_str(), 2, wpath, L"", &nResult, nullptr), v.ok);
        EXPECT_EQ(nResult, v.nResult) << v.body;
    }
    // A reply without Content-Length, ended by the close, is judged by its words too.
    auto noLength = Answering("var result=\"ok\";" + std::string(40, ' '), false);
    CCgiOper oper;
    int nResult = 0;
    EXPECT_TRUE(oper.UpgradeFile(noLength->Url("/u").c_str(), 2, wpath, L"", &nResult, nullptr));
    EXPECT_EQ(nResult, 0);
    EXPECT_TRUE(oper.ExecCgiCmd(noLength->Url("/u").c_str(), 2, &nResult, nullptr));
    EXPECT_EQ(nResult, 0);
    // A file that cannot be opened.
    EXPECT_FALSE(oper.UpgradeFile(noLength->Url("/u").c_str(), 2, L"/nonexistent", L"", &nResult, nullptr));
    EXPECT_EQ(nResult, 26);
    unlink(path.c_str());
}

// A server answering every request with this status and body.
std::unique_ptr<RawServer> AnsweringStatus(int status, const std::string& body) {
    return std::make_unique<RawServer>([=](int fd, RawServer&) {
        RawServer::ReadRequest(fd);
        RawServer::SendText(fd, "HTTP/1.1 " + std::to_string(status) + " Status\r\nContent-Length: " +
                                    std::to_string(body.size()) + "\r\n\r\n" + body);
    });
}

TEST(ErrorStatus, NeverASuccessButTheCamerasOwnVerdictIsTold) {
    const std::string path = "/tmp/orvex-oper-status-" + std::to_string(getpid());
    std::ofstream(path) << "firmware bytes";
    const std::wstring wpath(path.begin(), path.end());
    const std::string errorPage = "<html><head><title>400 Bad Request</title></head></html>";
    struct Case {
        int status;
        std::string body;
        int nResult;  // of every operation
    };
    const std::vector<Case> cases = {
        {401, "var result=\"Auth Failed\";", 3},
        {400, errorPage, kCodeHttpStatus},
        {500, "var result=\"ok\"; var sys_ver=\"1.2\";", kCodeHttpStatus},
        {404, "", kCodeHttpStatus},
    };
    for (const Case& c : cases) {
        auto server = AnsweringStatus(c.status, c.body);
        CCgiOper oper;
        int exec = -5, upload = -5, values = -5;
        std::vector<std::wstring> got;
        EXPECT_FALSE(oper.ExecCgiCmd(server->Url("/x").c_str(), 2, &exec, nullptr));
        EXPECT_FALSE(oper.UpgradeFile(server->Url("/u").c_str(), 2, wpath, L"", &upload, nullptr));
        EXPECT_FALSE(oper.GetCgiValues(server->Url("/s").c_str(), 2, {L"sys_ver"}, got, &values, nullptr));
        EXPECT_EQ(exec, c.nResult) << c.status;
        EXPECT_EQ(upload, c.nResult) << c.status;
        EXPECT_EQ(values, c.nResult) << c.status;
        EXPECT_TRUE(got.empty()) << c.status;
    }
    // A camera's "failed" in an error reply is its own verdict, as with a 200.
    auto failed = AnsweringStatus(500, "var result=\"failed\";");
    CCgiOper oper;
    int nResult = 0;
    EXPECT_FALSE(oper.ExecCgiCmd(failed->Url("/x").c_str(), 2, &nResult, nullptr));
    EXPECT_EQ(nResult, 1);
    unlink(path.c_str());
}

TEST(GetCgiValues, ValuesInKeyOrderWithNotFindKey) {
    auto server = Answering("var sys_ver=\"1.2.3.4\";\r\nvar app_version='9.9';\r\n");
    CCgiOper oper;
    std::vector<std::wstring> values{L"kept"};
    int nResult = -1;
    EXPECT_TRUE(oper.GetCgiValues(server->Url("/get_status.cgi").c_str(), 2, {L"sys_ver", L"oem_id", L"app_version"},
                                  values, &nResult, nullptr));
    EXPECT_EQ(nResult, 0);
    EXPECT_EQ(values, (std::vector<std::wstring>{L"kept", L"1.2.3.4", L"NotFindKey", L"9.9"}));
    values.clear();
    EXPECT_TRUE(oper.GetCgiValues(server->Url("/x").c_str(), 2, {}, values, &nResult, nullptr));
    EXPECT_TRUE(values.empty());
}

TEST(GetCgiValues, AuthFailedNoPairsAndTransportFailure) {
    auto auth = Answering("var result=\" Auth Failed \";");
    CCgiOper oper;
    std::vector<std::wstring> values;
    int nResult = 0;
    EXPECT_FALSE(oper.GetCgiValues(auth->Url("/x").c_str(), 2, {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(nResult, 3);
    EXPECT_TRUE(values.empty());

    // The header lines are part of the text; give them no '=' and nothing remains.
    auto nothing = std::make_unique<RawServer>([](int fd, RawServer&) {
        RawServer::ReadRequest(fd);
        RawServer::SendText(fd,
                            "HTTP/1.1 200 OK\r\nServer: a camera that says nothing useful at all\r\n"
                            "Connection: close\r\nCache-Control: no-cache, no-store\r\nPragma: no-cache\r\n"
                            "Content-Length: 24\r\n\r\nno pairs in this reply..");
    });
    EXPECT_FALSE(oper.GetCgiValues(nothing->Url("/x").c_str(), 2, {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(nResult, 4);

    EXPECT_FALSE(oper.GetCgiValues("http://127.0.0.1:1/x", 1, {L"sys_ver"}, values, &nResult, nullptr));
    EXPECT_EQ(nResult, 7);
}

TEST(ReplyGrammar, PiecesNamesAndValues) {
    CCgiOper::ReplyMap map;
    const std::string reply =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n"
        "var result='ok';var sys_ver=\"1.2.3\";\r\n=nothing\r\nno equals here\r\n"
        "var x='ab'\nvar q=\"a'b\"c\"\nab=1\nvar same=1;var same=2;\n"
        "var long=" + std::string(260, 'L') + ";\nvaryy=z;";
    CCgiOper::ParseReplyText(reply.c_str(), map);
    EXPECT_EQ(map[L"result"], L"ok");
    EXPECT_EQ(map[L"sys_ver"], L"1.2.3");
    EXPECT_EQ(map[L"x"], L"ab");
    EXPECT_EQ(map[L"q"], L"abc");
    EXPECT_EQ(map[L"same"], L"2");
    EXPECT_EQ(map[L" charset"], L"utf-8");  // a harmless header pair
    EXPECT_EQ(map.count(L"ab"), 0u);         // "ab=1" is shorter than 5 characters
    EXPECT_EQ(map.count(L"long"), 0u);       // longer than 256
    EXPECT_EQ(map[L"y"], L"z");              // "varyy=z": "var" and the next character dropped
    EXPECT_EQ(map.size(), 7u);
}

class FaultGuard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(mkdtemp(m_dir), nullptr);
        platform::ModulePath::OverrideDirectory(m_dir);
    }
    void TearDown() override {
        platform::FaultPoints::DisarmAll();
        platform::ModulePath::OverrideDirectory("");
        unlink((std::string(m_dir) + "/BugLog.txt").c_str());
        rmdir(m_dir);
    }
    // The log's lines with their time prefixes taken off.
    std::vector<std::string> LogLines() {
        std::ifstream in(std::string(m_dir) + "/BugLog.txt", std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        std::vector<std::string> lines;
        std::size_t at = 0;
        while (at < text.size()) {
            const auto end = text.find("\r\n", at);
            if (end == std::string::npos) break;
            std::string line = text.substr(at, end - at);
            lines.push_back(line.size() >= 22 && line[0] == '<' ? line.substr(22) : "?" + line);
            at = end + 2;
        }
        return lines;
    }
    char m_dir[32] = "/tmp/orvex-guard-XXXXXX";
};

TEST_F(FaultGuard, EachGuardedCallWritesItsTwoLines) {
    auto server = Answering("var result=\"ok\";");
    CCgiOper oper;
    int nResult = -1;
    int contentLen = -1;
    platform::FaultPoints::Arm("SendCgiCmd", 0xC0000005);
    EXPECT_FALSE(oper.ExecCgiCmd(server->Url("/x").c_str(), 2, &nResult, &contentLen));
    EXPECT_EQ(nResult, 1);
    EXPECT_EQ(LogLines(), (std::vector<std::string>{".\\CgiOper.cpp  line:340", "Memory access exception"}));

    platform::FaultPoints::Arm("DownloadFile", 0xC00000FD);
    char buffer[512];
    EXPECT_FALSE(oper.DownloadFile(8, server->Url("/x").c_str(), 2, 1, L"", buffer, 511, &nResult, &contentLen));
    EXPECT_EQ(nResult, 1);
    platform::FaultPoints::Arm("UpgradeFile", 0xC0000094);
    EXPECT_FALSE(oper.UpgradeFile(server->Url("/x").c_str(), 2, L"/etc/hostname", L"", &nResult, &contentLen));
    EXPECT_EQ(nResult, 1);
    platform::FaultPoints::Arm("ParseCgiReply", 0xC000008C);
    std::vector<std::wstring> values;
    EXPECT_FALSE(oper.GetCgiValues(server->Url("/x").c_str(), 2, {L"a"}, values, &nResult, &contentLen));
    EXPECT_EQ(nResult, 1);  // the parse faulted after the transport succeeded: not a success
    EXPECT_EQ(LogLines(), (std::vector<std::string>{
                              ".\\CgiOper.cpp  line:340", "Memory access exception",
                              ".\\CgiOper.cpp  line:357", "Stack overflow",
                              ".\\CgiOper.cpp  line:376", "Unknown eception",
                              ".\\CgiOper.cpp  line:323", "Array bounds exceeded"}));
    // The layer goes on working after a fault.
    EXPECT_TRUE(oper.ExecCgiCmd(server->Url("/x").c_str(), 2, &nResult, &contentLen));
}

}  // namespace
}  // namespace orvex
