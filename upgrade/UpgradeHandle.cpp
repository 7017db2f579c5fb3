#include "upgrade/UpgradeHandle.h"

#include <cstdio>
#include <cstring>

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "upgrade/CameraQuery.h"
#include "upgrade/JsonHandle.h"

namespace orvex {

using platform::Clock;
using platform::CodePage;
using platform::DWORD;

namespace {

enum Slot { kSlotStatus, kSlotWebUi, kSlotSystem, kSlotAutoDownload, kSlotFirmware, kSlotDeviceId };

constexpr int kFirmwareReplySize = 512;
constexpr DWORD kRestartLimitMs = 90000;
constexpr int kRestartAttemptPaceMs = 1000;

// An 8-bit field read back as wide text (at most 255 characters).
template <std::size_t N>
std::wstring FieldText(const char (&field)[N]) {
    std::wstring text = CodePage::FieldToWide(field, N);
    if (text.size() > 255) text.resize(255);
    return text;
}

template <std::size_t N>
void PutField(char (&field)[N], const std::wstring& text) {
    CodePage::WriteField(field, N, text);
}

std::string Oem(const std::wstring& text) {
    return CodePage::WideToOem(text);
}

}  // namespace

CUpgradeHandle::CUpgradeHandle() : m_Requests(new CgiRequest[6]) {
    std::memset(&m_Task, 0, sizeof(m_Task));
    std::memset(&m_Login, 0, sizeof(m_Login));
    std::memset(m_Requests.get(), 0, sizeof(CgiRequest) * 6);
}

// A running worker is stopped by its owner first; this only makes sure none is left.
CUpgradeHandle::~CUpgradeHandle() {
    StopUpgrade();
}

BOOL CUpgradeHandle::InitUpgradeThread() {
    TraceMsg("\r\n---InitUpgradeThread---begin---");
    m_bStop = 0;
    auto thread = std::make_unique<platform::Thread>();
    const bool started = thread->Start([this] { return ThreadUpgrade(this); });
    if (started) m_hThread = std::move(thread);
    TraceMsg("\r\n---InitUpgradeThread---end-----");
    return started ? TRUE : FALSE;
}

void CUpgradeHandle::ReleaseUpgradeThread() {
    TraceMsg("\r\n---ReleaseUpgradeThread---begin-1---");
    if (m_hThread) {
        TraceMsg("\r\n---ReleaseUpgradeThread---begin-2---");
        m_bStop = 1;
        m_hThread->Join();
        m_hThread.reset();
    }
    TraceMsg("\r\n---ReleaseUpgradeThread---end-----");
}

void CUpgradeHandle::AbortUpgrade() {
    m_bStop = 1;
    m_CgiOper.Sock().Abort();
}

void CUpgradeHandle::StopUpgrade() {
    AbortUpgrade();
    ReleaseUpgradeThread();
}

void CUpgradeHandle::Prepare(int taskType, const CameraLogin& login, const UpgradeTask& task) {
    m_nTaskType = taskType;
    std::memset(&m_Task, 0, sizeof(m_Task));
    m_Task = task;
    SetLogin(login);
    m_nStatus = -1;
    m_nHttpErrorStatus = 0;
    m_CgiOper.Sock().ClearAbort();
}

void CUpgradeHandle::SetLogin(const CameraLogin& login) {
    std::lock_guard<std::mutex> guard(m_loginLock);
    std::memset(&m_Login, 0, sizeof(m_Login));
    m_Login = login;
}

CameraLogin CUpgradeHandle::Login() {
    std::lock_guard<std::mutex> guard(m_loginLock);
    return m_Login;
}

int CUpgradeHandle::TickElapsed() {
    m_Lock.Lock();
    const int n = ++m_nElapsed;
    m_Lock.Unlock();
    return n;
}

int CUpgradeHandle::Elapsed() {
    m_Lock.Lock();
    const int n = m_nElapsed;
    m_Lock.Unlock();
    return n;
}

void CUpgradeHandle::StartPhase(int status) {
    m_Lock.Lock();
    m_nElapsed = 0;
    m_Lock.Unlock();
    SetStatus(status);
}

void CUpgradeHandle::WaitWithStop(int ms) {
    if (ms < 50) return;
    for (int i = 0; i < ms / 50 && m_bStop == 0; ++i) Clock::Sleep(50);
}

std::string CUpgradeHandle::BuildUrl(const CameraLogin& login, int kind, const std::string& command,
                                     bool hasQuery) {
    return CameraQuery::BuildUrl(login, kind, command, hasQuery);
}

CgiRequest& CUpgradeHandle::ResetSlot(int slot, int kind, int timeout) {
    CgiRequest& request = m_Requests[static_cast<std::size_t>(slot)];
    std::memset(&request, 0, sizeof(request));
    request.params.nResult = -1;
    request.params.nCmdKind = kind;
    request.params.nTimeout = timeout;
    return request;
}

void CUpgradeHandle::RunCgiRequest(CgiRequest& request, const std::string& command, bool hasQuery) {
    const CameraLogin login = Login();  // the whole record, never half of a rewrite
    const std::string url = BuildUrl(login, request.params.nCmdKind, command, hasQuery);
    PutField(request.szUser, FieldText(login.szUser));
    PutField(request.szPassword, FieldText(login.szPassword));
    if (url.size() >= sizeof(request.szUrl)) {
        request.params.nResult = 2;  // cut short it would send another login: never sent
        request.params.nState = 2;
        return;
    }
    std::memcpy(request.szUrl, url.data(), url.size());
    request.szUrl[url.size()] = '\0';
    ExecCgiRequest(request);
}

void CUpgradeHandle::ExecCgiRequest(CgiRequest& request) {
    CgiCmdParam& p = request.params;
    if (p.nCmdKind < 1 || p.nCmdKind > 8) return;
    p.nState = 1;
    int nResult = 1;
    int contentLen = 0;
    BOOL ok = FALSE;
    const std::wstring filePath = CodePage::FieldToWide(p.szFilePath, sizeof(p.szFilePath));
    switch (p.nCmdKind) {
        case 1:
            ok = m_CgiOper.ExecCgiCmd(request.szUrl, p.nTimeout, &nResult, &contentLen);
            break;
        case 2: {
            std::vector<std::wstring> keys;
            for (int i = 0; i < 132; ++i) {
                if (p.szKeys[i][0] != '\0') keys.push_back(CodePage::FieldToWide(p.szKeys[i], 64));
            }
            m_arrValues.clear();
            request.nValueCount = 0;
            ok = m_CgiOper.GetCgiValues(request.szUrl, p.nTimeout, keys, m_arrValues, &nResult,
                                        &contentLen);
            request.nValueCount = static_cast<int>(m_arrValues.size());
            break;
        }
        case 3:
            ok = m_CgiOper.UpgradeFile(request.szUrl, p.nTimeout, filePath,
                                       CodePage::FieldToWide(p.szMd5, sizeof(p.szMd5)), &nResult,
                                       &contentLen);
            break;
        default:
            ok = m_CgiOper.DownloadFile(p.nCmdKind, request.szUrl, p.nTimeout, p.nSaveMode,
                                        filePath, p.pBuffer, p.nBufferSize, &nResult, &contentLen);
            break;
    }
    p.nContentLen = contentLen;
    p.nResult = ok ? 0 : nResult;
    const int http = m_CgiOper.Sock().m_nHttpStatus;
    if (http > 299) m_nHttpErrorStatus = http;
    p.nState = 2;
}

std::string CUpgradeHandle::BuildStatusRequest() {
    CgiRequest& r = ResetSlot(kSlotStatus, 2, 5);
    const char* keys[] = {"sys_ver", "app_version", "params_md5", "oem_id"};
    for (const char* key : keys) std::strcpy(r.params.szKeys[r.params.nKeyCount++], key);
    return "get_status.cgi";
}

std::string CUpgradeHandle::BuildWebUiUpload() {
    CgiRequest& r = ResetSlot(kSlotWebUi, 3, 5);
    if (m_Task.szWebUiFile[0] != '\0')
        PutField(r.params.szFilePath, CodePage::FieldToWide(m_Task.szWebUiFile, 512));
    return "upgrade_htmls.cgi";
}

std::string CUpgradeHandle::BuildSystemUpload() {
    CgiRequest& r = ResetSlot(kSlotSystem, 3, 5);
    if (m_Task.szSystemFile[0] != '\0')
        PutField(r.params.szFilePath, CodePage::FieldToWide(m_Task.szSystemFile, 512));
    return "upgrade_firmware.cgi";
}

std::string CUpgradeHandle::BuildAutoDownload() {
    ResetSlot(kSlotAutoDownload, 1, 50);
    // The port is always 80, whatever the server's document names.
    return "auto_download_file.cgi?server=" + Oem(DownloadServer()) +
           "&port=80&file=" + Oem(DownloadFile()) + "&type=0";
}

std::string CUpgradeHandle::BuildFirmwareQuery(char* buffer, int bufferSize) {
    CgiRequest& r = ResetSlot(kSlotFirmware, 8, 5);
    r.params.nSaveMode = 1;
    r.params.pBuffer = buffer;
    r.params.nBufferSize = bufferSize;
    return "firmware/" + Oem(FieldText(m_Task.szVersion)) + "/cn";
}

std::string CUpgradeHandle::BuildSetDeviceId() {
    ResetSlot(kSlotDeviceId, 1, 5);
    return "set_factory_param.cgi?deviceid=" +
           CameraQuery::EscapeValue(Oem(FieldText(Login().szDeviceId)));
}

platform::DWORD CUpgradeHandle::ThreadUpgrade(CUpgradeHandle* handle) {
    if (handle) {
        if (handle->m_nTaskType == 1) {
            handle->ProcessUpgrade();
        } else if (handle->m_nTaskType == 2) {
            handle->ProcessSetDeviceId();
        }
        TraceMsg("\r\n---break ProcessUpgrade---");
    }
    TraceMsg("\r\n---exit ThreadUpgrade---");
    return 0;
}

void CUpgradeHandle::ProcessSetDeviceId() {
    CgiRequest& request = m_Requests[kSlotDeviceId];
    const std::string command = BuildSetDeviceId();
    RunCgiRequest(request, command, true);
    const int result = request.params.nResult;
    const int code = result == 0 ? 0 : (result == 3 ? 3 : 1);
    TaskResultProc callback = m_pfnTaskResult;
    void* user = m_pResultUser;
    if (callback && user) callback(code, user);
}

int CUpgradeHandle::ReadDeviceStatus() {
    CgiRequest& request = m_Requests[kSlotStatus];
    const std::string command = BuildStatusRequest();
    RunCgiRequest(request, command, false);
    if (request.params.nResult == 0) m_results.StoreStatus(m_arrValues);
    return request.params.nResult;
}

BOOL CUpgradeHandle::QueryLatestFirmware() {
    char reply[kFirmwareReplySize] = {};
    CgiRequest& request = m_Requests[kSlotFirmware];
    // The reply keeps its terminating zero: at most 511 bytes are taken.
    const std::string command = BuildFirmwareQuery(reply, kFirmwareReplySize - 1);
    RunCgiRequest(request, command, false);
    if (request.params.nResult != 0) return FALSE;
    std::wstring name, server, file;
    if (!CJsonHandle().ParseFirmwareInfo(CodePage::AnsiToWide(reply), name, server, file))
        return FALSE;
    m_results.StoreFirmware(name, server, file);
    return TRUE;
}

BOOL CUpgradeHandle::UpgradeSystemFirmware(int systemMode) {
    StartPhase(kStatusSystemUpgrading);
    CgiRequest* request = nullptr;
    if (systemMode == 2) {
        request = &m_Requests[kSlotAutoDownload];
        const std::string command = BuildAutoDownload();
        RunCgiRequest(*request, command, true);
    } else if (systemMode == 1) {
        request = &m_Requests[kSlotSystem];
        const std::string command = BuildSystemUpload();
        RunCgiRequest(*request, command, false);
    } else {
        SetStatus(kStatusSystemFailed);
        return FALSE;
    }
    if (request->params.nResult == 0) {
        StartPhase(kStatusSystemRebooting);
        WaitWithStop(45000);
        return TRUE;
    }
    SetStatus(kStatusSystemFailed);
    return FALSE;
}

BOOL CUpgradeHandle::UpgradeWebUiFirmware() {
    StartPhase(kStatusWebUiUploading);
    CgiRequest& request = m_Requests[kSlotWebUi];
    const std::string command = BuildWebUiUpload();
    RunCgiRequest(request, command, false);
    if (request.params.nResult == 0) {
        StartPhase(kStatusWebUiRebooting);
        WaitWithStop(50000);
        return TRUE;
    }
    SetStatus(kStatusWebUiFailed);
    return FALSE;
}

int CUpgradeHandle::WaitDeviceRestart() {
    const DWORD start = Clock::TickCount();
    m_results.ClearStatus();
    if (m_bStop != 0) return -1;
    for (;;) {
        const DWORD attempt = Clock::TickCount();
        const int result = ReadDeviceStatus();
        if (result == 0) return 0;
        if (static_cast<DWORD>(Clock::TickCount() - start) >= kRestartLimitMs || m_bStop != 0) {
            return result;
        }
        // A camera that refuses at once is asked at most once a second, not hammered.
        const DWORD spent = Clock::TickCount() - attempt;
        if (spent < static_cast<DWORD>(kRestartAttemptPaceMs)) {
            WaitWithStop(kRestartAttemptPaceMs - static_cast<int>(spent));
        }
    }
}

void CUpgradeHandle::ProcessUpgrade() {
    m_results.ClearAll();
    StartPhase(kStatusStarting);
    WaitWithStop(1000);
    const int status = ReadDeviceStatus();
    if (status != 0) {
        SetStatus(status);
        return;
    }
    if (m_Task.nCheckMode == 2) {
        StartPhase(kStatusConnected);
        WaitWithStop(2000);
        StartPhase(kStatusCurrentVersion);
        WaitWithStop(2000);
        m_Lock.Lock();
        m_nElapsed = 0;
        m_Lock.Unlock();
        if (!QueryLatestFirmware()) {
            SetStatus(kStatusServerFailed);
            return;
        }
        SetStatus(kStatusLatestVersion);
        WaitWithStop(2000);
        ConfirmUpgradeProc confirm = m_pfnConfirmUpgrade;
        void* user = m_pConfirmUser;
        if (SysVer() == LatestName() && confirm && user && confirm(user) != 0) {
            StartPhase(kStatusDeclined);
            WaitWithStop(1000);
            return;
        }
    }
    const BOOL systemOk = m_Task.bUpgradeSystem ? UpgradeSystemFirmware(m_Task.nSystemMode) : FALSE;
    const BOOL webOk = m_Task.bUpgradeWebUi ? UpgradeWebUiFirmware() : FALSE;
    if (!systemOk && !webOk) return;
    const int restart = WaitDeviceRestart();
    SetStatus(restart == 0 ? kStatusComplete : restart);
}

}  // namespace orvex
