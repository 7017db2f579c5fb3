#include "onvif/XAddr.h"

#include <cstdlib>

namespace orvex {

XAddr XAddr::Parse(const std::string& url) {
    XAddr x;
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) return x;
    const std::string rest = url.substr(scheme.size());
    const auto slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    x.path = slash == std::string::npos ? "/" : rest.substr(slash);
    const auto colon = authority.rfind(':');
    x.host = authority.substr(0, colon);
    if (colon != std::string::npos) {
        char* end = nullptr;
        const long port = std::strtol(authority.c_str() + colon + 1, &end, 10);
        if (*end != '\0' || port < 1 || port > 65535) return x;
        x.port = static_cast<int>(port);
    }
    x.valid = !x.host.empty();
    return x;
}

}  // namespace orvex
