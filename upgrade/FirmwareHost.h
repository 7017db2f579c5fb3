#pragma once
#include <string>

namespace orvex {

// The firmware server's host name: ORVEX_FIRMWARE_HOST when set, else the built-in one.
// It is reached over http on port 808.
constexpr const char* kDefaultFirmwareHost = "firmware.orvex.net";
constexpr int kFirmwarePort = 808;
std::string FirmwareHost();

}  // namespace orvex
