// The HTTP transport against real loopback servers that behave as cameras do, well or badly.
#include "cgi/CgiSock.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "tests/support/RawServer.h"

namespace orvex {
namespace {

using orvextest::RawServer;
using Steady = std::chrono::steady_clock;

// A port on which nothing listens.
int ClosedPort() {
    RawServer probe([](int, RawServer&) {});
    return probe.Port();
}

std::string TempFile(const std::string& name, const std::string& bytes) {
    const std::string path = "/tmp/orvex-cgi-" + std::to_string(getpid()) + "-" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

long Millis(Steady::duration d) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

TEST(ParseUrl, SplitsHostPortAndPathOrRefuses) {
    std::string path;
    char host[100];
    int port = 0;
    ASSERT_TRUE(CCgiSock::ParseUrl("http://192.168.1.20/get_status.cgi?user=a&pwd=b", path, host, port));
    EXPECT_STREQ(host, "192.168.1.20");
    EXPECT_EQ(port, 80);
    EXPECT_EQ(path, "/get_status.cgi?user=a&pwd=b");
    ASSERT_TRUE(CCgiSock::ParseUrl("http://192.168.1.20:81/a/b", path, host, port));
    EXPECT_EQ(port, 81);
    EXPECT_EQ(path, "/a/b");
    ASSERT_TRUE(CCgiSock::ParseUrl("http://cam:8x/", path, host, port));
    EXPECT_EQ(port, 8);
    ASSERT_TRUE(CCgiSock::ParseUrl("http://cam:/", path, host, port));
    EXPECT_EQ(port, 0);
    ASSERT_TRUE(CCgiSock::ParseUrl("http://abcdefghij123456789/", path, host, port));  // 19
    EXPECT_EQ(std::string(host), "abcdefghij123456789");

    for (const char* bad : {"ftp://host/x", "http://host", "http://abcdefghij1234567890/x", "http://h/a\r\nX: y",
                            "http://h\r\nX:1/a", "http://h/a\tb",
                            "http://:80/x", "http://abcdefghij1234567890:80/x", "http:///x",
                            "http://host:65536/x", "http://host:99999999999/x", ""}) {
        EXPECT_FALSE(CCgiSock::ParseUrl(bad, path, host, port)) << bad;
    }
}

TEST(CgiSockCodes, BadUrlIsCodeTwoWithoutConnecting) {
    CCgiSock sock;
    EXPECT_FALSE(sock.SendCgiCmd("192.168.1.20/get_status.cgi", 5));
    EXPECT_EQ(sock.m_nRetVal, 2);
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(8, "http://x", 5, 1, L"", nullptr, 0));
    EXPECT_EQ(sock.m_nRetVal, 2);
    EXPECT_FALSE(sock.SendCgiCmd_UpgradeFile("http://:1/", 5, L"/etc/hostname", L""));
    EXPECT_EQ(sock.m_nRetVal, 2);
    RawServer listening([](int fd, RawServer&) { RawServer::ReadHeader(fd); });
    const std::string longPath = listening.Url("/" + std::string(3000, 'a'));
    EXPECT_FALSE(sock.SendCgiCmd(longPath.c_str(), 1));  // does not fit the request buffer
    EXPECT_EQ(sock.m_nRetVal, 2);
}

TEST(CgiSockCodes, RefusedConnectionIsCodeSevenAfterTheTimeout) {
    CCgiSock sock;
    const std::string url = "http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x";
    const auto start = Steady::now();
    EXPECT_FALSE(sock.SendCgiCmd(url.c_str(), 1));
    EXPECT_EQ(sock.m_nRetVal, 7);
    EXPECT_GE(Millis(Steady::now() - start), 900);  // noticed by the writability wait only
    EXPECT_TRUE(sock.m_strRecv.empty());
}

TEST(CgiSockCodes, UnknownHostIsCodeNine) {
    CCgiSock sock;
    EXPECT_FALSE(sock.SendCgiCmd("http://nosuchcam.invalid/x", 1));
    EXPECT_EQ(sock.m_nRetVal, 9);
}

TEST(CgiSockCodes, NoSocketIsCodeFive) {
    const pid_t child = fork();
    if (child == 0) {
        rlimit none{0, 0};
        setrlimit(RLIMIT_NOFILE, &none);
        CCgiSock sock;
        sock.SendCgiCmd("http://127.0.0.1:1/x", 1);
        _exit(sock.m_nRetVal);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 5);
}

TEST(CgiSockCodes, ReplyThatNeverComesIsCodeEight) {
    RawServer server([](int fd, RawServer& s) {
        RawServer::ReadHeader(fd);
        while (!s.Stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    CCgiSock sock;
    const auto start = Steady::now();
    EXPECT_FALSE(sock.SendCgiCmd(server.Url("/x").c_str(), 1));
    EXPECT_EQ(sock.m_nRetVal, 8);
    EXPECT_GE(Millis(Steady::now() - start), 950);
}

TEST(CgiSockDownload, BodyIntoBufferAndTheRequestOfEachKind) {
    const std::string body = R"({"name":"1.7.15.9","download_server":"S","download_file":"F"})";
    RawServer server([&](int fd, RawServer& s) {
        s.Record(RawServer::ReadHeader(fd));
        RawServer::SendText(fd, RawServer::Reply(body));
    });
    const std::string port = std::to_string(server.Port());
    const std::map<int, std::string> requests = {
        {4, "GET /firmware/1.7.15.4/cn HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nConnection:Close\r\n\r\n"},
        {5, "GET /firmware/1.7.15.4/cn HTTP/1.1\r\nAccept: */*\r\nUser-Agent: Mozilla/4.0 "
            "(compatible; MSIE 5.00; Windows 98)\r\nHost: 127.0.0.1:" + port +
                "\r\nCache-Control: no-cache\r\n\r\n"},
        {6, "GET /firmware/1.7.15.4/cn HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nConnection:Close\r\n\r\n"},
        {7, "GET /firmware/1.7.15.4/cn HTTP/1.1\r\nHost: 127.0.0.1:" + port +
                "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n"},
        {8, "GET /firmware/1.7.15.4/cn HTTP/1.1\r\nHost: 127.0.0.1:" + port +
                "\r\nAccept: text/html, */*\r\nUser-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n"},
    };
    for (const auto& [kind, request] : requests) {
        char buffer[512] = {};
        CCgiSock sock;
        ASSERT_TRUE(sock.SendCgiCmd_DownloadFile(kind, server.Url("/firmware/1.7.15.4/cn").c_str(),
                                                 2, 1, L"", buffer, 511));
        EXPECT_EQ(sock.m_nRetVal, 0);
        EXPECT_EQ(sock.m_nContentLen, static_cast<int>(body.size()));
        EXPECT_EQ(std::string(buffer), body);
        EXPECT_EQ(server.Recorded().back(), request) << "kind " << kind;
    }
    // The camera command: the same request as kinds 4 and 6.
    CCgiSock sock;
    ASSERT_TRUE(sock.SendCgiCmd(server.Url("/get_status.cgi?user=a&pwd=b").c_str(), 2));
    EXPECT_EQ(server.Recorded().back(),
              "GET /get_status.cgi?user=a&pwd=b HTTP/1.1\r\nHost: 127.0.0.1:" + port + "\r\nConnection:Close\r\n\r\n");
}

TEST(CgiSockDownload, BodyLargerThanTheBufferIsRefusedNotCut) {
    for (std::size_t size : {511u, 512u, 5000u}) {
        const std::string body(size, 'b');
        RawServer server([&](int fd, RawServer&) {
            RawServer::ReadHeader(fd);
            RawServer::SendText(fd, RawServer::Reply(body));
        });
        std::vector<char> buffer(512 + 64, '\x7F');  // a guard area after the 512 bytes
        CCgiSock sock;
        const BOOL ok = sock.SendCgiCmd_DownloadFile(8, server.Url("/d").c_str(), 2, 1, L"",
                                                     buffer.data(), 511);
        EXPECT_EQ(ok, size <= 511 ? TRUE : FALSE) << size;
        EXPECT_EQ(sock.m_nRetVal, size <= 511 ? 0 : 14) << size;
        for (std::size_t i = 511; i < buffer.size(); ++i) ASSERT_EQ(buffer[i], '\x7F') << i;
    }
    // Endless body without a length: still never past the buffer. The header goes out
    // with body bytes behind it (a first chunk of the header alone counts as an empty,
    // complete body).
    RawServer endless([](int fd, RawServer& s) {
        RawServer::ReadHeader(fd);
        RawServer::SendText(fd, RawServer::Reply("", "", false) + std::string(4096, 'e'));
        while (!s.Stopping() && RawServer::SendText(fd, std::string(4096, 'e'))) {
        }
    });
    std::vector<char> buffer(600, '\x7F');
    CCgiSock sock;
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(8, endless.Url("/d").c_str(), 2, 1, L"", buffer.data(), 511));
    EXPECT_EQ(sock.m_nRetVal, 14);
    EXPECT_EQ(buffer[511], '\x7F');
}

TEST(CgiSockDownload, CutOrResetBodyIsCodeThirteenAndAFileIsWritten) {
    RawServer cut([](int fd, RawServer&) {
        RawServer::ReadHeader(fd);
        RawServer::SendText(fd, RawServer::Reply("0123456789", "Content-Length: 100\r\n", false));
    });
    char buffer[512] = {};
    CCgiSock sock;
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(8, cut.Url("/d").c_str(), 2, 1, L"", buffer, 511));
    EXPECT_EQ(sock.m_nRetVal, 13);

    RawServer file([](int fd, RawServer&) {
        RawServer::ReadHeader(fd);
        RawServer::SendText(fd, RawServer::Reply(std::string(10000, 'f')));
    });
    const std::string path = TempFile("download", "");
    EXPECT_TRUE(sock.SendCgiCmd_DownloadFile(4, file.Url("/d").c_str(), 2, 0,
                                             std::wstring(path.begin(), path.end()), nullptr, 0));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(10000, 'f'));
    unlink(path.c_str());
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(4, file.Url("/d").c_str(), 2, 0,
                                              L"/nonexistent/dir/file", nullptr, 0));
    EXPECT_EQ(sock.m_nRetVal, 26);
}

// The upload exactly as a server receives it.
class UploadBytes : public ::testing::TestWithParam<std::size_t> {};

TEST_P(UploadBytes, RequestHeaderPartHeaderFileAndTrailer) {
    const std::size_t size = GetParam();
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + 7) & 0xFF);
    const std::string path = TempFile("upload-" + std::to_string(size), content);
    RawServer server([](int fd, RawServer& s) {
        s.Record(RawServer::ReadRequest(fd));
        RawServer::SendText(fd, RawServer::Reply("var result=\"ok\";\r\n"));
    });
    CCgiSock sock;
    const std::string url = server.Url("/upgrade_firmware.cgi?user=admin&pwd=x");
    const BOOL ok = sock.SendCgiCmd_UpgradeFile(url.c_str(), 5, std::wstring(path.begin(), path.end()), L"");
    ASSERT_TRUE(orvextest::WaitForRecord(server));
    const std::string got = server.Recorded()[0];
    const auto stampAt = got.find("boundary=--------") + 17;
    const std::string stamp = got.substr(stampAt, got.find("\r\n", stampAt) - stampAt);
    EXPECT_GE(stamp.size(), 15u);  // 4-digit year, five 2-digit fields, milliseconds
    const std::string partHeader = "----------" + stamp + "\r\n" +
                                   "Content-Disposition: form-data; name=\"file\"; filename=\"" + path +
                                   "\"\r\nContent-Type: application/x-zip-compressed\r\n"
                                   "Content-Transfer-Encoding: binary\r\n\r\n";
    const std::string trailer = "\r\n----------" + stamp + "--\r\n";
    const std::string header =
        "POST /upgrade_firmware.cgi?user=admin&pwd=x HTTP/1.0\r\nConnection: keep-alive\r\n"
        "Content-Type: multipart/form-data; boundary=--------" + stamp + "\r\n" +
        "Content-Length: " + std::to_string(partHeader.size() + trailer.size() + size) + "\r\n" +
        "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\nContent-Md5: \r\n" +
        "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, application/x-shockwave-flash, "
        "*/*\r\nAccept-Encoding: gzip,deflate\r\nUser-Agent: Mozilla/3.0 (compatible; Indy "
        "Library)\r\n\r\n";
    if (size == 0) {
        EXPECT_FALSE(ok);
        EXPECT_EQ(sock.m_nRetVal, 27);  // after both headers went out
        EXPECT_EQ(got.substr(0, header.size() + partHeader.size()), header + partHeader);
    } else {
        EXPECT_TRUE(ok);
        EXPECT_EQ(sock.m_nRetVal, 0);
        EXPECT_EQ(sock.m_strRecv, "var result=\"ok\";\r\n");
        ASSERT_EQ(got.size(), header.size() + partHeader.size() + size + trailer.size());
        EXPECT_EQ(got.substr(0, header.size()), header);
        EXPECT_EQ(got.substr(header.size(), partHeader.size()), partHeader);
        EXPECT_TRUE(got.compare(header.size() + partHeader.size(), size, content) == 0);
        EXPECT_EQ(got.substr(got.size() - trailer.size()), trailer);
    }
    unlink(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(EmptySmallAndFiveMegabytes, UploadBytes,
                         ::testing::Values(0u, 1234u, 5u * 1024 * 1024));

TEST(CgiSockUpload, MissingFileAndResetPeer) {
    RawServer noLength([](int fd, RawServer&) {
        RawServer::ReadRequest(fd);
        RawServer::SendText(fd, RawServer::Reply("var result=\"ok\";" + std::string(100, ' '), "", false));
    });
    const std::string path = TempFile("small", "firmware");
    const std::wstring wpath(path.begin(), path.end());
    CCgiSock sock;
    EXPECT_FALSE(sock.SendCgiCmd_UpgradeFile(noLength.Url("/u").c_str(), 2, L"/nonexistent", L""));
    EXPECT_EQ(sock.m_nRetVal, 26);

    RawServer reset([](int fd, RawServer&) {
        RawServer::ReadHeader(fd);
        linger hard{1, 0};
        setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof(hard));
    });
    const std::string big = TempFile("big", std::string(8 * 1024 * 1024, 'z'));
    EXPECT_FALSE(sock.SendCgiCmd_UpgradeFile(reset.Url("/u").c_str(), 2,
                                             std::wstring(big.begin(), big.end()), L""));
    EXPECT_EQ(sock.m_nRetVal, 11);
    unlink(path.c_str());
    unlink(big.c_str());
}

TEST(CgiSockAbort, DuringAReplyWaitReturnsAtOnceAndRefusesLaterExchanges) {
    RawServer silent([](int fd, RawServer& s) {
        RawServer::ReadHeader(fd);
        while (!s.Stopping()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    });
    CCgiSock sock;
    Steady::time_point aborted;
    std::thread aborter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        aborted = Steady::now();
        sock.Abort();
    });
    EXPECT_FALSE(sock.SendCgiCmd(silent.Url("/x").c_str(), 5));
    const long late = Millis(Steady::now() - aborted);
    aborter.join();
    EXPECT_LT(late, 80);
    EXPECT_EQ(sock.m_nRetVal, 8);

    RawServer good([](int fd, RawServer&) {
        RawServer::ReadHeader(fd);
        RawServer::SendText(fd, RawServer::Reply("var result=\"ok\";"));
    });
    EXPECT_FALSE(sock.SendCgiCmd(good.Url("/x").c_str(), 2));
    EXPECT_EQ(sock.m_nRetVal, 9);
    char buffer[512];
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(8, good.Url("/x").c_str(), 2, 1, L"", buffer, 511));
    EXPECT_EQ(sock.m_nRetVal, 9);
    sock.ClearAbort();
    EXPECT_TRUE(sock.SendCgiCmd(good.Url("/x").c_str(), 2));
}

TEST(CgiSockAbort, DuringAnUploadReturnsAtOnce) {
    RawServer slowReader([](int fd, RawServer& s) {
        RawServer::ReadHeader(fd);
        char buffer[1024];
        while (!s.Stopping() && recv(fd, buffer, sizeof(buffer), 0) > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const std::string big = TempFile("slow", std::string(32 * 1024 * 1024, 's'));
    CCgiSock sock;
    Steady::time_point aborted;
    std::thread aborter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        aborted = Steady::now();
        sock.Abort();
    });
    EXPECT_FALSE(sock.SendCgiCmd_UpgradeFile(slowReader.Url("/u").c_str(), 5,
                                             std::wstring(big.begin(), big.end()), L""));
    const long late = Millis(Steady::now() - aborted);
    aborter.join();
    EXPECT_LT(late, 80);
    EXPECT_TRUE(sock.m_nRetVal == 8 || sock.m_nRetVal == 11) << sock.m_nRetVal;
    EXPECT_FALSE(sock.SendCgiCmd_UpgradeFile(slowReader.Url("/u").c_str(), 5,
                                             std::wstring(big.begin(), big.end()), L""));
    EXPECT_EQ(sock.m_nRetVal, 9);
    unlink(big.c_str());
}

TEST(CgiSockAbort, WhileDataKeepsComingTheDownloadEndsWithTwelve) {
    RawServer flood([](int fd, RawServer& s) {
        RawServer::ReadHeader(fd);
        RawServer::SendText(fd, RawServer::Reply("", "Content-Length: 2000000000\r\n", false));
        const std::string junk(65536, 'f');
        while (!s.Stopping() && RawServer::SendText(fd, junk)) {
        }
    });
    CCgiSock sock;
    std::thread aborter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        sock.Abort();
    });
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(4, flood.Url("/d").c_str(), 5, 0, L"/dev/null", nullptr, 0));
    aborter.join();
    EXPECT_TRUE(sock.m_nRetVal == 12 || sock.m_nRetVal == 13) << sock.m_nRetVal;
}

TEST(MakeBoundary, FourDigitYearTwoDigitFieldsAndMilliseconds) {
    const std::wstring stamp = CCgiSock::MakeBoundary();
    ASSERT_GE(stamp.size(), 15u);
    ASSERT_LE(stamp.size(), 17u);
    for (wchar_t c : stamp) EXPECT_TRUE(c >= L'0' && c <= L'9');
    EXPECT_EQ(stamp.substr(0, 2), L"20");
}

}  // namespace
}  // namespace orvex
