#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orvex {

static_assert(std::endian::native == std::endian::little,
              "the device payload is read in place as little-endian");

constexpr std::size_t kPayloadSize = 512;
constexpr std::size_t kParamsSize = 320;

// One camera: the 512-byte device payload exactly as a search reply carries it, then two
// fields that live only in memory. A plain value, copied whole between threads.
struct DeviceRecord {
    char szIp[16];
    char szSubMask[16];
    char szGateway[16];
    char szPrimaryDns[16];
    char szSecondaryDns[16];
    std::uint8_t abyMac[6];
    std::uint16_t wPort;  // little-endian on the wire
    char szDeviceId[32];
    char szName[80];
    char szVersion[32];
    char szUser[32];
    char szPassword[32];
    std::uint8_t byReserved296;  // carried back unchanged
    std::uint8_t byNetMode;      // 0 fixed IP, 1 dynamic IP
    std::uint8_t abyReserved298[22];
    std::uint8_t abyReserved320[160];  // search reply only
    char szDdnsPassword[32];
    // In memory only:
    std::uint8_t bAlive;  // answered since the last sweep
    std::int32_t nMode;   // model class from szVersion, 0 when no reply filled the record

    DeviceRecord();  // all zero
};

// The first 320 bytes of the payload: the body of a set request.
struct DeviceParams {
    std::uint8_t abyData[kParamsSize];
};

static_assert(offsetof(DeviceRecord, szIp) == 0);
static_assert(offsetof(DeviceRecord, szSubMask) == 16);
static_assert(offsetof(DeviceRecord, szGateway) == 32);
static_assert(offsetof(DeviceRecord, szPrimaryDns) == 48);
static_assert(offsetof(DeviceRecord, szSecondaryDns) == 64);
static_assert(offsetof(DeviceRecord, abyMac) == 80);
static_assert(offsetof(DeviceRecord, wPort) == 86);
static_assert(offsetof(DeviceRecord, szDeviceId) == 88);
static_assert(offsetof(DeviceRecord, szName) == 120);
static_assert(offsetof(DeviceRecord, szVersion) == 200);
static_assert(offsetof(DeviceRecord, szUser) == 232);
static_assert(offsetof(DeviceRecord, szPassword) == 264);
static_assert(offsetof(DeviceRecord, byReserved296) == 296);
static_assert(offsetof(DeviceRecord, byNetMode) == 297);
static_assert(offsetof(DeviceRecord, abyReserved298) == 298);
static_assert(offsetof(DeviceRecord, abyReserved320) == kParamsSize);
static_assert(offsetof(DeviceRecord, szDdnsPassword) == 480);
static_assert(offsetof(DeviceRecord, bAlive) == kPayloadSize);
static_assert(sizeof(DeviceParams) == kParamsSize);

// Payload bytes of a record, for copying to and from datagrams.
std::uint8_t* PayloadBytes(DeviceRecord& record);
const std::uint8_t* PayloadBytes(const DeviceRecord& record);
DeviceParams ParamsOf(const DeviceRecord& record);

// The MAC address as "%02X:%02X:%02X:%02X:%02X:%02X".
std::string MacText(const DeviceRecord& record);
// Reads text of exactly the form MacText writes (upper-case hex digits); false otherwise.
bool ParseMacText(const std::string& text, std::uint8_t mac[6]);
// Same camera: equal MAC bytes and byte-equal IP texts.
bool SameCamera(const DeviceRecord& a, const DeviceRecord& b);

}  // namespace orvex
