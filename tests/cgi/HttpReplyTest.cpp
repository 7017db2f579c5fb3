// Replies read whole whatever their framing: the header parser and the chunk decoder on
// byte buffers (cut anywhere, corrupted), then the three exchanges against loopback peers
// that send their replies in pieces, chunked, with error statuses, or never close.
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <thread>

#include "cgi/CgiSock.h"
#include "cgi/ChunkedBody.h"
#include "cgi/HttpHead.h"
#include "tests/support/RawServer.h"

namespace orvex {
namespace {

using orvextest::RawServer;
using namespace std::chrono_literals;

// A peer that sends the pieces with a pause between them, then closes (or, with
// `keepOpen`, waits until the client leaves).
std::unique_ptr<RawServer> Sending(std::vector<std::string> pieces, bool keepOpen = false,
                                   std::chrono::milliseconds pause = 100ms) {
    return std::make_unique<RawServer>([=](int fd, RawServer& s) {
        s.Record(RawServer::ReadRequest(fd));
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i > 0) std::this_thread::sleep_for(pause);
            RawServer::SendText(fd, pieces[i]);
        }
        if (keepOpen) {
            char c;
            while (!s.Stopping() && recv(fd, &c, 1, 0) > 0) {
            }
        }
    });
}

std::string Chunked(const std::vector<std::string>& chunks) {
    std::string body;
    char size[32];
    for (const std::string& c : chunks) {
        std::snprintf(size, sizeof(size), "%zx\r\n", c.size());
        body += size + c + "\r\n";
    }
    return body + "0\r\n\r\n";
}

const std::string kOk = "var result=\"ok\";\r\n";
const std::string kStatus =
    "var sys_ver=\"1.7.15.4\";\r\nvar app_version=\"1.7.15.1\";\r\nvar oem_id=\"ORVEX\";\r\n";

TEST(HttpHeadParse, StatusLengthsAndFramingFromAnyPrefix) {
    const std::string reply =
        "HTTP/1.1 404 Not Found\r\ncontent-LENGTH:  12 \r\nX-Other: a:b\r\n\r\n0123456789ab";
    for (std::size_t cut = 0; cut < reply.size(); ++cut) {
        const HttpHead head = HttpHead::Parse(std::string_view(reply).substr(0, cut));
        ASSERT_EQ(head.Complete(), cut >= reply.size() - 12) << cut;
        if (head.Complete()) {
            EXPECT_EQ(head.status, 404);
            EXPECT_EQ(head.contentLength, 12);
            EXPECT_EQ(head.headerLength, reply.size() - 12);
            EXPECT_FALSE(head.Success());
        }
    }
    const HttpHead lf = HttpHead::Parse("HTTP/1.0 200 OK\nTransfer-Encoding: gzip, Chunked\n\nbody");
    EXPECT_TRUE(lf.chunked);
    EXPECT_EQ(lf.headerLength, 50u);
    EXPECT_TRUE(lf.Success());
    EXPECT_TRUE(HttpHead::Parse("HTTP/1.1 204 No Content\r\n\r\n").Bodyless());
    // Refused: two different lengths, a signed or non-numeric one, no status line.
    for (const char* bad : {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-length: 6\r\n\r\n",
                            "HTTP/1.1 200 OK\r\nContent-Length: -20\r\n\r\n",
                            "HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n\r\n",
                            "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999\r\n\r\n",
                            "var result=ok;\r\n\r\n", "HTTP/1.1 20 OK\r\n\r\n", "HTTP/1.1 2000\r\n\r\n"}) {
        EXPECT_TRUE(HttpHead::Parse(bad).malformed) << bad;
    }
    EXPECT_FALSE(HttpHead::Parse("HTTP/1.1 200 OK\r\nContent-Length: 6\r\nContent-Length: 6\r\n\r\n").malformed);
}

TEST(ChunkedBodyDecode, AnySplitGivesTheSameBodyAndBadFramingIsAnError) {
    // Chunks of one byte (with and without extensions) among longer ones: none is the last.
    const std::string wire = "4;name=x\r\nWiki\r\n1\r\np\r\n1;ext\r\ne\r\n3\r\ndia\r\nE\r\n in\r\n\r\n"
                             "chunks.\r\n0\r\nTrailer: t\r\n\r\n";
    for (std::size_t step = 1; step <= wire.size(); ++step) {
        ChunkedBody decoder;
        std::string body;
        ChunkedBody::State state = ChunkedBody::State::kMore;
        for (std::size_t at = 0; at < wire.size() && state == ChunkedBody::State::kMore; at += step) {
            const std::string piece = wire.substr(at, step);
            state = decoder.Feed(piece.data(), piece.size(), [&](const char* d, std::size_t n) {
                body.append(d, n);
                return true;
            });
        }
        ASSERT_EQ(state, ChunkedBody::State::kDone) << step;
        EXPECT_EQ(body, "Wikipedia in\r\n\r\nchunks.") << step;
    }
    const std::vector<std::string> bads = {"zz\r\nab\r\n0\r\n\r\n", "2\r\nabc\r\n0\r\n\r\n", "\r\n", "-1\r\n",
                                           "fffffffffffffffffff\r\n", std::string(5000, '1')};
    for (const std::string& bad : bads) {
        ChunkedBody decoder;
        EXPECT_EQ(decoder.Feed(bad.data(), bad.size(), [](const char*, std::size_t) { return true; }),
                  ChunkedBody::State::kError)
            << bad.substr(0, 20);
    }
    ChunkedBody refusing;
    const std::string one = "3\r\nabc\r\n";
    EXPECT_EQ(refusing.Feed(one.data(), one.size(), [](const char*, std::size_t) { return false; }),
              ChunkedBody::State::kMore);
    EXPECT_TRUE(refusing.SinkRefused());
}

TEST(TextExchange, ShortRepliesInPiecesChunkedOrToTheCloseAreReadWhole) {
    struct Case {
        const char* what;
        std::vector<std::string> pieces;
        std::string body;
    };
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\n";
    const std::string chunks = Chunked({kStatus.substr(0, 20), kStatus.substr(20)});
    const std::vector<Case> cases = {
        {"tiny reply", {"HTTP/1.0 200 OK\r\nContent-Length: 18\r\n\r\n" + kOk}, kOk},
        {"two segments", {head + "Content-Length: " + std::to_string(kStatus.size()) + "\r\n\r\n" + kStatus.substr(0, 30), kStatus.substr(30)}, kStatus},
        {"header cut mid-line", {head + "Content-Le", "ngth: " + std::to_string(kStatus.size()) + "\r\n\r\n" + kStatus}, kStatus},
        {"lower-case length", {head + "content-length: 18\r\n\r\n", kOk}, kOk},
        {"chunked in pieces", {head + "Transfer-Encoding: chunked\r\n\r\n" + chunks.substr(0, 30),
                               chunks.substr(30, 4), chunks.substr(34)}, kStatus},
        {"to the close", {head + "\r\n" + kStatus.substr(0, 10), kStatus.substr(10)}, kStatus},
        {"100 Continue first", {"HTTP/1.1 100 Continue\r\n\r\n", head + "Content-Length: 18\r\n\r\n" + kOk}, kOk},
    };
    for (const Case& c : cases) {
        auto server = Sending(c.pieces);
        CCgiSock sock;
        ASSERT_TRUE(sock.SendCgiCmd(server->Url("/get_status.cgi").c_str(), 3)) << c.what << " " << sock.m_nRetVal;
        EXPECT_EQ(sock.m_nRetVal, 0) << c.what;
        EXPECT_EQ(sock.m_strRecv, c.body) << c.what;
        EXPECT_EQ(sock.m_nContentLen, static_cast<int>(c.body.size())) << c.what;
        EXPECT_EQ(sock.m_nHttpStatus, 200) << c.what;
        // The raw text the line parser reads: header and the de-chunked body.
        EXPECT_NE(std::string(sock.m_szRecvBuf).find(c.body), std::string::npos) << c.what;
        EXPECT_EQ(std::string(sock.m_szRecvBuf).find("\r\n0\r\n"), std::string::npos) << c.what;
    }
}

TEST(TextExchange, IncompleteOrMalformedRepliesFailWithTheirCode) {
    struct Case {
        const char* what;
        std::vector<std::string> pieces;
        bool keepOpen;
        int code;
    };
    const std::vector<Case> cases = {
        {"body cut by the close", {"HTTP/1.1 200 OK\r\nContent-Length: 500\r\n\r\n" + kOk}, false, 13},
        {"body one byte short, then the close",
         {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kOk.size() + 1) + "\r\n\r\n" + kOk}, false, 13},
        {"body one byte short, then nothing",
         {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kOk.size() + 1) + "\r\n\r\n" + kOk}, true, 8},
        {"chunks cut by the close", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab"}, false, 13},
        {"no header end", {std::string(300, 'h')}, false, 14},
        {"no status line", {"var result=ok;\r\n\r\nmore"}, false, 14},
        {"two lengths", {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-length: 18\r\n\r\n" + kOk}, false, 14},
        {"bad chunk size", {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nxyz\r\n"}, false, 14},
        {"closed at once", {""}, false, 13},
        {"header, then nothing", {"HTTP/1.1 200 OK\r\nServer: x\r\n\r\n"}, true, 8},
        {"short body, then nothing", {"HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nvar"}, true, 8},
        {"half a header, then nothing", {"HTTP/1.1 200 OK\r\nServ"}, true, 8},
    };
    for (const Case& c : cases) {
        auto server = Sending(c.pieces, c.keepOpen);
        CCgiSock sock;
        EXPECT_FALSE(sock.SendCgiCmd(server->Url("/x").c_str(), 1)) << c.what;
        EXPECT_EQ(sock.m_nRetVal, c.code) << c.what;
        EXPECT_TRUE(sock.m_strRecv.empty()) << c.what;
    }
}

TEST(TextExchange, APeerThatNeverClosesHasItsBodyTakenAtTheTimeOut) {
    auto server = Sending({"HTTP/1.1 200 OK\r\nServer: camera\r\n\r\n" + kOk}, true);
    CCgiSock sock;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(sock.SendCgiCmd(server->Url("/x").c_str(), 1));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 950ms);
    EXPECT_EQ(sock.m_nRetVal, 0);
    EXPECT_EQ(sock.m_strRecv, kOk);
}

TEST(TextExchange, ErrorStatusIsNeverASuccessButItsBodyIsKept) {
    for (const int status : {400, 401, 404, 500, 302}) {
        const std::string page = status == 401 ? "var result=\"Auth Failed\";" : "<html><h1>Bad Request</h1></html>";
        auto server = Sending({"HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " +
                               std::to_string(page.size()) + "\r\n\r\n" + page});
        CCgiSock sock;
        EXPECT_FALSE(sock.SendCgiCmd(server->Url("/x").c_str(), 2)) << status;
        EXPECT_EQ(sock.m_nRetVal, kCodeHttpStatus) << status;
        EXPECT_EQ(sock.m_nHttpStatus, status);
        EXPECT_EQ(sock.m_strRecv, page);
    }
}

TEST(TextExchange, RepliesBeyondTheBufferStayInsideIt) {
    for (const std::string framing : {"Content-Length: 2147483647\r\n", "", "Transfer-Encoding: chunked\r\n"}) {
        RawServer endless([&](int fd, RawServer& s) {
            RawServer::ReadHeader(fd);
            RawServer::SendText(fd, "HTTP/1.1 200 OK\r\n" + framing + "\r\n");
            const std::string junk = framing.empty() || framing[0] == 'C' ? std::string(8192, 'j')
                                                                           : "2000\r\n" + std::string(8192, 'j') + "\r\n";
            while (!s.Stopping() && RawServer::SendText(fd, junk)) {
            }
        });
        CCgiSock sock;
        EXPECT_TRUE(sock.SendCgiCmd(endless.Url("/x").c_str(), 2)) << framing;  // cut at the buffer
        EXPECT_EQ(std::string(sock.m_szRecvBuf).size(), sizeof(sock.m_szRecvBuf) - 1);
        EXPECT_LT(sock.m_strRecv.size(), sizeof(sock.m_szRecvBuf));
    }
}

void IgnoreSignal(int) {}

TEST(TextExchange, ASignalDuringTheWaitIsNoFailure) {
    struct sigaction action {};
    action.sa_handler = &IgnoreSignal;  // no SA_RESTART: every blocked call sees EINTR
    struct sigaction old {};
    sigaction(SIGUSR1, &action, &old);
    auto server = Sending({"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kStatus.size()) + "\r\n\r\n" +
                               kStatus.substr(0, 5),
                           kStatus.substr(5)},
                          false, 600ms);
    CCgiSock sock;
    const pthread_t self = pthread_self();
    std::atomic<bool> done{false};
    std::thread signaller([&] {
        while (!done) {
            pthread_kill(self, SIGUSR1);
            std::this_thread::sleep_for(3ms);
        }
    });
    const BOOL ok = sock.SendCgiCmd(server->Url("/x").c_str(), 3);
    done = true;
    signaller.join();
    sigaction(SIGUSR1, &old, nullptr);
    EXPECT_TRUE(ok) << sock.m_nRetVal;
    EXPECT_EQ(sock.m_strRecv, kStatus);
}

TEST(Download, ChunkedDocumentErrorPagesAndFilesLeftAlone) {
    const std::string doc = R"({"name":"1.7.15.9","download_server":"S","download_file":"F"})";
    const std::string wire = Chunked({doc.substr(0, 7), doc.substr(7)});
    auto chunked = Sending({"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + wire.substr(0, 12),
                            wire.substr(12)});
    char buffer[512] = {};
    CCgiSock sock;
    ASSERT_TRUE(sock.SendCgiCmd_DownloadFile(8, chunked->Url("/firmware/1/cn").c_str(), 2, 1, L"", buffer, 511));
    EXPECT_EQ(std::string(buffer), doc);
    EXPECT_EQ(sock.m_nContentLen, static_cast<int>(doc.size()));

    // A 404 page is no document: nothing reaches the buffer, and a file is not touched.
    const std::string page = "<html>404 Not Found</html>";
    auto missing = Sending({"HTTP/1.1 404 Not Found\r\nContent-Length: " + std::to_string(page.size()) + "\r\n\r\n" + page});
    char untouched[512] = {};
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(8, missing->Url("/firmware/9/cn").c_str(), 2, 1, L"", untouched, 511));
    EXPECT_EQ(sock.m_nRetVal, kCodeHttpStatus);
    EXPECT_EQ(sock.m_nHttpStatus, 404);
    EXPECT_EQ(untouched[0], '\0');
    const std::string path = "/tmp/orvex-reply-" + std::to_string(getpid());
    std::ofstream(path) << "keep me";
    EXPECT_FALSE(sock.SendCgiCmd_DownloadFile(4, missing->Url("/f").c_str(), 2, 0,
                                              std::wstring(path.begin(), path.end()), nullptr, 0));
    std::ifstream in(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep me");
    unlink(path.c_str());

    // A document split over segments with a length, and one with no length to the close.
    for (const bool withLength : {true, false}) {
        auto split = Sending({"HTTP/1.1 200 OK\r\n" +
                                  (withLength ? "Content-Length: " + std::to_string(doc.size()) + "\r\n" : "") +
                                  "\r\n" + doc.substr(0, 3),
                              doc.substr(3)});
        char got[512] = {};
        EXPECT_TRUE(sock.SendCgiCmd_DownloadFile(8, split->Url("/d").c_str(), 2, 1, L"", got, 511)) << withLength;
        EXPECT_EQ(std::string(got), doc);
    }
}

TEST(UploadReply, ReadWholeWithoutLengthAndJudgedByItsStatus) {
    const std::string path = "/tmp/orvex-reply-up-" + std::to_string(getpid());
    std::ofstream(path) << std::string(100000, 'u');
    const std::wstring wpath(path.begin(), path.end());
    struct Case {
        std::vector<std::string> pieces;
        int code;
        std::string body;
    };
    const std::vector<Case> cases = {
        {{"HTTP/1.0 200 OK\r\n\r\nvar res", "ult=\"ok\";"}, 0, "var result=\"ok\";"},
        {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked({kOk})}, 0, kOk},
        {{"HTTP/1.1 401 Unauthorized\r\n\r\nvar result=\"Auth Failed\";"}, kCodeHttpStatus,
         "var result=\"Auth Failed\";"},
    };
    for (const Case& c : cases) {
        auto server = Sending(c.pieces);
        CCgiSock sock;
        EXPECT_TRUE(sock.SendCgiCmd_UpgradeFile(server->Url("/upgrade_firmware.cgi").c_str(), 2, wpath, L""));
        EXPECT_EQ(sock.m_nRetVal, c.code);
        EXPECT_EQ(sock.m_strRecv, c.body);
    }
    unlink(path.c_str());
}

}  // namespace
}  // namespace orvex
