// Reply headers of any shape: header length and Content-Length stay within the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cgi/CgiSock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static orvex::CCgiSock sock;
    sock.m_strRecv.assign(reinterpret_cast<const char*>(data), size);
    int headLen = 0;
    int contentLen = 0;
    sock.ParseHttpHead(headLen, contentLen);
    if (headLen < 0 || static_cast<std::size_t>(headLen) > size) std::abort();
    return 0;
}
