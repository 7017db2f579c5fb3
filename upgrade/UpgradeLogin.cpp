#include "upgrade/UpgradeLogin.h"

#include <cstring>

#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

using platform::CodePage;

template <std::size_t N>
void PutIfNotEmpty(char (&field)[N], const std::wstring& text) {
    if (!text.empty()) CodePage::WriteField(field, N, text);
}

CameraLogin BaseLogin(const DeviceRecord& device, const std::wstring& user,
                      const std::wstring& password) {
    CameraLogin login;
    std::memset(&login, 0, sizeof(login));
    PutIfNotEmpty(login.szHost, CodePage::FieldToWide(device.szIp, sizeof(device.szIp)));
    login.nPort = device.wPort;
    PutIfNotEmpty(login.szUser, user);
    PutIfNotEmpty(login.szPassword, password);
    return login;
}

}  // namespace

CameraLogin UpgradeLoginFor(const DeviceRecord& device, const std::wstring& user,
                            const std::wstring& password) {
    CameraLogin login = BaseLogin(device, user, password);
    login.nNetMode = device.byNetMode;
    PutIfNotEmpty(login.szDeviceId,
                  CodePage::FieldToWide(device.szDeviceId, sizeof(device.szDeviceId)));
    PutIfNotEmpty(login.szMac, platform::Widen(platform::Trim(MacText(device))));
    return login;
}

CameraLogin SetUidLoginFor(const DeviceRecord& device, const std::wstring& user,
                           const std::wstring& password, const std::wstring& newUid) {
    CameraLogin login = BaseLogin(device, user, password);
    PutIfNotEmpty(login.szDeviceId, newUid);
    return login;
}

bool FirmwarePathFits(const std::wstring& path) {
    return platform::CodePage::WideToOem(path).size() < sizeof(CgiCmdParam::szFilePath);
}

}  // namespace orvex
