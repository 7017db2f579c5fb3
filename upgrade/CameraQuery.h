#pragma once
#include <string>

#include "upgrade/UpgradeRecords.h"

namespace orvex {

// The URLs of the engine's requests: the camera's base, the command, and the login as
// the query the cameras take ("user=%s&pwd=%s&loginuse=%s&loginpas=%s").
class CameraQuery {
public:
    // The firmware server's base for kind 8 (no login), the camera's otherwise.
    static std::string BuildUrl(const CameraLogin& login, int kind, const std::string& command,
                                bool hasQuery);
    // A value as it may stand in a query: every character that would change the request
    // (space, & # % + = ?, control characters, bytes 0x80 and above) as %XX; every other
    // character as it is, so an ordinary password goes out byte for byte.
    static std::string EscapeValue(const std::string& value);
};

}  // namespace orvex
