#pragma once
#include <map>
#include <string>
#include <vector>

#include "cgi/CgiSock.h"

namespace orvex {

// Camera CGI commands with a verdict. Each operation returns TRUE on success and always
// reports a result code (nResult: 0 success, 1 failure or no verdict, 3 authentication
// failed, 4 no name=value pair, or a transport code) and the reply's Content-Length.
// Transport calls run inside a fault guard that logs platform faults to BugLog.txt.
// Used from one worker thread; Sock().Abort() may be called from any thread.
class CCgiOper {
public:
    CCgiOper() = default;
    virtual ~CCgiOper() = default;

    // Success when the reply body holds "result" and "ok" or "=0".
    BOOL ExecCgiCmd(const char* url, int timeout, int* nResult, int* nContentLen);
    // Appends one value per key (or "NotFindKey") from a var name="value"; reply.
    BOOL GetCgiValues(const char* url, int timeout, const std::vector<std::wstring>& keys,
                      std::vector<std::wstring>& values, int* nResult, int* nContentLen);
    // Uploads the file and judges the camera's reply like ExecCgiCmd.
    BOOL UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                     const std::wstring& checksum, int* nResult, int* nContentLen);
    // Downloads into a file (saveMode 0) or into the buffer of bufferSize bytes (1).
    BOOL DownloadFile(int kind, const char* url, int timeout, int saveMode,
                      const std::wstring& filePath, char* buffer, int bufferSize, int* nResult,
                      int* nContentLen);

    CCgiSock& Sock() { return m_sock; }

    using ReplyMap = std::map<std::wstring, std::wstring>;
    // The reply grammar over a raw reply text (header included): pieces split at ';',
    // CR and LF, "var " dropped, name=value with quotes and ';' removed from the value.
    static void ParseReplyText(const char* text, ReplyMap& map);

private:
    BOOL ParseCgiReply(const char* url, int timeout, ReplyMap& map, int* nResult,
                       int* nContentLen);
    BOOL SafeSendCgiCmd(const char* url, int timeout, int* nResult, int* nContentLen);
    BOOL SafeDownloadFile(int kind, const char* url, int timeout, int saveMode,
                          const std::wstring& filePath, char* buffer, int bufferSize,
                          int* nResult, int* nContentLen);
    BOOL SafeUpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                         const std::wstring& checksum, int* nResult, int* nContentLen);
    // The reply body as the verdicts read it: its first 255 characters, trimmed.
    std::wstring ReplyText() const;
    void CopyResult(int* nResult, int* nContentLen) const;

    CCgiSock m_sock;
};

}  // namespace orvex
