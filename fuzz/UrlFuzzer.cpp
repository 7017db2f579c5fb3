// URLs of any shape: a split URL has a host of 1..19 characters and a port up to 65535.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cgi/CgiSock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    std::string path;
    char host[100];
    int port = -1;
    if (orvex::CCgiSock::ParseUrl(url.c_str(), path, host, port)) {
        const std::size_t hostLen = strnlen(host, sizeof(host));
        if (hostLen < 1 || hostLen > 19) std::abort();
        if (port < 0 || port > 65535) std::abort();
        if (path.empty() || path[0] != '/') std::abort();
    }
    return 0;
}
