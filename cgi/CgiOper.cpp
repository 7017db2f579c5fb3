#include "cgi/CgiOper.h"

#include <cstring>

#include "cgi/BugLog.h"
#include "platform/CodePage.h"
#include "platform/ExceptionEx.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

constexpr const char* kSourceName = ".\\CgiOper.cpp";
constexpr int kLineParseCgiReply = 323;
constexpr int kLineSendCgiCmd = 340;
constexpr int kLineDownloadFile = 357;
constexpr int kLineUpgradeFile = 376;

// One fault record: two lines, written in four calls.
void RecordFault(int line, const platform::CExceptionEx& fault) {
    WriteBugLog(kSourceName, true, false);
    WriteBugLog("  line:", false, false);
    WriteBugLog(std::to_string(line).c_str(), false, true);
    WriteBugLog(GetExceptionName(fault.m_nCode), true, true);
}

bool Has(const std::wstring& text, const wchar_t* word) {
    return text.find(word) != std::wstring::npos;
}

bool SaysOk(const std::wstring& text) {
    return Has(text, L"result") && (Has(text, L"ok") || Has(text, L"=0"));
}

bool SaysAuthFailed(const std::wstring& text) {
    return Has(text, L"result") && Has(text, L"Auth") && Has(text, L"Failed");
}

bool SaysFailed(const std::wstring& text) {
    return (Has(text, L"result") &&
            (Has(text, L"failed") || Has(text, L"erro") || Has(text, L"=-1"))) ||
           (Has(text, L"response") && Has(text, L"-1"));
}

// The verdict of a reply text after a transport code; first match wins. An error status
// (code 15) is never a success, but a camera's own failure in its body is still told.
int Verdict(const std::wstring& text, int code) {
    if (code != kCodeHttpStatus && SaysOk(text)) return 0;
    if (SaysAuthFailed(text)) return 3;
    if (SaysFailed(text)) return 1;
    return code != 0 ? code : 1;
}

}  // namespace

void CCgiOper::CopyResult(int* nResult, int* nContentLen) const {
    if (nResult) *nResult = m_sock.m_nRetVal;
    if (nContentLen) *nContentLen = m_sock.m_nContentLen;
}

BOOL CCgiOper::SafeSendCgiCmd(const char* url, int timeout, int* nResult, int* nContentLen) {
    try {
        const BOOL ok = m_sock.SendCgiCmd(url, timeout);
        CopyResult(nResult, nContentLen);
        return ok;
    } catch (const platform::CExceptionEx& fault) {
        RecordFault(kLineSendCgiCmd, fault);
        return FALSE;
    }
}

BOOL CCgiOper::SafeDownloadFile(int kind, const char* url, int timeout, int saveMode,
                                const std::wstring& filePath, char* buffer, int bufferSize,
                                int* nResult, int* nContentLen) {
    try {
        const BOOL ok = m_sock.SendCgiCmd_DownloadFile(kind, url, timeout, saveMode, filePath,
                                                       buffer, bufferSize);
        CopyResult(nResult, nContentLen);
        return ok;
    } catch (const platform::CExceptionEx& fault) {
        RecordFault(kLineDownloadFile, fault);
        return FALSE;
    }
}

BOOL CCgiOper::SafeUpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                               const std::wstring& checksum, int* nResult, int* nContentLen) {
    try {
        const BOOL ok = m_sock.SendCgiCmd_UpgradeFile(url, timeout, filePath, checksum);
        CopyResult(nResult, nContentLen);
        return ok;
    } catch (const platform::CExceptionEx& fault) {
        RecordFault(kLineUpgradeFile, fault);
        return FALSE;
    }
}

std::wstring CCgiOper::ReplyText() const {
    std::wstring text = platform::CodePage::AnsiToWide(m_sock.m_strRecv);
    if (text.size() > 255) text.resize(255);
    return platform::Trim(text);
}

BOOL CCgiOper::ExecCgiCmd(const char* url, int timeout, int* nResult, int* nContentLen) {
    int code = 1;
    SafeSendCgiCmd(url, timeout, &code, nContentLen);
    const int verdict = Verdict(ReplyText(), code);
    if (nResult) *nResult = verdict;
    return verdict == 0;
}

BOOL CCgiOper::UpgradeFile(const char* url, int timeout, const std::wstring& filePath,
                           const std::wstring& checksum, int* nResult, int* nContentLen) {
    int code = 1;
    const BOOL sent = SafeUpgradeFile(url, timeout, filePath, checksum, &code, nContentLen);
    if (!sent) {
        if (nResult) *nResult = code == 0 ? 1 : code;
        return FALSE;
    }
    if (code != 0 && code != kCodeHttpStatus) {
        if (nResult) *nResult = code;
        return FALSE;
    }
    const int verdict = Verdict(ReplyText(), code);
    if (nResult) *nResult = verdict;
    return verdict == 0;
}

BOOL CCgiOper::DownloadFile(int kind, const char* url, int timeout, int saveMode,
                            const std::wstring& filePath, char* buffer, int bufferSize,
                            int* nResult, int* nContentLen) {
    if (nResult) *nResult = 1;
    return SafeDownloadFile(kind, url, timeout, saveMode, filePath, buffer, bufferSize, nResult,
                            nContentLen);
}

void CCgiOper::ParseReplyText(const char* text, ReplyMap& map) {
    const std::string reply(text);
    std::size_t i = 0;
    while (i < reply.size()) {
        const std::size_t end = reply.find_first_of(";\r\n", i);
        const std::size_t stop = end == std::string::npos ? reply.size() : end;
        std::string piece = reply.substr(i, stop - i);
        i = stop + 1;
        if (piece.size() > 256 || piece.size() < 5) continue;  // also skips empty pieces
        if (piece.compare(0, 3, "var") == 0) piece.erase(0, 4);
        const auto eq = piece.find('=');
        if (eq == std::string::npos || eq == 0) continue;
        const std::wstring name = platform::CodePage::AnsiToWide(piece.substr(0, eq));
        std::wstring value = platform::CodePage::AnsiToWide(piece.substr(eq + 1));
        std::erase_if(value, [](wchar_t c) { return c == L'\'' || c == L'"' || c == L';'; });
        map[name] = value;
    }
}

BOOL CCgiOper::ParseCgiReply(const char* url, int timeout, ReplyMap& map, int* nResult,
                             int* nContentLen) {
    try {
        SafeSendCgiCmd(url, timeout, nResult, nContentLen);
        if (m_sock.m_szRecvBuf[0] == '\0') return FALSE;
        platform::FaultPoints::Pass("ParseCgiReply");
        ParseReplyText(m_sock.m_szRecvBuf, map);
        return TRUE;
    } catch (const platform::CExceptionEx& fault) {
        RecordFault(kLineParseCgiReply, fault);
        return FALSE;
    }
}

BOOL CCgiOper::GetCgiValues(const char* url, int timeout, const std::vector<std::wstring>& keys,
                            std::vector<std::wstring>& values, int* nResult, int* nContentLen) {
    ReplyMap map;
    int code = 1;
    if (!ParseCgiReply(url, timeout, map, &code, nContentLen)) {
        // A fault while parsing a reply the transport got must not read as success.
        if (nResult) *nResult = code == 0 ? 1 : code;
        return FALSE;
    }
    const auto result = map.find(L"result");
    const bool authFailed =
        result != map.end() && Has(platform::Trim(result->second), L"Auth Failed");
    // An error status is never a success; a camera's refused login in its body is told.
    if (code == kCodeHttpStatus && authFailed) code = 3;
    if (nResult) *nResult = code;
    if (code != 0) return FALSE;
    if (map.empty()) {
        if (nResult) *nResult = 4;
        return FALSE;
    }
    if (authFailed) {
        if (nResult) *nResult = 3;
        return FALSE;
    }
    for (const std::wstring& key : keys) {
        const auto it = map.find(key);
        values.push_back(it == map.end() ? L"NotFindKey" : it->second);
    }
    if (nResult) *nResult = 0;
    return TRUE;
}

}  // namespace orvex
