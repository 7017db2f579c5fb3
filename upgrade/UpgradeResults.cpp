#include "upgrade/UpgradeResults.h"

#include "platform/TextUtil.h"

namespace orvex {

void UpgradeResults::ClearAll() {
    ClearStatus();
    std::lock_guard<std::mutex> guard(m_lock);
    m_strLatestName.clear();
    m_strDownloadServer.clear();
    m_strDownloadFile.clear();
}

void UpgradeResults::ClearStatus() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_strSysVer.clear();
    m_strAppVersion.clear();
    m_strParamsMd5.clear();
    m_strOemId.clear();
}

void UpgradeResults::StoreStatus(const std::vector<std::wstring>& values) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::wstring* targets[] = {&m_strSysVer, &m_strAppVersion, &m_strParamsMd5, &m_strOemId};
    for (std::size_t i = 0; i < 4; ++i)
        *targets[i] = i < values.size() ? platform::Trim(values[i]) : L"";
}

void UpgradeResults::StoreFirmware(const std::wstring& name, const std::wstring& server,
                                   const std::wstring& file) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_strLatestName = name;
    m_strDownloadServer = server;
    m_strDownloadFile = file;
}

std::wstring UpgradeResults::SysVer() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strSysVer;
}

std::wstring UpgradeResults::LatestName() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strLatestName;
}

std::wstring UpgradeResults::DownloadServer() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strDownloadServer;
}

std::wstring UpgradeResults::DownloadFile() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_strDownloadFile;
}

}  // namespace orvex
