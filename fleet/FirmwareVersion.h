#pragma once
#include <string>

namespace orvex {

// Firmware versions as cameras and the firmware server write them ("1.7.16.3"), compared
// field by field as numbers, so that 1.7.10 is newer than 1.7.9.
class FirmwareVersion {
public:
    // Below zero when `a` is older than `b`, zero when the same, above zero when newer.
    // A missing field counts as 0 (1.7 equals 1.7.0); a field that is not a number is
    // compared as text after the numbers' fields.
    static int Compare(const std::string& a, const std::string& b);
};

}  // namespace orvex
