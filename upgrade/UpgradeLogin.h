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

}  // namespace orvex
