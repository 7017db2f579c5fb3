#include "platform/TextUtil.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace platform {
namespace {

template <typename Char>
std::basic_string<Char> TrimText(std::basic_string_view<Char> text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsBlank(static_cast<wchar_t>(text[begin]))) ++begin;
    while (end > begin && IsBlank(static_cast<wchar_t>(text[end - 1]))) --end;
    return std::basic_string<Char>(text.substr(begin, end - begin));
}

template <typename Char>
int LeadingIntOf(std::basic_string_view<Char> text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(static_cast<wchar_t>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

}  // namespace

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring Trim(std::wstring_view text) { return TrimText(text); }
std::string Trim(std::string_view text) { return TrimText(text); }
int LeadingInt(std::wstring_view text) { return LeadingIntOf(text); }
int LeadingInt(std::string_view text) { return LeadingIntOf(text); }

std::wstring Widen(std::string_view ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::string FieldString(const char* field, std::size_t width) {
    return std::string(field, strnlen(field, width));
}

void PutFieldString(char* field, std::size_t width, std::string_view text) {
    if (width == 0) return;
    std::memset(field, 0, width);
    std::memcpy(field, text.data(), std::min(text.size(), width - 1));
}

}  // namespace platform
