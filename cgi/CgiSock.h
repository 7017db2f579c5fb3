#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/Types.h"

namespace orvex {

using platform::BOOL;
using platform::FALSE;
using platform::TRUE;

// The system's own minimal HTTP client: one TCP connection per exchange, three kinds of
// exchange, and a numeric result code in m_nRetVal (0 success, 2 bad URL, 5 socket,
// 6 blocking mode, 7 no connection, 8 no reply, 9 no host or aborted, 11 send,
// 12 aborted after sending, 13 receive, 14 bad reply header, 26 local file, 27 file read).
// Thread safety: exchanges run on one worker thread; Abort may be called from any thread
// and wakes a blocked connect, send or receive at once.
class CCgiSock {
public:
    CCgiSock();
    virtual ~CCgiSock();
    CCgiSock(const CCgiSock&) = delete;
    CCgiSock& operator=(const CCgiSock&) = delete;

    // GET; TRUE when reply text arrived (body in m_strRecv, raw reply in m_szRecvBuf).
    BOOL SendCgiCmd(const char* url, int timeout);
    // GET with the request of `kind` (4..8); the body goes to the file (saveMode 0) or into
    // the buffer of `bufferSize` bytes (saveMode 1). TRUE when exactly Content-Length body
    // bytes were stored; a body that would not fit the buffer is refused with code 14.
    BOOL SendCgiCmd_DownloadFile(int kind, const char* url, int timeout, int saveMode,
                                 const std::wstring& filePath, char* buffer, int bufferSize);
    // multipart/form-data POST of one file; TRUE when the whole request went out.
    BOOL SendCgiCmd_UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                                const std::wstring& checksum);
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
    // Reads the reply of an upload into m_strRecv.
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
    int m_nContentLen = 0;
    char m_szRecvBuf[10240];
    char m_szSendBuf[2048];

private:
    void Reset(int timeout);
    // ParseUrl for an exchange: code 2 and its trace when the URL cannot be split.
    bool SplitUrl(const char* url, std::string& path, char (&host)[100], int& port);
    int Socket() const;
    void CloseSocket();
    // One send (repeated for a partial send); `more` says more of the request follows.
    bool SendAll(const char* data, std::size_t size, bool more = false);
    // Waits for more than 164 bytes and reads one reply into m_szRecvBuf; sets 8, 13 or
    // 14 on failure and leaves the code alone when the reply is complete.
    void ReceiveReply();
    static void StripHeader(std::string& text);

    mutable std::mutex m_socketLock;  // guards m_hSocket against Abort's shutdown
    int m_hSocket = -1;
};

}  // namespace orvex
