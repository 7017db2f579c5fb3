#pragma once
#include <string>

namespace orvex {

class CUpgradeHandle;

// What a one-second tick shows for a status: the text, and whether the run goes on.
struct StatusText {
    std::wstring text;
    bool goesOn = false;
};

// The smart upgrade page's log text for a status (n: the phase counter).
StatusText SmartStatusText(int status, int n, const std::wstring& sysVer,
                           const std::wstring& latestName, int language);
// The manual upgrade dialog's status line.
StatusText ManualStatusText(int status, int n, int language);
// The log line's time prefix: "%04d-%02d-%02d %02d:%02d:%02d:" of the local time.
std::wstring LogTimePrefix();

}  // namespace orvex
