#include "upgrade/UpgradeStatusText.h"

#include <cwchar>

#include "platform/LocalTime.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {
namespace {

std::wstring WithCounter(int id, int n, int language) {
    return LoadStringText(id, language) + std::to_wstring(n);
}

// The texts both dialogs share; false when the status is not one of them.
bool CommonText(int status, int n, int language, StatusText* out) {
    switch (status) {
        case kStatusWebUiUploading:
            *out = {WithCounter(IDS_WEBUI_UPLOADING, n, language), true};
            return true;
        case kStatusWebUiRebooting:
            *out = {WithCounter(IDS_WEBUI_REBOOTING, n, language), true};
            return true;
        case kStatusSystemUpgrading:
            *out = {WithCounter(IDS_SYSTEM_UPGRADING, n, language), true};
            return true;
        case kStatusSystemRebooting:
            *out = {WithCounter(IDS_SYSTEM_REBOOTING, n, language), true};
            return true;
        case 3:
            *out = {LoadStringText(IDS_BAD_LOGIN, language), false};
            return true;
        case 7:
        case 9:
            *out = {LoadStringText(IDS_CANNOT_CONNECT, language), false};
            return true;
        case kStatusWebUiFailed:
            *out = {LoadStringText(IDS_WEBUI_FAILED, language), false};
            return true;
        case kStatusSystemFailed:
            *out = {LoadStringText(IDS_SYSTEM_FAILED, language), false};
            return true;
        case kStatusComplete:
            *out = {LoadStringText(IDS_UPGRADE_COMPLETE, language), false};
            return true;
        default:
            return false;
    }
}

StatusText OtherError(int status, int language) {
    return {LoadStringText(IDS_OTHER_ERROR, language) + L" = " + std::to_wstring(status), false};
}

}  // namespace

StatusText SmartStatusText(int status, int n, const std::wstring& sysVer,
                           const std::wstring& latestName, int language) {
    StatusText out;
    if (CommonText(status, n, language, &out)) return out;
    switch (status) {
        case kStatusStarting:
            return {LoadStringText(IDS_BEGIN_UPGRADE, language), true};
        case kStatusConnected:
            return {LoadStringText(IDS_DEVICE_CONNECTED, language), true};
        case kStatusCurrentVersion:
            return {LoadStringText(IDS_CURRENT_VERSION, language) + L" " + sysVer, true};
        case kStatusLatestVersion:
            return {LoadStringText(IDS_LATEST_VERSION, language) + L" " + latestName, true};
        case kStatusDeclined:
            return {LoadStringText(IDS_UPGRADE_CANCELLED, language), false};
        case kStatusServerFailed:
            return {LoadStringText(IDS_LATEST_VERSION_FAILED, language), false};
        default:
            return OtherError(status, language);
    }
}

StatusText ManualStatusText(int status, int n, int language) {
    StatusText out;
    if (CommonText(status, n, language, &out)) return out;
    if (status == kStatusStarting) return {L"", true};
    return OtherError(status, language);
}

std::wstring LogTimePrefix() {
    const platform::LocalTime t = platform::LocalTime::Now();
    wchar_t text[64];
    std::swprintf(text, 64, L"%02d-%02d-%02d %02d:%02d:%02d:", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return text;
}

}  // namespace orvex
