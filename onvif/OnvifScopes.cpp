#include "onvif/OnvifScopes.h"

#include <cctype>

namespace orvex {
namespace {

constexpr const char* kPrefix = "onvif://www.onvif.org/";

int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

}  // namespace

std::string OnvifScopes::PercentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && Hex(text[i + 1]) >= 0 && Hex(text[i + 2]) >= 0) {
            out += static_cast<char>(Hex(text[i + 1]) * 16 + Hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

OnvifScopes OnvifScopes::Read(const std::vector<std::string>& scopes) {
    OnvifScopes read;
    const std::string prefix = kPrefix;
    for (const std::string& scope : scopes) {
        if (scope.compare(0, prefix.size(), prefix) != 0) continue;
        const std::string rest = scope.substr(prefix.size());
        const auto slash = rest.find('/');
        if (slash == std::string::npos) continue;
        const std::string key = rest.substr(0, slash);
        std::string* field = key == "name"                                ? &read.name
                             : key == "hardware"                          ? &read.hardware
                             : key == "location"                          ? &read.location
                             : key == "MacAddress" || key == "macaddress" ? &read.mac
                                                                          : nullptr;
        if (field && field->empty()) *field = PercentDecoded(rest.substr(slash + 1));
    }
    return read;
}

}  // namespace orvex
