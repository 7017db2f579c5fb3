#include "cgi/CgiSock.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cgi/DownloadTarget.h"
#include "cgi/HttpReplyReader.h"
#include "cgi/HttpRequest.h"
#include "cgi/HttpUrl.h"
#include "cgi/TraceMsg.h"
#include "platform/CodePage.h"
#include "platform/ExceptionEx.h"
#include "platform/TextUtil.h"

namespace orvex {

namespace {

// Trace texts in the GBK code page: "connecting to host %s on port %d failed" and
// "failed to parse IP and port".
constexpr const char* kTraceConnectFailedCode =
    "\r\n---\xC1\xAC\xBD\xD3%s\xB6\xCB\xBF\xDA%d\xCA\xA7\xB0\xDC---m_nRetVal=%d---";
constexpr const char* kTraceConnectFailed =
    "\r\n---\xC1\xAC\xBD\xD3%s\xB6\xCB\xBF\xDA%d\xCA\xA7\xB0\xDC---";
constexpr const char* kTraceParseFailed =
    "\r\n---%s:\xBD\xE2\xCE\xF6IP\xBA\xCD\xB6\xCB\xBF\xDA\xCA\xA7\xB0\xDC---";

constexpr std::size_t kFileChunk = 2048;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string Narrow(const std::wstring& text) {
    return platform::CodePage::WideToOem(text);
}

}  // namespace

CCgiSock::CCgiSock() {
    std::memset(m_szRecvBuf, 0, sizeof(m_szRecvBuf));
    std::memset(m_szSendBuf, 0, sizeof(m_szSendBuf));
}

CCgiSock::~CCgiSock() {
    CloseSocket();
}

void CCgiSock::Reset(int timeout) {
    m_nRetVal = -1;
    m_nContentLen = 0;
    m_nHttpStatus = 0;
    m_nTimeout = timeout;
    m_strRecv.clear();
}

int CCgiSock::Socket() const {
    return m_stream.Fd();
}

void CCgiSock::CloseSocket() {
    m_stream.Close();
}

void CCgiSock::Abort() {
    m_bAbort = 1;
    m_stream.Shutdown();
}

bool CCgiSock::SendAll(const char* data, std::size_t size, bool more) {
    return m_stream.SendAll(data, size, more);
}

BOOL CCgiSock::ParseUrl(const char* url, std::string& path, char (&host)[100], int& port) {
    std::string hostText;
    if (!url || !HttpUrl::Split(url, path, hostText, port)) return FALSE;
    std::memset(host, 0, sizeof(host));
    std::memcpy(host, hostText.data(), hostText.size());
    return TRUE;
}

bool CCgiSock::SplitUrl(const char* url, std::string& path, char (&host)[100], int& port) {
    if (ParseUrl(url, path, host, port)) return true;
    m_nRetVal = 2;
    TraceMsg(kTraceParseFailed, url ? url : "");
    return false;
}

void CCgiSock::ParseHttpHead(int& headLen, int& contentLen) const {
    const HttpHead head = HttpHead::Parse(m_strRecv);
    if (head.contentLength >= 0 && !head.malformed) {
        contentLen = static_cast<int>(std::min<long long>(head.contentLength, INT_MAX));
    }
    if (head.Complete()) headLen = static_cast<int>(head.headerLength);
}

BOOL CCgiSock::WaitValidConnect(BOOL forWrite, int socket, int minimum) {
    return TcpStream::WaitReady(socket, forWrite != 0, minimum, m_nTimeout, m_bAbort) ? TRUE
                                                                                      : FALSE;
}

BOOL CCgiSock::ConnectServer(const char* host, int port) {
    m_nRetVal = 9;
    if (m_bAbort != 0) return FALSE;
    if (!m_stream.Open()) {
        m_nRetVal = 5;
        return FALSE;
    }
    const int fd = m_stream.Fd();
    if (!m_stream.SetBlocking(false)) {
        CloseSocket();
        m_nRetVal = 6;
        return FALSE;
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    if (!TcpStream::Resolve(host, &peer.sin_addr)) {
        CloseSocket();
        return FALSE;  // code 9
    }
    connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof(peer));
    if (!WaitValidConnect(TRUE, fd, 0)) {
        CloseSocket();
        m_nRetVal = 7;
        return FALSE;
    }
    if (!m_stream.SetBlocking(true)) {
        CloseSocket();
        m_nRetVal = 6;
        return FALSE;
    }
    m_stream.SetTimeouts(m_nTimeout);
    m_nRetVal = 10;
    return TRUE;
}

int CCgiSock::ReceiveReply() {
    HttpReplyReader reader(Socket(), m_bAbort);
    const std::size_t capacity = sizeof(m_szRecvBuf) - 1;
    std::string body;
    int outcome = reader.Read(m_nTimeout, false, [&](const char* data, std::size_t size) {
        // The text buffer's bound: a reply beyond it is cut there, as the buffer always was.
        const std::size_t room = capacity > reader.HeadText().size() + body.size()
                                     ? capacity - reader.HeadText().size() - body.size()
                                     : 0;
        body.append(data, std::min(size, room));
        return size <= room;
    });
    if (outcome == HttpReplyReader::kSinkRefused) {
        TraceMsg("\r\n---reply cut at %d bytes---", static_cast<int>(capacity));
        outcome = HttpReplyReader::kComplete;
    }
    const std::string raw = (reader.HeadText() + body).substr(0, capacity);
    std::memset(m_szRecvBuf, 0, sizeof(m_szRecvBuf));
    std::memcpy(m_szRecvBuf, raw.data(), raw.size());
    if (outcome != HttpReplyReader::kComplete) {
        m_nRetVal = outcome;
        return outcome;
    }
    m_nContentLen = ContentLength(reader);
    m_strRecv = body;
    return Judge(reader.Head().status);
}

int CCgiSock::ContentLength(const HttpReplyReader& reader) {
    const long long n =
        reader.Head().contentLength >= 0 ? reader.Head().contentLength : reader.BodyBytes();
    return static_cast<int>(std::min<long long>(n, INT_MAX));
}

int CCgiSock::Judge(int status) {
    m_nHttpStatus = status;
    if (status >= 200 && status <= 299) return 0;
    TraceMsg("\r\n---HTTP status %d---", status);
    m_nRetVal = kCodeHttpStatus;
    return kCodeHttpStatus;
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
    const std::string request = HttpRequest::CgiGet(path, host, port);
    std::memset(m_szSendBuf, 0, sizeof(m_szSendBuf));
    if (request.size() >= sizeof(m_szSendBuf)) {
        CloseSocket();
        m_nRetVal = 2;  // the URL does not fit the request buffer
        return FALSE;
    }
    std::memcpy(m_szSendBuf, request.data(), request.size());
    if (!SendAll(m_szSendBuf, request.size())) {
        m_nRetVal = 11;
        CloseSocket();
        return FALSE;
    }
    m_nRetVal = 12;
    const int code = ReceiveReply();
    CloseSocket();
    if (code != 0) return FALSE;
    m_nRetVal = 0;
    return TRUE;
}

void CCgiSock::RecvCgiReply() {
    const int before = m_nRetVal;
    if (ReceiveReply() == 0) m_nRetVal = before;  // a whole 2xx reply leaves the code alone
}

BOOL CCgiSock::SendCgiCmd_DownloadFile(int kind, const char* url, int timeout, int saveMode,
                                       const std::wstring& filePath, char* buffer, int bufferSize) {
    Reset(timeout);
    platform::FaultPoints::Pass("DownloadFile");
    BOOL result = FALSE;
    const std::size_t capacity =
        buffer && bufferSize > 0 ? static_cast<std::size_t>(bufferSize) : 0;
    do {
        std::string path;
        char host[100];
        int port = 0;
        if (!SplitUrl(url, path, host, port)) break;
        if (!ConnectServer(host, port)) {
            TraceMsg("\r\n---Connect: %s Port: %d Fail---", host, port);
            break;
        }
        const std::string request = HttpRequest::Download(kind, path, host, port);
        if (request.empty()) {
            m_nRetVal = 2;
            break;
        }
        if (!SendAll(request.data(), request.size())) {
            m_nRetVal = 11;
            break;
        }
        m_nRetVal = 12;
        HttpReplyReader reader(Socket(), m_bAbort);
        DownloadTarget target(saveMode, Narrow(filePath), buffer, capacity);
        // An error page is read to its end, never kept.
        const int outcome =
            reader.Read(m_nTimeout, saveMode == 0, [&](const char* data, std::size_t size) {
                return !reader.Head().Success() || target.Store(data, size);
            });
        if (reader.Head().Complete()) {
            m_strRecv = reader.HeadText();
            TraceMsg("\r\n---nHeadLen=%d---nJpgAllLen=%d---",
                     static_cast<int>(reader.Head().headerLength),
                     static_cast<int>(std::min<long long>(reader.Head().contentLength, INT_MAX)));
            m_nContentLen = ContentLength(reader);
        }
        if (outcome != HttpReplyReader::kComplete) {
            m_nRetVal = outcome == HttpReplyReader::kSinkRefused ? target.Failure() : outcome;
            break;
        }
        if (Judge(reader.Head().status) != 0) break;
        if (!target.Finish()) {
            m_nRetVal = target.Failure();
            break;
        }
        m_nRetVal = 0;
        result = TRUE;
    } while (false);
    CloseSocket();
    TraceMsg("\r\n---SendCgiCmd_DownloadFile---end---bRet=%d---m_nRetVal=%d---", result, m_nRetVal);
    return result;
}

std::wstring CCgiSock::MakeBoundary() {
    return HttpRequest::BoundaryStamp();
}

BOOL CCgiSock::SendCgiCmd_UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                                      const std::wstring& checksum) {
    Reset(timeout);
    platform::FaultPoints::Pass("UpgradeFile");
    BOOL result = FALSE;
    std::unique_ptr<std::FILE, FileCloser> file;
    const std::string stamp = Narrow(MakeBoundary());
    const std::string trailer = HttpRequest::UploadTrailer(stamp);
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
        std::shared_ptr<const std::string> image;
        {
            std::lock_guard<std::mutex> guard(m_imageLock);
            image = m_uploadImage;
        }
        // The bytes checked when the file was chosen, never the file as it is now.
        file.reset(image ? fmemopen(const_cast<char*>(image->data()), image->size(), "rb")
                         : std::fopen(localPath.c_str(), "rb"));
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
        const std::string partHeader = HttpRequest::UploadPartHeader(stamp, localPath);
        const long long contentLen =
            static_cast<long long>(partHeader.size() + trailer.size()) + std::max(fileLen, 0LL);
        TraceMsg("\r\n---nContAllLen=%lld---", contentLen);
        const std::string header =
            HttpRequest::UploadHeader(path, stamp, contentLen, host, port, Narrow(checksum));
        m_nRetVal = 12;
        result = SendUpload(header, partHeader, file.get(), fileLen, trailer);
        if (m_nRetVal == 11 || m_nRetVal == 27) break;
        RecvCgiReply();
    } while (false);
    CloseSocket();
    TraceMsg("\r\n---SendCgiCmd_UpgradeFile---end---bRet=%d---m_nRetVal=%d---", result, m_nRetVal);
    return result;
}

void CCgiSock::SetUploadImage(std::shared_ptr<const std::string> bytes) {
    std::lock_guard<std::mutex> guard(m_imageLock);
    m_uploadImage = std::move(bytes);
}

BOOL CCgiSock::SendUpload(const std::string& header, const std::string& partHeader, std::FILE* file,
                          long long fileLen, const std::string& trailer) {
    // No Nagle wait for the small trailer behind unacknowledged data (a 40 ms stall
    // against a delayed acknowledgement); MSG_MORE does the coalescing instead.
    m_stream.NoDelay();
    // Every piece but the trailer goes out with "more to follow", so that the
    // 2048-byte chunks travel in full segments.
    if (!SendAll(header.data(), header.size(), true) ||
        !SendAll(partHeader.data(), partHeader.size(), true)) {
        m_nRetVal = 11;
        return FALSE;
    }
    long long left = fileLen > 0 ? fileLen : 0;
    m_nUploadTotal = left;
    m_nUploadSent = 0;
    char chunk[kFileChunk];
    while (m_bAbort == 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<long long>(kFileChunk, left));
        const std::size_t got = want > 0 ? std::fread(chunk, 1, want, file) : 0;
        if (got == 0) {
            m_nRetVal = 27;
            return FALSE;
        }
        if (!SendAll(chunk, got, true)) {
            m_nRetVal = 11;
            return FALSE;
        }
        left -= static_cast<long long>(got);
        m_nUploadSent += static_cast<long long>(got);
        if (left == 0) {
            if (!SendAll(trailer.data(), trailer.size())) {
                m_nRetVal = 11;
                return FALSE;
            }
            m_nRetVal = 0;
            return TRUE;
        }
    }
    return FALSE;  // aborted: the reply wait fails at once
}

}  // namespace orvex
