#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace camsim {

// One virtual camera as its owner describes it.
struct CameraConfig {
    std::string ip = "127.0.0.1";
    std::string mask = "255.0.0.0";
    std::string gateway = "127.0.0.254";
    std::string dns1 = "127.0.0.53";
    std::string dns2;
    std::array<std::uint8_t, 6> mac{0x00, 0x0C, 0x5D, 0x00, 0x00, 0x01};
    std::uint16_t port = 80;
    std::string uid = "VSTC000001ABCDE";
    std::string name = "IPCAM";  // UTF-8
    std::string version = "1.7.15.4";
    std::string ddnsPassword = "ddns";
    std::uint8_t netMode = 0;
    std::string user = "admin";
    std::string password = "";
    bool mayChangeSettings = true;  // false: set requests get "no rights"

    // The search reply payload: the fields above, the uninterpreted bytes as a pattern.
    orvex::DeviceRecord ToRecord() const;
};

// The pattern of the bytes a camera sends but nobody interprets: byte 296, bytes
// 298..319 and 320..479 of the payload.
std::uint8_t ReservedPattern(std::size_t payloadOffset);

// Parses "aa:bb:cc:dd:ee:ff"; false when malformed.
bool ParseMac(const std::string& text, std::array<std::uint8_t, 6>* mac);

// Sets one field by its key (ip, mask, gateway, dns1, dns2, mac, port, uid, name, version,
// ddns, netmode, user, password, rights); false with a message for a bad key or value.
bool SetField(CameraConfig& camera, const std::string& key, const std::string& value,
              std::string* error);

// "key=value,key=value" (one camera on the command line).
bool ParseCameraOption(const std::string& text, CameraConfig* camera, std::string* error);

// A camera file: blocks that start with a line "[camera]", then "key = value" lines;
// blank lines and lines starting with '#' are skipped.
bool ParseCameraFile(const std::string& text, std::vector<CameraConfig>* cameras,
                     std::string* error);

// `count` cameras on 127.0.1.x, 127.0.2.x, ... with distinct MACs, names and ports.
std::vector<CameraConfig> GenerateCameras(int count, std::uint16_t firstPort = 10000);

}  // namespace camsim
