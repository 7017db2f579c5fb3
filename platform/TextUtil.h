#pragma once
#include <string>
#include <string_view>

namespace platform {

// White space as the original runtime knew it: blank, tab, CR, LF, VT, FF.
bool IsBlank(wchar_t c);
std::wstring Trim(std::wstring_view text);
std::string Trim(std::string_view text);
// Reads an optional sign and the digits that follow (after leading blanks); 0 when
// there are none. Values beyond the int range are clamped.
int LeadingInt(std::wstring_view text);
int LeadingInt(std::string_view text);
std::wstring Widen(std::string_view ascii);

}  // namespace platform
