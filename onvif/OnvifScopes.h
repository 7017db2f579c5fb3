#pragma once
#include <string>
#include <vector>

namespace orvex {

// What an ONVIF camera's discovery scopes say of it: "onvif://www.onvif.org/name/Gate%20North"
// and the like, percent-decoded. A scope named twice: the first one counts.
struct OnvifScopes {
    std::string name;
    std::string hardware;
    std::string location;
    std::string mac;  // from a MacAddress scope, as the camera wrote it

    static OnvifScopes Read(const std::vector<std::string>& scopes);
    // %XX sequences as bytes; a malformed one is left as it stands.
    static std::string PercentDecoded(const std::string& text);
};

}  // namespace orvex
