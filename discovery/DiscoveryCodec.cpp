#include "discovery/DiscoveryCodec.h"

#include <algorithm>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"

namespace orvex {
namespace {

void PutHeader(std::uint8_t* out, std::uint16_t command) {
    out[0] = 0x44;  // 'D'
    out[1] = 0x48;  // 'H'
    out[2] = static_cast<std::uint8_t>(command & 0xFF);
    out[3] = static_cast<std::uint8_t>(command >> 8);
}

}  // namespace

std::array<std::uint8_t, kSearchRequestSize> BuildSearchRequest() {
    std::array<std::uint8_t, kSearchRequestSize> datagram{};
    PutHeader(datagram.data(), kCmdSearch);
    return datagram;
}

std::array<std::uint8_t, kSetRequestSize> BuildSetRequest(const DeviceParams& params) {
    std::array<std::uint8_t, kSetRequestSize> datagram{};
    PutHeader(datagram.data(), kCmdSet);
    std::memcpy(datagram.data() + 4, params.abyData, kParamsSize);
    return datagram;
}

std::array<std::uint8_t, kSearchReplySize> BuildSearchReply(const DeviceRecord& record) {
    std::array<std::uint8_t, kSearchReplySize> datagram{};
    PutHeader(datagram.data(), kCmdSearchReply);
    std::memcpy(datagram.data() + 4, PayloadBytes(record), kPayloadSize);
    return datagram;
}

std::array<std::uint8_t, kSetReplySize> BuildSetReply(const DeviceParams& params,
                                                      std::int32_t result) {
    std::array<std::uint8_t, kSetReplySize> datagram{};
    PutHeader(datagram.data(), kCmdSetReply);
    std::memcpy(datagram.data() + 4, params.abyData, kParamsSize);
    const auto bits = static_cast<std::uint32_t>(result);
    for (int i = 0; i < 4; ++i) datagram[4 + kParamsSize + i] = static_cast<std::uint8_t>(bits >> (8 * i));
    return datagram;
}

DecodedReply DecodeReply(const std::uint8_t* data, std::size_t length) {
    std::uint8_t buffer[kReceiveBufferSize] = {};
    if (length > 0) std::memcpy(buffer, data, std::min(length, kReceiveBufferSize));
    DecodedReply reply;
    if (buffer[0] != 0x44 || buffer[1] != 0x48) {
        reply.kind = DecodedReply::kDropped;
        return reply;
    }
    reply.command = static_cast<std::uint16_t>(buffer[2] | buffer[3] << 8);
    if (reply.command == kCmdSearchReply) {
        std::memcpy(PayloadBytes(reply.record), buffer + 4, kPayloadSize);
        reply.record.bAlive = 1;
        reply.record.nMode = ModelClassOfVersion(
            platform::CodePage::FieldToWide(reply.record.szVersion, sizeof(reply.record.szVersion)));
        reply.kind = DecodedReply::kDeviceFound;
    } else if (reply.command == kCmdSetReply) {
        std::memcpy(PayloadBytes(reply.record), buffer + 4, kParamsSize);
        const std::uint8_t* r = buffer + 4 + kParamsSize;
        reply.result = static_cast<std::int32_t>(std::uint32_t{r[0]} | std::uint32_t{r[1]} << 8 |
                                                 std::uint32_t{r[2]} << 16 |
                                                 std::uint32_t{r[3]} << 24);
        reply.kind = DecodedReply::kSetReply;
    } else {
        reply.kind = DecodedReply::kIgnored;
    }
    return reply;
}

int SetResultTextId(std::int32_t result) {
    switch (result) {
        case kSetSuccess: return IDS_SET_SUCCESS;
        case kSetBadLogin: return IDS_BAD_LOGIN;
        case kSetNoRights: return IDS_NO_RIGHTS;
        default: return 0;
    }
}

int ModelClassOfVersion(const std::wstring& version) {
    const auto firstDot = version.find(L'.');
    if (version.empty() || firstDot == std::wstring::npos) return 5;
    if (firstDot + 1 >= version.size()) return 5;
    const auto secondDot = version.find(L'.', firstDot + 1);
    if (secondDot == std::wstring::npos) return 5;
    const int second = platform::LeadingInt(
        platform::Trim(version.substr(firstDot + 1, secondDot - firstDot - 1)));
    int third = -1;
    if (secondDot + 1 < version.size()) {
        const auto thirdDot = version.find(L'.', secondDot + 1);
        if (thirdDot != std::wstring::npos) {
            third = platform::LeadingInt(
                platform::Trim(version.substr(secondDot + 1, thirdDot - secondDot - 1)));
        }
    }
    if (second == 0 || second == 2 || second == 3 || second == 5 || second == 6) return 1;
    if (third >= 10 && third <= 19) return 2;
    if (third == 20) return 4;
    if (third >= 60) return 3;
    return 5;
}

const char* ModelLetter(int mode) {
    switch (mode) {
        case 1: return "T";
        case 2: return "F";
        case 3: return "C";
        case 4: return "G";
        case kModeOnvif: return "ONVIF";
        default: return "Other";
    }
}

}  // namespace orvex
