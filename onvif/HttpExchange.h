#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace orvex {

// One HTTP request with headers and a body and its whole reply, on the project's own
// socket and reply reader (cgi/): what SOAP calls and Digest authentication need beyond
// the camera CGI client (a POST with headers of its own, the reply's header text).
class HttpExchange {
public:
    struct Reply {
        int code = 0;          // 0, or a transport code as the CGI client's (7 no connection ...)
        int status = 0;        // the HTTP status
        std::string head;      // the reply's header text
        std::string body;
    };
    static constexpr std::size_t kMaxBody = 1024 * 1024;  // a larger reply is refused (14)

    // Sends `method` `path` to host:port with `headers` ("Name: value" each) and `body`.
    static Reply Send(const std::string& host, int port, const std::string& method,
                      const std::string& path, const std::vector<std::string>& headers,
                      const std::string& body, int timeoutSeconds);
};

}  // namespace orvex
