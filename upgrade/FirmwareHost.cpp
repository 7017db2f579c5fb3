#include "upgrade/FirmwareHost.h"

#include <cstdlib>

namespace orvex {

std::string FirmwareHost() {
    const char* host = std::getenv("ORVEX_FIRMWARE_HOST");
    return host && *host ? host : kDefaultFirmwareHost;
}

}  // namespace orvex
