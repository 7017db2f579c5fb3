#include "upgrade/CameraQuery.h"

#include "platform/CodePage.h"
#include "upgrade/FirmwareHost.h"

namespace orvex {
namespace {

// An 8-bit field of the login as the cameras read it (the OEM code page).
template <std::size_t N>
std::string FieldText(const char (&field)[N]) {
    std::wstring text = platform::CodePage::FieldToWide(field, N);
    if (text.size() > 255) text.resize(255);
    return platform::CodePage::WideToOem(text);
}

bool NeedsEscape(unsigned char c) {
    return c <= 0x20 || c >= 0x7F || c == '&' || c == '#' || c == '%' || c == '+' || c == '=' ||
           c == '?';
}

}  // namespace

std::string CameraQuery::EscapeValue(const std::string& value) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(value.size());
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (!NeedsEscape(c)) {
            out.push_back(ch);
            continue;
        }
        out.push_back('%');
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 0x0F]);
    }
    return out;
}

std::string CameraQuery::BuildUrl(const CameraLogin& login, int kind, const std::string& command,
                                  bool hasQuery) {
    if (kind == 8)
        return "http://" + FirmwareHost() + ":" + std::to_string(kFirmwarePort) + "/" + command;
    const std::string host = FieldText(login.szHost);
    const std::string base = login.nPort == 80
                                 ? "http://" + host + "/"
                                 : "http://" + host + ":" + std::to_string(login.nPort) + "/";
    const std::string u = EscapeValue(FieldText(login.szUser));
    const std::string p = EscapeValue(FieldText(login.szPassword));
    return base + command + (hasQuery ? "&" : "?") + "user=" + u + "&pwd=" + p + "&loginuse=" + u +
           "&loginpas=" + p;
}

}  // namespace orvex
