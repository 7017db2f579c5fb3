#pragma once
#include <cstdint>

namespace orvex {

// Appends to BugLog.txt beside the executable: an optional "<YYYY-MM-DD hh:mm:ss>:" prefix,
// the text (at most 1024 bytes) and an optional CR LF. Returns false only for a missing or
// empty text; a file that cannot be opened loses the record silently.
bool WriteBugLog(const char* text, bool timePrefix, bool lineEnd);

// Readable name of a platform fault code ("Unknown eception" for codes not listed).
const char* GetExceptionName(std::uint32_t code);

}  // namespace orvex
