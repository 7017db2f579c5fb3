#pragma once
#include <string>

namespace camsim {

// What the virtual cameras were asked, one line each, for tests and demos that run
// orvex-camsim as a process of its own: "set MAC" for each set request, "web IP:PORT PATH"
// for each web request (the path without its query, which carries the login). Nothing is
// written until Open. Thread-safe.
class EventLog {
public:
    // Appends to `path` from now on; false when it cannot be opened.
    static bool Open(const std::string& path);
    static void Write(const std::string& line);
};

}  // namespace camsim
