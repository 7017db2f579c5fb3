#pragma once
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "cgi/CgiOper.h"
#include "platform/Thread.h"
#include "upgrade/BaseCS.h"
#include "upgrade/UpgradeRecords.h"
#include "upgrade/UpgradeResults.h"

namespace orvex {

// Statuses of an upgrade run (any other value is the failed status read's code).
enum UpgradeStatus : int {
    kStatusStarting = -1,
    kStatusConnected = 10,
    kStatusDeclined = 28,
    kStatusCurrentVersion = 29,
    kStatusServerFailed = 30,
    kStatusLatestVersion = 31,
    kStatusWebUiUploading = 32,
    kStatusWebUiRebooting = 33,
    kStatusWebUiFailed = 34,
    kStatusSystemUpgrading = 35,
    kStatusSystemRebooting = 36,
    kStatusSystemFailed = 37,
    kStatusComplete = 38,
};

// Runs one camera task at a time on a worker thread: a firmware upgrade (task type 1) or
// the setting of a camera's UID (task type 2). Progress is published as a status and a
// phase counter that the owner's tick reads once a second.
// Thread safety: the owner fills the records and starts and stops the worker from its
// window thread; the tick thread reads the status, counts under m_Lock and may replace
// the login (SetLogin), which the worker reads whole under a lock of its own; callbacks
// run on the worker.
class CUpgradeHandle {
public:
    using ConfirmUpgradeProc = int (*)(void* pUser);
    using TaskResultProc = int (*)(int nCode, void* pUser);

    CUpgradeHandle();
    virtual ~CUpgradeHandle();
    CUpgradeHandle(const CUpgradeHandle&) = delete;
    CUpgradeHandle& operator=(const CUpgradeHandle&) = delete;

    // Clears the stop flag and starts the worker; FALSE when it cannot be created.
    BOOL InitUpgradeThread();
    // Sets the stop flag and joins the worker without a time limit.
    void ReleaseUpgradeThread();
    // Stop flag and transport abort; returns at once.
    void AbortUpgrade();
    void StopUpgrade();

    // Prepares a new task: zero login and task, status -1, abort flag cleared.
    void Prepare(int taskType, const CameraLogin& login, const UpgradeTask& task);
    void SetLogin(const CameraLogin& login);
    CameraLogin Login();
    int Status() const { return m_nStatus; }
    // Adds one second to the phase counter under m_Lock and returns the new value.
    int TickElapsed();
    int Elapsed();
    std::wstring SysVer() const { return m_results.SysVer(); }
    std::wstring LatestName() const { return m_results.LatestName(); }
    std::wstring DownloadServer() const { return m_results.DownloadServer(); }
    std::wstring DownloadFile() const { return m_results.DownloadFile(); }
    // The HTTP status of the last request that met an error status (code 15), else 0.
    int HttpErrorStatus() const { return m_nHttpErrorStatus; }
    CCgiOper& CgiOper() { return m_CgiOper; }

    // The URL of a request: the firmware server's base for kind 8, the camera's
    // otherwise, then the command, then the credentials (none for kind 8).
    static std::string BuildUrl(const CameraLogin& login, int kind, const std::string& command,
                                bool hasQuery);

    std::atomic<ConfirmUpgradeProc> m_pfnConfirmUpgrade{nullptr};
    std::atomic<void*> m_pConfirmUser{nullptr};
    std::atomic<int> m_nTaskType{1};
    std::atomic<TaskResultProc> m_pfnTaskResult{nullptr};
    std::atomic<void*> m_pResultUser{nullptr};
    UpgradeTask m_Task;
    CBaseCS m_Lock;  // guards m_nElapsed

private:
    static platform::DWORD ThreadUpgrade(CUpgradeHandle* handle);
    void ProcessUpgrade();
    void ProcessSetDeviceId();
    int ReadDeviceStatus();
    BOOL QueryLatestFirmware();
    BOOL UpgradeSystemFirmware(int systemMode);
    BOOL UpgradeWebUiFirmware();
    int WaitDeviceRestart();
    void WaitWithStop(int ms);
    void StartPhase(int status);
    void SetStatus(int status) { m_nStatus = status; }

    std::string BuildStatusRequest();
    std::string BuildWebUiUpload();
    std::string BuildSystemUpload();
    std::string BuildAutoDownload();
    std::string BuildFirmwareQuery(char* buffer, int bufferSize);
    std::string BuildSetDeviceId();
    CgiRequest& ResetSlot(int slot, int kind, int timeout);
    void RunCgiRequest(CgiRequest& request, const std::string& command, bool hasQuery);
    void ExecCgiRequest(CgiRequest& request);

    CameraLogin m_Login;
    std::mutex m_loginLock;
    CCgiOper m_CgiOper;
    std::atomic<int> m_nStatus{-1};
    int m_nElapsed = 0;
    std::unique_ptr<platform::Thread> m_hThread;
    std::atomic<int> m_bStop{0};
    std::vector<std::wstring> m_arrValues;
    UpgradeResults m_results;
    std::atomic<int> m_nHttpErrorStatus{0};
    std::unique_ptr<CgiRequest[]> m_Requests;
};

}  // namespace orvex
