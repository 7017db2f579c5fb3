#pragma once
#include <mutex>
#include <string>
#include <vector>

namespace orvex {

// What a run has read: the camera's status values and the firmware server's answer.
// Thread safety: written by the engine's worker, read by the tick; every call locks.
class UpgradeResults {
public:
    // Forgets everything (ClearAll) or the status values only (ClearStatus).
    void ClearAll();
    void ClearStatus();
    // sys_ver, app_version, params_md5, oem_id in that order, trimmed; missing ones empty.
    void StoreStatus(const std::vector<std::wstring>& values);
    void StoreFirmware(const std::wstring& name, const std::wstring& server,
                       const std::wstring& file);

    std::wstring SysVer() const;
    std::wstring LatestName() const;
    std::wstring DownloadServer() const;
    std::wstring DownloadFile() const;

private:
    mutable std::mutex m_lock;
    std::wstring m_strSysVer, m_strAppVersion, m_strParamsMd5, m_strOemId;
    std::wstring m_strLatestName, m_strDownloadServer, m_strDownloadFile;
};

}  // namespace orvex
