#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "discovery/DeviceRecord.h"

namespace orvex {

constexpr std::uint16_t kCmdSearch = 0x0101;
constexpr std::uint16_t kCmdSet = 0x0102;
constexpr std::uint16_t kCmdSearchReply = 0x0801;
constexpr std::uint16_t kCmdSetReply = 0x0802;

constexpr std::size_t kSearchRequestSize = 4;
constexpr std::size_t kSetRequestSize = 4 + kParamsSize;      // 324
constexpr std::size_t kSearchReplySize = 4 + kPayloadSize;    // 516
constexpr std::size_t kSetReplySize = 4 + kParamsSize + 4;    // 328
constexpr std::size_t kReceiveBufferSize = 1024;

constexpr std::uint16_t kCameraPort = 8600;
constexpr std::uint16_t kLocalPort = 8601;

// Set reply results.
constexpr std::int32_t kSetSuccess = 0x8000;
constexpr std::int32_t kSetBadLogin = 0x8001;
constexpr std::int32_t kSetNoRights = 0x8002;

std::array<std::uint8_t, kSearchRequestSize> BuildSearchRequest();
std::array<std::uint8_t, kSetRequestSize> BuildSetRequest(const DeviceParams& params);
// The camera's side of the exchange.
std::array<std::uint8_t, kSearchReplySize> BuildSearchReply(const DeviceRecord& record);
std::array<std::uint8_t, kSetReplySize> BuildSetReply(const DeviceParams& params,
                                                      std::int32_t result);

// What a received datagram turned out to be.
struct DecodedReply {
    enum Kind { kDropped, kDeviceFound, kSetReply, kIgnored };
    Kind kind = kIgnored;
    DeviceRecord record;       // kDeviceFound; kSetReply: its first 320 bytes hold the block
    std::int32_t result = 0;   // kSetReply
    std::uint16_t command = 0;
};

// Decodes as the listener does: bytes past `length` (up to 1024) read as zero, bytes past
// 1024 are not looked at; no check of the length or the sender.
DecodedReply DecodeReply(const std::uint8_t* data, std::size_t length);

// The id of the string a set reply's result is shown with (123, 124, 125); 0 for any
// other result, which the window does not show.
int SetResultTextId(std::int32_t result);

// Model class 1..5 from a version text such as "1.7.15.4".
int ModelClassOfVersion(const std::wstring& version);
// The mode of a camera found by ONVIF discovery rather than by a search reply.
constexpr int kModeOnvif = 100;
// "T", "F", "C", "G", "ONVIF" or "Other".
const char* ModelLetter(int mode);

}  // namespace orvex
