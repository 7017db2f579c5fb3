#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "cgi/TcpStream.h"
#include "platform/Types.h"

namespace orvex {

using platform::BOOL;
using platform::FALSE;
using platform::TRUE;

class HttpReplyReader;

// The server answered with an HTTP status other than 2xx (the status is in m_nHttpStatus).
constexpr int kCodeHttpStatus = 15;

// The system's own minimal HTTP client: one TCP connection per exchange, three kinds of
// exchange, and a numeric result code in m_nRetVal (0 success, 2 bad URL, 5 socket,
// 6 blocking mode, 7 no connection, 8 no whole reply in time, 9 no host or aborted,
// 11 send, 12 aborted after sending, 13 receive failed or the peer closed early, 14 bad
// reply header or framing, 15 an HTTP status other than 2xx, 26 local file, 27 file read).
// A reply is read whole: Content-Length bytes, chunks up to the last one, or up to the
// peer's close; a peer that sends a body with none of these and never closes has its
// body taken when the time-out passes.
// Thread safety: exchanges run on one worker thread; Abort may be called from any thread
// and wakes a blocked connect, send or receive at once.
class CCgiSock {
public:
    CCgiSock();
    virtual ~CCgiSock();
    CCgiSock(const CCgiSock&) = delete;
    CCgiSock& operator=(const CCgiSock&) = delete;

    // GET; TRUE when a whole 2xx reply arrived (body in m_strRecv, raw reply with the
    // header and the de-chunked body in m_szRecvBuf). With code 15 m_strRecv holds the
    // error reply's body, for the camera's own verdict.
    BOOL SendCgiCmd(const char* url, int timeout);
    // GET with the request of `kind` (4..8); the body goes to the file (saveMode 0) or into
    // the buffer of `bufferSize` bytes (saveMode 1). TRUE when the whole body of a 2xx
    // reply was stored; a body that would not fit the buffer is refused with code 14, an
    // error reply (404: no such document) is code 15 and stores nothing.
    BOOL SendCgiCmd_DownloadFile(int kind, const char* url, int timeout, int saveMode,
                                 const std::wstring& filePath, char* buffer, int bufferSize);
    // multipart/form-data POST of one file; TRUE when the whole request went out (the
    // code then tells whether a whole 2xx reply followed).
    BOOL SendCgiCmd_UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                                const std::wstring& checksum);
    // The bytes the next uploads send in place of reading the file at their path (which
    // still names the file in the request); none (nullptr): the path is read.
    void SetUploadImage(std::shared_ptr<const std::string> bytes);
    // Sets the abort flag and shuts the exchange's socket down (the worker closes it).
    void Abort();
    void ClearAbort() { m_bAbort = 0; }
    bool IsAborted() const { return m_bAbort != 0; }

    BOOL ConnectServer(const char* host, int port);
    BOOL WaitValidConnect(BOOL forWrite, int socket, int minimum);
    // Splits "http://host[:port]/path"; host is 1..19 characters, port at most 65535.
    static BOOL ParseUrl(const char* url, std::string& path, char (&host)[100], int& port);
    // Header length and Content-Length of the reply text in m_strRecv.
    void ParseHttpHead(int& headLen, int& contentLen) const;
    // Reads the reply of an upload into m_strRecv; a whole 2xx reply leaves the code.
    void RecvCgiReply();
    // "%04d%02d%02d%02d%02d%02d%d" of the local time with milliseconds.
    static std::wstring MakeBoundary();

    // File bytes of the current upload sent so far, and the file's size; read by other
    // threads to show progress.
    std::atomic<long long> m_nUploadSent{0};
    std::atomic<long long> m_nUploadTotal{0};

    std::string m_strRecv;
    std::atomic<std::uint8_t> m_bAbort{0};
    int m_nTimeout = 5;
    int m_nRetVal = -1;
    int m_nContentLen = 0;  // Content-Length, or the body's size when the reply named none
    std::atomic<int> m_nHttpStatus{0};  // status of the last reply; 0 when none arrived
    char m_szRecvBuf[10240];
    char m_szSendBuf[2048];

private:
    void Reset(int timeout);
    // ParseUrl for an exchange: code 2 and its trace when the URL cannot be split.
    bool SplitUrl(const char* url, std::string& path, char (&host)[100], int& port);
    int Socket() const;
    void CloseSocket();
    bool SendAll(const char* data, std::size_t size, bool more = false);
    // Reads one reply of a text exchange into m_szRecvBuf and its body into m_strRecv;
    // returns and sets the code on failure (8, 12, 13, 14, 15), returns 0 on success.
    int ReceiveReply();
    // 0 for a 2xx status; otherwise code 15, traced.
    int Judge(int status);
    static int ContentLength(const HttpReplyReader& reader);
    // The request header, part header, file and trailer of an upload.
    BOOL SendUpload(const std::string& header, const std::string& partHeader, std::FILE* file,
                    long long fileLen, const std::string& trailer);

    TcpStream m_stream;  // the socket of the exchange in progress
    std::mutex m_imageLock;
    std::shared_ptr<const std::string> m_uploadImage;  // guarded by m_imageLock
};

}  // namespace orvex
