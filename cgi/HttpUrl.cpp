#include "cgi/HttpUrl.h"

namespace orvex {
namespace {

// A control character would end a request or header line early (a header of the URL's
// making), so neither the host nor the path may hold one.
bool HasControl(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

}  // namespace

bool HttpUrl::Split(const std::string& url, std::string& path, std::string& host, int& port) {
    // The scheme must be there; callers always put it first.
    if (url.find("http://") == std::string::npos) return false;
    const std::string rest = url.size() > 7 ? url.substr(7) : std::string();
    const auto slash = rest.find('/');
    if (slash == std::string::npos) return false;
    const std::string authority = rest.substr(0, slash);
    std::string hostText;
    int portValue = 80;
    const auto colon = authority.find(':');
    if (colon == std::string::npos) {
        if (authority.empty() || authority.size() > 19) return false;
        hostText = authority;
    } else {
        if (colon == 0 || colon >= 20) return false;
        hostText = authority.substr(0, colon);
        long value = 0;
        for (std::size_t i = colon + 1;
             i < authority.size() && authority[i] >= '0' && authority[i] <= '9'; ++i) {
            value = value * 10 + (authority[i] - '0');
            if (value > 65535) return false;  // would wrap into a different port
        }
        portValue = static_cast<int>(value);
    }
    std::string pathText = rest.substr(slash);
    if (HasControl(hostText) || HasControl(pathText)) return false;
    host = hostText;
    path = std::move(pathText);
    port = portValue;
    return true;
}

}  // namespace orvex
