#pragma once
#include <string>

namespace orvex {

// A device service URL as a camera names it: "http://host[:port]/path".
struct XAddr {
    std::string host;
    int port = 80;
    std::string path = "/";
    bool valid = false;

    static XAddr Parse(const std::string& url);
};

}  // namespace orvex
