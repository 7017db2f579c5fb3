#include "tools/camsim/CameraConfig.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "platform/TextUtil.h"
#include "platform/UdpSocket.h"

namespace camsim {
namespace {

bool ParseNumber(const std::string& text, long low, long high, long* value) {
    if (text.empty()) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || parsed < low || parsed > high) return false;
    *value = parsed;
    return true;
}

bool IsAddress(const std::string& text) {
    in_addr_t ignored = 0;
    return text.empty() || platform::ParseIpv4(text, &ignored);
}

}  // namespace

std::uint8_t ReservedPattern(std::size_t payloadOffset) {
    return static_cast<std::uint8_t>(0xA5 ^ (payloadOffset * 7));
}

orvex::DeviceRecord CameraConfig::ToRecord() const {
    orvex::DeviceRecord record;
    platform::PutFieldString(record.szIp, ip);
    platform::PutFieldString(record.szSubMask, mask);
    platform::PutFieldString(record.szGateway, gateway);
    platform::PutFieldString(record.szPrimaryDns, dns1);
    platform::PutFieldString(record.szSecondaryDns, dns2);
    std::memcpy(record.abyMac, mac.data(), mac.size());
    record.wPort = port;
    platform::PutFieldString(record.szDeviceId, uid);
    platform::PutFieldString(record.szName, name);
    platform::PutFieldString(record.szVersion, version);
    platform::PutFieldString(record.szDdnsPassword, ddnsPassword);
    record.byNetMode = netMode;
    std::uint8_t* payload = orvex::PayloadBytes(record);
    payload[296] = ReservedPattern(296);
    for (std::size_t i = 298; i < 480; ++i) payload[i] = ReservedPattern(i);
    return record;
}

bool ParseMac(const std::string& text, std::array<std::uint8_t, 6>* mac) {
    unsigned bytes[6];
    char tail = 0;
    if (std::sscanf(text.c_str(), "%2x:%2x:%2x:%2x:%2x:%2x%c", &bytes[0], &bytes[1], &bytes[2],
                    &bytes[3], &bytes[4], &bytes[5], &tail) != 6) {
        return false;
    }
    for (int i = 0; i < 6; ++i) (*mac)[i] = static_cast<std::uint8_t>(bytes[i]);
    return true;
}

bool SetField(CameraConfig& camera, const std::string& key, const std::string& value,
              std::string* error) {
    long number = 0;
    auto fail = [&](const char* what) {
        *error = std::string(what) + " for '" + key + "': '" + value + "'";
        return false;
    };
    if (key == "ip" || key == "mask" || key == "gateway" || key == "dns1" || key == "dns2") {
        if (!IsAddress(value)) return fail("not an IPv4 address");
        if (key == "ip") camera.ip = value;
        if (key == "mask") camera.mask = value;
        if (key == "gateway") camera.gateway = value;
        if (key == "dns1") camera.dns1 = value;
        if (key == "dns2") camera.dns2 = value;
    } else if (key == "mac") {
        if (!ParseMac(value, &camera.mac)) return fail("not a MAC address");
    } else if (key == "port") {
        if (!ParseNumber(value, 1, 65535, &number)) return fail("not a port");
        camera.port = static_cast<std::uint16_t>(number);
    } else if (key == "netmode") {
        if (!ParseNumber(value, 0, 1, &number)) return fail("not 0 or 1");
        camera.netMode = static_cast<std::uint8_t>(number);
    } else if (key == "rights") {
        if (!ParseNumber(value, 0, 1, &number)) return fail("not 0 or 1");
        camera.mayChangeSettings = number == 1;
    } else if (key == "slow" || key == "restart" || key == "newport" || key == "uploadrate" ||
               key == "setdelay" || key == "setlate") {
        if (!ParseNumber(value, 0,
                         key == "newport"      ? 65535
                         : key == "uploadrate" ? 1000000000
                                               : 3600000,
                         &number)) {
            return fail("not a number in range");
        }
        if (key == "slow") camera.faults.slowReplyMs = static_cast<unsigned>(number);
        if (key == "restart") camera.faults.restartMs = static_cast<unsigned>(number);
        if (key == "newport") camera.faults.newPort = static_cast<int>(number);
        if (key == "uploadrate") camera.faults.uploadRate = static_cast<unsigned>(number);
        if (key == "setdelay") camera.setFaults.restartMs = static_cast<unsigned>(number);
        if (key == "setlate") camera.setFaults.replyDelayMs = static_cast<unsigned>(number);
    } else if (key == "native") {
        if (value != "on" && value != "off") return fail("not on or off");
        camera.native = value == "on";
    } else if (key == "onvif") {
        if (value != "on" && value != "off") return fail("not on or off");
        camera.onvif.enabled = value == "on";
    } else if (key == "onvifdelay") {
        if (!ParseNumber(value, 0, 60000, &number)) return fail("not 0 to 60000 ms");
        camera.onvif.maxDelayMs = static_cast<unsigned>(number);
    } else if (key == "onvifxaddr") {
        if (!IsAddress(value)) return fail("not an IPv4 address");
        camera.onvif.xaddrHost = value;
    } else if (key == "onvifauth") {
        if (value != "wsse" && value != "digest" && value != "either" && value != "text")
            return fail("not wsse, digest, either or text");
        camera.onvif.auth = value;
    } else if (key == "onvifreboot") {
        if (value != "on" && value != "off") return fail("not on or off");
        camera.onvif.rebootNeeded = value == "on";
    } else if (key == "onvifclock") {
        if (!ParseNumber(value, -1000000000, 1000000000, &number)) return fail("not a number of seconds");
        camera.onvif.clockOffset = number;
    } else if (key == "hardware" || key == "location") {
        if (value.empty() || value.size() > 64) return fail("1 to 64 characters");
        (key == "hardware" ? camera.onvif.hardware : camera.onvif.location) = value;
    } else if (key == "newip") {
        if (!IsAddress(value)) return fail("not an IPv4 address");
        camera.faults.newIp = value;
    } else if (key == "faults") {
        std::istringstream names(value);
        std::string name;
        while (std::getline(names, name, '+')) {
            WebFaults& f = camera.faults;
            if (name == "noclen")
                f.noContentLength = true;
            else if (name == "lowerclen")
                f.lowercaseLength = true;
            else if (name == "cut")
                f.cutReply = true;
            else if (name == "never")
                f.neverReply = true;
            else if (name == "reset")
                f.resetMidBody = true;
            else if (name == "refuseupload")
                f.refuseUpload = true;
            else if (name == "refusedownload")
                f.refuseDownload = true;
            else if (name == "nocomeback")
                f.neverComesBack = true;
            else if (name == "nosysver")
                f.omitSysVer = true;
            else if (name == "keepversion")
                f.keepVersion = true;
            else if (name == "setkeep")
                camera.setFaults.keepSettings = true;
            else if (name == "setreject")
                camera.setFaults.rejectLogin = true;
            else if (name == "reuseid")
                camera.onvif.reuseMessageId = true;
            else if (name == "noreplay")
                camera.onvif.refuseReplay = true;
            else if (name == "setnoreply")
                camera.setFaults.neverAnswers = true;
            else if (!name.empty())
                return fail("unknown fault");
        }
    } else if (key == "app") {
        camera.appVersion = value;
    } else if (key == "md5") {
        camera.paramsMd5 = value;
    } else if (key == "oem") {
        camera.oemId = value;
    } else if (key == "uid") {
        camera.uid = value;
    } else if (key == "name") {
        camera.name = value;
    } else if (key == "namehex") {
        // A name in the camera's own code page (GBK, say), byte for byte.
        std::string bytes;
        for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
            unsigned byte = 0;
            if (std::sscanf(value.substr(i, 2).c_str(), "%2x", &byte) != 1) break;
            bytes += static_cast<char>(byte);
        }
        if (value.size() % 2 != 0 || bytes.size() * 2 != value.size() || bytes.size() > 79)
            return fail("not up to 79 bytes in hex");
        camera.name = bytes;
    } else if (key == "version") {
        camera.version = value;
    } else if (key == "ddns") {
        camera.ddnsPassword = value;
    } else if (key == "user") {
        camera.user = value;
    } else if (key == "password") {
        camera.password = value;
    } else {
        *error = "unknown camera key '" + key + "'";
        return false;
    }
    return true;
}

bool ParseCameraOption(const std::string& text, CameraConfig* camera, std::string* error) {
    std::istringstream pieces(text);
    std::string piece;
    while (std::getline(pieces, piece, ',')) {
        const auto eq = piece.find('=');
        if (eq == std::string::npos) {
            *error = "expected key=value, got '" + piece + "'";
            return false;
        }
        if (!SetField(*camera, platform::Trim(piece.substr(0, eq)), piece.substr(eq + 1), error)) {
            return false;
        }
    }
    return true;
}

bool ParseCameraFile(const std::string& text, std::vector<CameraConfig>* cameras,
                     std::string* error) {
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const std::string trimmed = platform::Trim(line);
        if (trimmed.empty() || trimmed[0] == '#') continue;
        if (trimmed == "[camera]") {
            cameras->emplace_back();
            continue;
        }
        const auto eq = trimmed.find('=');
        if (eq == std::string::npos || cameras->empty()) {
            *error = "line " + std::to_string(lineNumber) + ": expected [camera] or key = value";
            return false;
        }
        std::string fieldError;
        if (!SetField(cameras->back(), platform::Trim(trimmed.substr(0, eq)),
                      platform::Trim(trimmed.substr(eq + 1)), &fieldError)) {
            *error = "line " + std::to_string(lineNumber) + ": " + fieldError;
            return false;
        }
    }
    return true;
}

std::vector<CameraConfig> GenerateCameras(int count, std::uint16_t firstPort) {
    std::vector<CameraConfig> cameras;
    for (int i = 0; i < count; ++i) {
        CameraConfig c;
        const int host = i % 250 + 1;
        const int net = i / 250 + 1;
        c.ip = "127.0." + std::to_string(net) + "." + std::to_string(host);
        // Locally administered unicast addresses of our own (02:4F:52 is "\x02OR").
        c.mac = {0x02,
                 0x4F,
                 0x52,
                 static_cast<std::uint8_t>(i >> 16),
                 static_cast<std::uint8_t>(i >> 8),
                 static_cast<std::uint8_t>(i)};
        c.port = static_cast<std::uint16_t>(firstPort + i);
        char uid[32];
        std::snprintf(uid, sizeof(uid), "ORVX%06dABCDE", i + 1);
        c.uid = uid;
        c.name = "Camera " + std::to_string(i + 1);
        cameras.push_back(c);
    }
    return cameras;
}

}  // namespace camsim
