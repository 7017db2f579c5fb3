#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <libxml/tree.h>

#include "tools/camsim/CameraConfig.h"
#include "tools/camsim/HttpServer.h"

namespace camsim {

// A virtual camera's ONVIF device service (POST /onvif/device_service, SOAP 1.2):
// GetSystemDateAndTime for anyone; with a valid login GetDeviceInformation,
// GetCapabilities, GetNetworkInterfaces, GetNetworkDefaultGateway, GetDNS, GetHostname,
// SetSystemDateAndTime, SetNTP, SystemReboot and new network settings
// (SetNetworkInterfaces, SetNetworkDefaultGateway, SetDNS). A login is a WS-UsernameToken with
// PasswordDigest whose Created lies within 5 minutes of the camera's own clock (its
// offset) (with `refuseReplay` also one never seen before), or HTTP Digest (SHA-256 or MD5, qop=auth)
// answering a challenge this camera issued; the camera's `auth` says which it takes
// ("text": an old device that takes only a UsernameToken with PasswordText). Every
// PasswordText that arrives is counted, whatever the camera takes. Thread-safe.
class OnvifService {
public:
    struct Answer {
        int status = 200;
        std::string body;
        std::vector<std::string> headers;  // beyond Content-Type and Content-Length
        bool reboot = false;
        bool clockSet = false;
        long long clockOffset = 0;  // the camera's new offset, when clockSet
        std::string ntpServer;
        // New network settings asked for (each field given is set).
        struct Network {
            std::optional<std::string> ip, mask, gateway, dns1, dns2;
            std::optional<int> netMode;
        } network;
        bool networkSet = false;
    };

    Answer Handle(const HttpRequest& request, const CameraConfig& camera);

    static constexpr const char* kPath = "/onvif/device_service";
    // The device service's address as discovery and capabilities name it.
    static std::string Url(const std::string& host, std::uint16_t port) {
        return "http://" + host + ":" + std::to_string(port) + kPath;
    }
    int PlaintextPasswordsSeen() const { return m_plaintextSeen; }

private:
    // Whether the request carries a login the camera takes (`security` its WS-Security
    // header, if any); `why` a fault reason if not.
    bool Authorized(const HttpRequest& request, const xmlNode* security, const CameraConfig& camera,
                    std::string* why);
    bool DigestAuthorized(const HttpRequest& request, const CameraConfig& camera);
    Answer Challenge(const std::string& why);

    std::mutex m_lock;
    std::set<std::string> m_usedTokens;    // UsernameToken nonce and Created pairs seen
    std::set<std::string> m_issuedNonces;  // Digest nonces this camera gave out
    std::atomic<int> m_plaintextSeen{0};
};

}  // namespace camsim
