#include "discovery/DeviceRecord.h"

#include <cstdio>
#include <cstring>

namespace orvex {

DeviceRecord::DeviceRecord() { std::memset(static_cast<void*>(this), 0, sizeof(*this)); }

std::uint8_t* PayloadBytes(DeviceRecord& record) {
    return reinterpret_cast<std::uint8_t*>(&record);
}

const std::uint8_t* PayloadBytes(const DeviceRecord& record) {
    return reinterpret_cast<const std::uint8_t*>(&record);
}

DeviceParams ParamsOf(const DeviceRecord& record) {
    DeviceParams params;
    std::memcpy(params.abyData, PayloadBytes(record), kParamsSize);
    return params;
}

std::string MacText(const DeviceRecord& record) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text(17, ':');
    for (std::size_t i = 0; i < 6; ++i) {
        text[i * 3] = kHex[record.abyMac[i] >> 4];
        text[i * 3 + 1] = kHex[record.abyMac[i] & 15];
    }
    return text;
}

bool ParseMacText(const std::string& text, std::uint8_t mac[6]) {
    if (text.size() != 17) return false;
    auto digit = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
    for (int i = 0; i < 6; ++i) {
        const int high = digit(text[3 * i]);
        const int low = digit(text[3 * i + 1]);
        if (high < 0 || low < 0 || (i < 5 && text[3 * i + 2] != ':')) return false;
        mac[i] = static_cast<std::uint8_t>(high << 4 | low);
    }
    return true;
}

bool SameCamera(const DeviceRecord& a, const DeviceRecord& b) {
    return std::memcmp(a.abyMac, b.abyMac, sizeof(a.abyMac)) == 0 &&
           strncmp(a.szIp, b.szIp, sizeof(a.szIp)) == 0;
}

}  // namespace orvex
