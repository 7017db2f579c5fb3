#include "fleet/CameraName.h"

#include <cstdio>

#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {

using platform::CodePage;

bool CameraName::IsUtf8(const std::string& bytes) {
    return CodePage::WideToUtf8(CodePage::Utf8ToWide(bytes)) == bytes;
}

std::string CameraName::Readable(const std::string& bytes) {
    return CodePage::WideToUtf8(CodePage::Utf8ToWide(bytes));
}

std::string CameraName::HexUnlessUtf8(const std::string& bytes) {
    if (IsUtf8(bytes)) return "";
    std::string hex;
    for (unsigned char c : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof(pair), "%02x", c);
        hex += pair;
    }
    return hex;
}

bool CameraName::FromHex(const std::string& hex, std::string* bytes) {
    if (hex.size() % 2 != 0) return false;
    const auto digit = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    bytes->clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = digit(hex[i]), low = digit(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        *bytes += static_cast<char>(high * 16 + low);
    }
    return true;
}

std::string CameraName::WhyNotSendable(const std::string& bytes) {
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F) {
            char text[64];
            std::snprintf(text, sizeof(text), "the name holds a control character (0x%02X)", c);
            return text;
        }
    }
    if (platform::Trim(bytes) != bytes)
        return "the name starts or ends with white space, which the camera's search reply drops";
    if (bytes.size() > kMaxBytes) return "the name is longer than the camera's 79 bytes";
    return "";
}

}  // namespace orvex
