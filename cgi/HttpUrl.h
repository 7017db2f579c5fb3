#pragma once
#include <string>

namespace orvex {

// Splits the absolute URLs the client is given: "http://host[:port]/path".
class HttpUrl {
public:
    // The host is 1..19 characters; the port is 80 without one, else its leading digits
    // (none gives 0) and at most 65535; the path runs from the first "/" after the
    // host, query included, and holds no control character. False when it cannot split.
    static bool Split(const std::string& url, std::string& path, std::string& host, int& port);
};

}  // namespace orvex
