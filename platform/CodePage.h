#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// Conversions between 8-bit text and wide text. The "ANSI" and "OEM" code pages of the
// original design are both the locale's character set (plain ASCII, the C locale, is
// taken as UTF-8); tests may switch it, for example to GBK. Thread-safe.
class CodePage {
public:
    static std::wstring AnsiToWide(std::string_view text);
    static std::string WideToOem(std::wstring_view text);
    static std::wstring Utf8ToWide(std::string_view text);
    static std::string WideToUtf8(std::wstring_view text);

    // Reads a zero-terminated field of `width` bytes (it may fill the field without a zero).
    static std::wstring FieldToWide(const char* field, std::size_t width);
    static std::wstring Utf8FieldToWide(const char* field, std::size_t width);
    // Zero-fills the field and writes the text in the OEM code page, cut at a character
    // boundary so that its terminating zero always fits. Returns the bytes written.
    static std::size_t WriteField(char* field, std::size_t width, std::wstring_view text);
    // Encodes at most `maxBytes` bytes, never splitting a character.
    static std::string WideToOem(std::wstring_view text, std::size_t maxBytes);

    // The character set in use; an empty name returns to the locale's.
    static void SetCharset(const std::string& name);
    static std::string Charset();
};

}  // namespace platform
