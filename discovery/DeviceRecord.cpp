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
    char text[18];
    const std::uint8_t* m = record.abyMac;
    std::snprintf(text, sizeof(text), "%02X:%02X:%02X:%02X:%02X:%02X", m[0], m[1], m[2], m[3],
                  m[4], m[5]);
    return text;
}

bool SameCamera(const DeviceRecord& a, const DeviceRecord& b) {
    return std::memcmp(a.abyMac, b.abyMac, sizeof(a.abyMac)) == 0 &&
           strncmp(a.szIp, b.szIp, sizeof(a.szIp)) == 0;
}

}  // namespace orvex
