#include "platform/CodePage.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

namespace platform {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;
constexpr char kUnmappable = '?';

std::mutex g_charsetLock;
std::string g_charset;  // empty: the locale's

std::string LocaleCharset() {
    std::string name = nl_langinfo(CODESET);
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII") return "UTF-8";
    return name;
}

// iconv descriptors of this thread, by (from, to).
class Converters {
public:
    ~Converters() {
        for (auto& entry : m_open) iconv_close(entry.second);
    }
    iconv_t Get(const std::string& from, const std::string& to) {
        auto key = std::make_pair(from, to);
        auto it = m_open.find(key);
        if (it != m_open.end()) {
            iconv(it->second, nullptr, nullptr, nullptr, nullptr);
            return it->second;
        }
        iconv_t cd = iconv_open(to.c_str(), from.c_str());
        if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
        m_open.emplace(key, cd);
        return cd;
    }

private:
    std::map<std::pair<std::string, std::string>, iconv_t> m_open;
};

thread_local Converters t_converters;

std::wstring Decode(std::string_view text, const std::string& charset) {
    std::wstring out;
    iconv_t cd = t_converters.Get(charset, "WCHAR_T");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (unsigned char c : text) out.push_back(c < 0x80 ? c : kReplacement);
        return out;
    }
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    wchar_t chunk[256];
    while (inLeft > 0) {
        char* outPtr = reinterpret_cast<char*>(chunk);
        std::size_t outLeft = sizeof(chunk);
        const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(chunk, (sizeof(chunk) - outLeft) / sizeof(wchar_t));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut sequence: one replacement character per bad byte.
            out.push_back(kReplacement);
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

std::string Encode(std::wstring_view text, const std::string& charset, std::size_t maxBytes) {
    std::string out;
    iconv_t cd = t_converters.Get("WCHAR_T", charset);
    for (wchar_t wc : text) {
        char bytes[16];
        std::size_t produced = 0;
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            char* in = reinterpret_cast<char*>(&wc);
            std::size_t inLeft = sizeof(wc);
            char* outPtr = bytes;
            std::size_t outLeft = sizeof(bytes);
            if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) {
                produced = sizeof(bytes) - outLeft;
            }
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
        if (produced == 0) {
            bytes[0] = (wc >= 0 && wc < 0x80) ? static_cast<char>(wc) : kUnmappable;
            produced = 1;
        }
        if (out.size() + produced > maxBytes) break;
        out.append(bytes, produced);
    }
    return out;
}

}  // namespace

void CodePage::SetCharset(const std::string& name) {
    std::lock_guard<std::mutex> guard(g_charsetLock);
    g_charset = name;
}

std::string CodePage::Charset() {
    {
        std::lock_guard<std::mutex> guard(g_charsetLock);
        if (!g_charset.empty()) return g_charset;
    }
    return LocaleCharset();
}

std::wstring CodePage::AnsiToWide(std::string_view text) { return Decode(text, Charset()); }

std::string CodePage::WideToOem(std::wstring_view text) {
    return Encode(text, Charset(), std::string::npos);
}

std::string CodePage::WideToOem(std::wstring_view text, std::size_t maxBytes) {
    return Encode(text, Charset(), maxBytes);
}

std::wstring CodePage::Utf8ToWide(std::string_view text) { return Decode(text, "UTF-8"); }

std::string CodePage::WideToUtf8(std::wstring_view text) {
    return Encode(text, "UTF-8", std::string::npos);
}

std::wstring CodePage::FieldToWide(const char* field, std::size_t width) {
    return AnsiToWide(std::string_view(field, strnlen(field, width)));
}

std::wstring CodePage::Utf8FieldToWide(const char* field, std::size_t width) {
    return Utf8ToWide(std::string_view(field, strnlen(field, width)));
}

std::size_t CodePage::WriteField(char* field, std::size_t width, std::wstring_view text) {
    if (width == 0) return 0;
    std::memset(field, 0, width);
    const std::string bytes = WideToOem(text, width - 1);
    std::memcpy(field, bytes.data(), bytes.size());
    return bytes.size();
}

}  // namespace platform
