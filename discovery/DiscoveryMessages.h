#pragma once
#include "platform/Types.h"

namespace orvex {

// Thread messages of the search scheduler.
constexpr platform::UINT kMsgSearchNow = 2025;   // 0, 0
constexpr platform::UINT kMsgSendSetRequest = 2028;  // heap DeviceRecord*, 0
// Window messages of the main window.
constexpr platform::UINT kMsgSweepCameras = 2026;  // 0, 0
constexpr platform::UINT kMsgDiscovery = 2027;     // 4 + heap DeviceRecord*, set result + heap block, or 1/2

constexpr platform::WPARAM kSearchBindFailed = 1;
constexpr platform::WPARAM kSendFailed = 2;

}  // namespace orvex
