#pragma once
#include <cstddef>
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

// The text of a zero-terminated field of `width` bytes (it may fill the field).
std::string FieldString(const char* field, std::size_t width);
// Zero-fills the field and copies 8-bit text into it, cut so that its zero fits.
void PutFieldString(char* field, std::size_t width, std::string_view text);
template <std::size_t N>
std::string FieldString(const char (&field)[N]) {
    return FieldString(field, N);
}
template <std::size_t N>
void PutFieldString(char (&field)[N], std::string_view text) {
    PutFieldString(field, N, text);
}

}  // namespace platform
