#pragma once
#include <cstddef>
#include <string_view>

namespace orvex {

// The header of an HTTP reply as the CGI client reads it: the status line, where the
// header ends, and how the body is framed. Header names are matched without regard to
// case; a line may end in CR LF or LF alone.
struct HttpHead {
    int status = 0;                // 100..999; 0 while unknown
    std::size_t headerLength = 0;  // bytes through the empty line; 0 while incomplete
    long long contentLength = -1;  // -1 when the reply names none
    bool chunked = false;          // Transfer-Encoding ends in "chunked"
    bool malformed = false;        // no status line, or a bad or conflicting Content-Length

    bool Complete() const { return headerLength > 0; }
    bool Success() const { return status >= 200 && status <= 299; }
    // True when the reply has no body whatever its header says (1xx, 204, 304).
    bool Bodyless() const { return status < 200 || status == 204 || status == 304; }

    // Parses the header at the start of `data`; only `headerLength` tells whether the
    // empty line has arrived. Never reads past `data`.
    static HttpHead Parse(std::string_view data);
};

}  // namespace orvex
