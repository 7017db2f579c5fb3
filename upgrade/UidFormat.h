#pragma once
#include <string>

namespace orvex {

// Checks a UID typed for the set-UID function: trimmed, a..z made upper case, then
// exactly 22 characters: 15, a comma, 6, with no blank beside the comma. Returns 0 and
// the text to send, 196 (empty) or 197 (wrong format): the id of the message to show.
int CheckUid(const std::wstring& typed, std::wstring* accepted);

}  // namespace orvex
