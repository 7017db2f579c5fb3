#include "upgrade/UpgradeStatusText.h"

#include <cwchar>

#include "platform/LocalTime.h"
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
        case kStatusWebUiUploading: *out = {WithCounter(170, n, language), true}; return true;
        case kStatusWebUiRebooting: *out = {WithCounter(171, n, language), true}; return true;
        case kStatusSystemUpgrading: *out = {WithCounter(173, n, language), true}; return true;
        case kStatusSystemRebooting: *out = {WithCounter(174, n, language), true}; return true;
        case 3: *out = {LoadStringText(124, language), false}; return true;
        case 7:
        case 9: *out = {LoadStringText(169, language), false}; return true;
        case kStatusWebUiFailed: *out = {LoadStringText(172, language), false}; return true;
        case kStatusSystemFailed: *out = {LoadStringText(175, language), false}; return true;
        case kStatusComplete: *out = {LoadStringText(176, language), false}; return true;
        default: return false;
    }
}

StatusText OtherError(int status, int language) {
    return {LoadStringText(177, language) + L" = " + std::to_wstring(status), false};
}

}  // namespace

StatusText SmartStatusText(int status, int n, const std::wstring& sysVer,
                           const std::wstring& latestName, int language) {
    StatusText out;
    if (CommonText(status, n, language, &out)) return out;
    switch (status) {
        case kStatusStarting: return {LoadStringText(188, language), true};
        case kStatusConnected: return {LoadStringText(184, language), true};
        case kStatusCurrentVersion: return {LoadStringText(185, language) + L" " + sysVer, true};
        case kStatusLatestVersion: return {LoadStringText(186, language) + L" " + latestName, true};
        case kStatusDeclined: return {LoadStringText(189, language), false};
        case kStatusServerFailed: return {LoadStringText(187, language), false};
        default: return OtherError(status, language);
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
