#pragma once
#include <string>

#include "discovery/DeviceRecord.h"
#include "upgrade/UpgradeRecords.h"

namespace orvex {

// The login an upgrade run of this camera works from: its address, HTTP port, network
// mode, UID and MAC text, with the account and password the user gave. Texts are read
// with the ANSI code page and written with the OEM one; an empty text leaves its field
// zero.
CameraLogin UpgradeLoginFor(const DeviceRecord& device, const std::wstring& user,
                            const std::wstring& password);

// The login of the set-UID task: address, port, account, password and the new UID; the
// network mode and MAC stay zero.
CameraLogin SetUidLoginFor(const DeviceRecord& device, const std::wstring& user,
                           const std::wstring& password, const std::wstring& newUid);

// True when the firmware file's path fits the task's 256-byte file field in the system's
// encoding (255 bytes and the zero): a longer one would be cut and name another file.
bool FirmwarePathFits(const std::wstring& path);

}  // namespace orvex
