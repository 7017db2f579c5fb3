#pragma once
#include <cstdint>
#include <string>

namespace orvex {

// Times as the journal and its options write them (ISO 8601): "2026-12-10",
// "2026-12-10T10:18", "2026-12-10T10:18:33Z", "2026-12-10T11:18:33+01:00"; a time without
// a zone is UTC. Seconds since the epoch.
class IsoTime {
public:
    // False when `text` is not one of those forms (or not a real date and time).
    static bool Parse(const std::string& text, std::int64_t* seconds);
    // Whether `text` names a whole day (a date alone).
    static bool IsDate(const std::string& text);
};

}  // namespace orvex
