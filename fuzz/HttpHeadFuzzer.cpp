// Reply headers and chunked bodies of any shape: the header ends inside the text, a
// length is never negative, and a chunked body never decodes to more than it was sent.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "cgi/ChunkedBody.h"
#include "cgi/CgiSock.h"
#include "cgi/HttpHead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const orvex::HttpHead head = orvex::HttpHead::Parse(text);
    if (head.headerLength > size) std::abort();
    if (head.contentLength < -1) std::abort();
    if (head.Complete() && !head.malformed && (head.status < 100 || head.status > 999)) std::abort();

    // The rest as a chunked body, fed in two pieces.
    const std::string_view body = text.substr(head.headerLength);
    orvex::ChunkedBody chunks;
    std::size_t decoded = 0;
    const auto sink = [&](const char*, std::size_t n) {
        decoded += n;
        return true;
    };
    const std::size_t half = body.size() / 2;
    if (chunks.Feed(body.data(), half, sink) == orvex::ChunkedBody::State::kMore) {
        chunks.Feed(body.data() + half, body.size() - half, sink);
    }
    if (decoded > body.size()) std::abort();

    // The transport's own reading of the same text.
    static orvex::CCgiSock sock;
    sock.m_strRecv.assign(text);
    int headLen = 0;
    int contentLen = 0;
    sock.ParseHttpHead(headLen, contentLen);
    if (headLen < 0 || static_cast<std::size_t>(headLen) > size || contentLen < 0) std::abort();
    return 0;
}
