#pragma once
#include <string>

namespace camsim {

// GET http://host:port/path with a plain HTTP/1.0 request; the body of a 200 reply.
bool FetchFile(const std::string& host, int port, const std::string& path, std::string* body);

}  // namespace camsim
