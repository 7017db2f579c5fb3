#include "cgi/CgiSock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/ExceptionEx.h"
#include "platform/LocalTime.h"
#include "platform/TextUtil.h"

namespace orvex {

using platform::Clock;
using platform::DWORD;

namespace {

// Trace texts in the GBK code page: "connecting to host %s on port %d failed" and
// "failed to parse IP and port".
constexpr const char* kTraceConnectFailedCode =
    "\r\n---\xC1\xAC\xBD\xD3%s\xB6\xCB\xBF\xDA%d\xCA\xA7\xB0\xDC---m_nRetVal=%d---";
constexpr const char* kTraceConnectFailed =
    "\r\n---\xC1\xAC\xBD\xD3%s\xB6\xCB\xBF\xDA%d\xCA\xA7\xB0\xDC---";
constexpr const char* kTraceParseFailed =
    "\r\n---%s:\xBD\xE2\xCE\xF6IP\xBA\xCD\xB6\xCB\xBF\xDA\xCA\xA7\xB0\xDC---";

constexpr int kTextReplyMinimum = 164;
constexpr int kDownloadReplyMinimum = 49;
constexpr std::size_t kFileChunk = 2048;
constexpr DWORD kSliceMs = 50;

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f) std::fclose(f);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string Narrow(const std::wstring& text) { return platform::CodePage::WideToOem(text); }

bool SetBlocking(int fd, bool blocking) {
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

bool ResolveHost(const char* host, in_addr* address) {
    if (inet_aton(host, address) != 0) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
    *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

void SetTimeouts(int fd, int seconds) {
    const auto real = Clock::RealDuration(static_cast<DWORD>(seconds) * 1000);
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(real.count() / 1000000);
    tv.tv_usec = static_cast<suseconds_t>(real.count() % 1000000);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
}

// The request of a download, or an empty text for an unknown kind.
std::string DownloadRequest(int kind, const std::string& path, const char* host, int port) {
    char request[4096];
    int n = -1;
    switch (kind) {
        case 4:
        case 6:
            n = std::snprintf(request, sizeof(request), "GET %s HTTP/1.1\r\nConnection:Close\r\n\r\n",
                              path.c_str());
            break;
        case 5:
            n = std::snprintf(request, sizeof(request),
                              "GET %s HTTP/1.1\r\nAccept: */*\r\nUser-Agent: Mozilla/4.0 "
                              "(compatible; MSIE 5.00; Windows 98)\r\nHost: %s:%d\r\n"
                              "Cache-Control: no-cache\r\n\r\n",
                              path.c_str(), host, port);
            break;
        case 7:
        case 8:
            n = std::snprintf(request, sizeof(request),
                              "GET %s HTTP/1.1\r\nHost: %s:%d\r\nAccept: text/html, */*\r\n"
                              "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n",
                              path.c_str(), host, port);
            break;
        default:
            return "";
    }
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof(request)) return "";
    return std::string(request, static_cast<std::size_t>(n));
}

}  // namespace

CCgiSock::CCgiSock() {
    std::memset(m_szRecvBuf, 0, sizeof(m_szRecvBuf));
    std::memset(m_szSendBuf, 0, sizeof(m_szSendBuf));
}

CCgiSock::~CCgiSock() { CloseSocket(); }

void CCgiSock::Reset(int timeout) {
    m_nRetVal = -1;
    m_nContentLen = 0;
    m_nTimeout = timeout;
    m_strRecv.clear();
}

int CCgiSock::Socket() const {
    std::lock_guard<std::mutex> guard(m_socketLock);
    return m_hSocket;
}

void CCgiSock::CloseSocket() {
    // Closed under the lock, so Abort can never shut down a descriptor reused elsewhere.
    std::lock_guard<std::mutex> guard(m_socketLock);
    if (m_hSocket >= 0) close(m_hSocket);
    m_hSocket = -1;
}

void CCgiSock::Abort() {
    m_bAbort = 1;
    std::lock_guard<std::mutex> guard(m_socketLock);
    if (m_hSocket >= 0) shutdown(m_hSocket, SHUT_RDWR);
}

bool CCgiSock::SendAll(const char* data, std::size_t size, bool more) {
    const int fd = Socket();
    const int flags = MSG_NOSIGNAL | (more ? MSG_MORE : 0);
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(fd, data + sent, size - sent, flags);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

BOOL CCgiSock::ParseUrl(const char* url, std::string& path, char (&host)[100], int& port) {
    if (!url) return FALSE;
    const std::string text(url);
    if (text.find("http://") == std::string::npos) return FALSE;
    const std::string rest = text.size() > 7 ? text.substr(7) : std::string();
    const auto slash = rest.find('/');
    if (slash == std::string::npos) return FALSE;
    const std::string authority = rest.substr(0, slash);
    std::string hostText;
    int portValue = 80;
    const auto colon = authority.find(':');
    if (colon == std::string::npos) {
        if (authority.empty() || authority.size() > 19) return FALSE;
        hostText = authority;
    } else {
        if (colon == 0 || colon >= 20) return FALSE;
        hostText = authority.substr(0, colon);
        long value = 0;
        for (std::size_t i = colon + 1; i < authority.size() && authority[i] >= '0' &&
                                        authority[i] <= '9';
             ++i) {
            value = value * 10 + (authority[i] - '0');
            if (value > 65535) return FALSE;  // would wrap into a different port
        }
        portValue = static_cast<int>(value);
    }
    std::memset(host, 0, sizeof(host));
    std::memcpy(host, hostText.data(), hostText.size());
    path = rest.substr(slash);
    port = portValue;
    return TRUE;
}

bool CCgiSock::SplitUrl(const char* url, std::string& path, char (&host)[100], int& port) {
    if (ParseUrl(url, path, host, port)) return true;
    m_nRetVal = 2;
    TraceMsg(kTraceParseFailed, url ? url : "");
    return false;
}

void CCgiSock::ParseHttpHead(int& headLen, int& contentLen) const {
    auto field = m_strRecv.find("Content-length:");
    if (field == std::string::npos) field = m_strRecv.find("Content-Length:");
    if (field != std::string::npos) {
        const std::size_t from = field + 15;
        const auto end = m_strRecv.find("\r\n", from);
        const std::string value =
            m_strRecv.substr(from, end == std::string::npos ? std::string::npos : end - from);
        contentLen = platform::LeadingInt(platform::Trim(value));
    }
    const auto crlf = m_strRecv.find("\r\n\r\n");
    if (crlf != std::string::npos && crlf > 0) {
        headLen = static_cast<int>(crlf + 4);
        return;
    }
    const auto lf = m_strRecv.find("\n\n");
    if (lf != std::string::npos && lf > 0) headLen = static_cast<int>(lf + 2);
}

void CCgiSock::StripHeader(std::string& text) {
    const auto crlf = text.find("\r\n\r\n");
    if (crlf != std::string::npos && crlf > 0) {
        text.erase(0, crlf + 4);
        return;
    }
    const auto lf = text.find("\n\n");
    if (lf != std::string::npos && lf > 0) text.erase(0, lf + 2);
}

BOOL CCgiSock::WaitValidConnect(BOOL forWrite, int socket, int minimum) {
    const DWORD idleLimit = static_cast<DWORD>(m_nTimeout) * 1000 / kSliceMs;
    const DWORD limitMs = static_cast<DWORD>(m_nTimeout) * 1000;
    DWORD idle = 0;
    const DWORD start = Clock::TickCount();
    const auto slice = Clock::RealDuration(kSliceMs);
    while (m_bAbort == 0) {
        Clock::Sleep(1);
        pollfd pfd{socket, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(slice.count() / 1000000);
        ts.tv_nsec = static_cast<long>((slice.count() % 1000000) * 1000);
        const int rc = ppoll(&pfd, 1, &ts, nullptr);
        if (rc < 0) {
            if (errno == EINTR) continue;
            TraceMsg("\n WaitValidConnect error");
            return FALSE;
        }
        bool ready = rc > 0;
        if (ready && forWrite) {
            // A refused or reset attempt also reads as writable here: only a connection
            // without a pending error counts, as a writable socket did on the original
            // platform. Otherwise this slice passes idle.
            int error = 0;
            socklen_t len = sizeof(error);
            getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &len);
            if (error != 0 || (pfd.revents & (POLLERR | POLLHUP))) {
                ready = false;
                Clock::Sleep(kSliceMs);
            }
        }
        if (!ready) {
            if (++idle >= idleLimit) return FALSE;
            continue;
        }
        if (forWrite) return TRUE;
        int pending = 0;
        if (ioctl(socket, FIONREAD, &pending) == 0 && pending > minimum) return TRUE;
        if (static_cast<DWORD>(Clock::TickCount() - start) >= limitMs) return FALSE;
    }
    return FALSE;
}

BOOL CCgiSock::ConnectServer(const char* host, int port) {
    m_nRetVal = 9;
    if (m_bAbort != 0) return FALSE;
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        m_nRetVal = 5;
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(m_socketLock);
        m_hSocket = fd;
    }
    if (!SetBlocking(fd, false)) {
        CloseSocket();
        m_nRetVal = 6;
        return FALSE;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!ResolveHost(host, &peer.sin_addr)) {
        CloseSocket();
        return FALSE;  // code 9
    }
    connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer));
    if (!WaitValidConnect(TRUE, fd, 0)) {
        CloseSocket();
        m_nRetVal = 7;
        return FALSE;
    }
    if (!SetBlocking(fd, true)) {
        CloseSocket();
        m_nRetVal = 6;
        return FALSE;
    }
    SetTimeouts(fd, m_nTimeout);
    m_nRetVal = 10;
    return TRUE;
}

void CCgiSock::ReceiveReply() {
    const int fd = Socket();
    if (!WaitValidConnect(FALSE, fd, kTextReplyMinimum)) {
        m_nRetVal = 8;
        return;
    }
    std::memset(m_szRecvBuf, 0, sizeof(m_szRecvBuf));
    std::size_t total = 0;
    long long body = 0;
    int headLen = 0;
    int contentLen = 0;
    bool first = true;
    while (sizeof(m_szRecvBuf) - total > 1 && m_bAbort == 0) {
        const ssize_t n = recv(fd, m_szRecvBuf + total, sizeof(m_szRecvBuf) - total - 1, 0);
        if (n <= 0) {
            m_nRetVal = 13;
            break;
        }
        total += static_cast<std::size_t>(n);
        if (first) {
            first = false;
            m_strRecv = m_szRecvBuf;
            ParseHttpHead(headLen, contentLen);
            if (headLen <= 0 || contentLen <= 0) {
                m_nRetVal = 14;
                break;
            }
            body = n - headLen;
            m_nContentLen = contentLen;
        } else {
            body += n;
        }
        if (body == contentLen) {
            const std::size_t cut = std::min<std::size_t>(
                static_cast<std::size_t>(headLen) + static_cast<std::size_t>(contentLen),
                sizeof(m_szRecvBuf) - 1);
            m_szRecvBuf[cut] = '\0';
            m_strRecv = m_szRecvBuf;
            break;
        }
    }
}

BOOL CCgiSock::SendCgiCmd(const char* url, int timeout) {
    Reset(timeout);
    platform::FaultPoints::Pass("SendCgiCmd");
    std::string path;
    char host[100];
    int port = 0;
    if (!SplitUrl(url, path, host, port)) return FALSE;
    if (!ConnectServer(host, port)) {
        TraceMsg(kTraceConnectFailedCode, host, port, m_nRetVal);
        return FALSE;
    }
    std::memset(m_szSendBuf, 0, sizeof(m_szSendBuf));
    const int len = std::snprintf(m_szSendBuf, sizeof(m_szSendBuf),
                                  "GET %s HTTP/1.1\r\nConnection:Close\r\n\r\n", path.c_str());
    if (len < 0 || static_cast<std::size_t>(len) >= sizeof(m_szSendBuf)) {
        CloseSocket();
        m_nRetVal = 2;  // the URL does not fit the request buffer
        return FALSE;
    }
    if (!SendAll(m_szSendBuf, static_cast<std::size_t>(len))) {
        m_nRetVal = 11;
        CloseSocket();
        return FALSE;
    }
    m_nRetVal = 12;
    ReceiveReply();
    CloseSocket();
    if (m_strRecv.empty()) return FALSE;
    StripHeader(m_strRecv);
    m_nRetVal = 0;
    return TRUE;
}

void CCgiSock::RecvCgiReply() { ReceiveReply(); }

BOOL CCgiSock::SendCgiCmd_DownloadFile(int kind, const char* url, int timeout, int saveMode,
                                       const std::wstring& filePath, char* buffer,
                                       int bufferSize) {
    Reset(timeout);
    platform::FaultPoints::Pass("DownloadFile");
    BOOL result = FALSE;
    File file;
    const std::size_t capacity = buffer && bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 0;
    do {
        std::string path;
        char host[100];
        int port = 0;
        if (!SplitUrl(url, path, host, port)) break;
        if (!ConnectServer(host, port)) {
            TraceMsg("\r\n---Connect: %s Port: %d Fail---", host, port);
            break;
        }
        const std::string request = DownloadRequest(kind, path, host, port);
        if (request.empty()) {
            m_nRetVal = 2;
            break;
        }
        if (!SendAll(request.data(), request.size())) {
            m_nRetVal = 11;
            break;
        }
        m_nRetVal = 12;
        const int fd = Socket();
        if (!WaitValidConnect(FALSE, fd, kDownloadReplyMinimum)) {
            m_nRetVal = 8;
            break;
        }
        if (saveMode == 0) {
            file.reset(std::fopen(Narrow(filePath).c_str(), "w+b"));
            if (!file) {
                m_nRetVal = 26;
                break;
            }
        }
        char chunk[4096];
        long long body = 0;
        int contentLen = 0;
        std::size_t offset = 0;
        bool first = true;
        while (m_bAbort == 0) {
            const ssize_t n = recv(fd, chunk, sizeof(chunk) - 1, 0);
            if (n <= 0) {
                m_nRetVal = 13;
                break;
            }
            const char* keep = chunk;
            std::size_t keepLen = static_cast<std::size_t>(n);
            if (first) {
                first = false;
                m_strRecv.assign(chunk, strnlen(chunk, keepLen));
                int headLen = 0;
                ParseHttpHead(headLen, contentLen);
                TraceMsg("\r\n---nHeadLen=%d---nJpgAllLen=%d---", headLen, contentLen);
                m_nContentLen = contentLen;
                keep += headLen;
                keepLen -= static_cast<std::size_t>(headLen);
            }
            // Never more than the announced body; a server sending extra bytes gets them cut.
            if (contentLen > 0 && body + static_cast<long long>(keepLen) > contentLen) {
                keepLen = static_cast<std::size_t>(contentLen - body);
            }
            if (saveMode == 0) {
                if (keepLen > 0 && std::fwrite(keep, 1, keepLen, file.get()) != keepLen) {
                    m_nRetVal = 26;  // the local file failed (disk full)
                    break;
                }
            } else {
                if (offset + keepLen > capacity) {
                    m_nRetVal = 14;  // the body does not fit the caller's buffer: refused
                    break;
                }
                if (keepLen > 0) std::memcpy(buffer + offset, keep, keepLen);
                offset += keepLen;
            }
            body += static_cast<long long>(keepLen);
            if (body == contentLen) {
                m_nRetVal = 0;
                result = TRUE;
                break;
            }
        }
    } while (false);
    if (file) std::fflush(file.get());
    file.reset();
    CloseSocket();
    TraceMsg("\r\n---SendCgiCmd_DownloadFile---end---bRet=%d---m_nRetVal=%d---", result, m_nRetVal);
    return result;
}

std::wstring CCgiSock::MakeBoundary() {
    const platform::LocalTime t = platform::LocalTime::Now();
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%02d%02d%02d%02d%02d%02d%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.milliseconds);
    return stamp;
}

BOOL CCgiSock::SendCgiCmd_UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                                      const std::wstring& checksum) {
    Reset(timeout);
    platform::FaultPoints::Pass("UpgradeFile");
    BOOL result = FALSE;
    File file;
    const std::string stamp = Narrow(MakeBoundary());
    const std::string trailer = "\r\n----------" + stamp + "--\r\n";
    do {
        std::string path;
        char host[100];
        int port = 0;
        if (!SplitUrl(url, path, host, port)) break;
        if (!ConnectServer(host, port)) {
            TraceMsg(kTraceConnectFailed, host, port);
            break;
        }
        const std::string localPath = Narrow(filePath);
        file.reset(std::fopen(localPath.c_str(), "rb"));
        if (!file) {
            m_nRetVal = 26;
            break;
        }
        // Read ahead in large blocks; the chunks handed to send() stay 2048 bytes.
        std::setvbuf(file.get(), nullptr, _IOFBF, 256 * 1024);
        std::fseek(file.get(), 0, SEEK_END);
        const long long fileLen = std::ftell(file.get());
        std::rewind(file.get());
        TraceMsg("\r\n---nFileAllLen=%lld---", fileLen);
        const std::string partHeader = "----------" + stamp + "\r\n" +
                                       "Content-Disposition: form-data; name=\"file\"; filename=\"" +
                                       localPath + "\"\r\n" +
                                       "Content-Type: application/x-zip-compressed\r\n" +
                                       "Content-Transfer-Encoding: binary\r\n" + "\r\n";
        const long long contentLen = static_cast<long long>(partHeader.size() + trailer.size()) +
                                     (fileLen > 0 ? fileLen : 0);
        TraceMsg("\r\n---nContAllLen=%lld---", contentLen);
        const std::string header =
            "POST " + path + " HTTP/1.0\r\nConnection: keep-alive\r\n" +
            "Content-Type: multipart/form-data; boundary=--------" + stamp + "\r\n" +
            "Content-Length: " + std::to_string(contentLen) + "\r\n" + "Host: " + host + ":" +
            std::to_string(port) + "\r\n" + "Content-Md5: " + Narrow(checksum) + "\r\n" +
            "Accept: image/gif, image/jpeg, image/pjpeg, image/pjpeg, "
            "application/x-shockwave-flash, */*\r\n" +
            "Accept-Encoding: gzip,deflate\r\n" +
            "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n\r\n";
        m_nRetVal = 12;
        // No Nagle wait for the small trailer behind unacknowledged data (a 40 ms stall
        // against a delayed acknowledgement); MSG_MORE does the coalescing instead.
        const int noDelay = 1;
        setsockopt(Socket(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof(noDelay));
        // Every piece but the trailer goes out with "more to follow", so that the
        // 2048-byte chunks travel in full segments.
        if (!SendAll(header.data(), header.size(), true) ||
            !SendAll(partHeader.data(), partHeader.size(), true)) {
            m_nRetVal = 11;
            break;
        }
        long long left = fileLen > 0 ? fileLen : 0;
        m_nUploadTotal = left;
        m_nUploadSent = 0;
        bool failed = false;
        char chunk[kFileChunk];
        while (m_bAbort == 0) {
            const std::size_t want = static_cast<std::size_t>(std::min<long long>(kFileChunk, left));
            const std::size_t got = want > 0 ? std::fread(chunk, 1, want, file.get()) : 0;
            if (got == 0) {
                m_nRetVal = 27;
                failed = true;
                break;
            }
            if (!SendAll(chunk, got, true)) {
                m_nRetVal = 11;
                failed = true;
                break;
            }
            left -= static_cast<long long>(got);
            m_nUploadSent += static_cast<long long>(got);
            if (left == 0) {
                if (!SendAll(trailer.data(), trailer.size())) {
                    m_nRetVal = 11;
                    failed = true;
                    break;
                }
                m_nRetVal = 0;
                result = TRUE;
                break;
            }
        }
        if (failed) break;
        RecvCgiReply();
        StripHeader(m_strRecv);
    } while (false);
    file.reset();
    CloseSocket();
    TraceMsg("\r\n---SendCgiCmd_UpgradeFile---end---bRet=%d---m_nRetVal=%d---", result, m_nRetVal);
    return result;
}

}  // namespace orvex
