#pragma once
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "tools/camsim/CameraConfig.h"
#include "tools/camsim/HttpServer.h"

namespace camsim {

// A virtual camera's ONVIF device service (POST /onvif/device_service, SOAP 1.2):
// GetSystemDateAndTime for anyone; with a valid login GetDeviceInformation,
// GetNetworkInterfaces, GetNetworkDefaultGateway, GetDNS, GetHostname,
// SetSystemDateAndTime, SetNTP and SystemReboot. A login is a WS-UsernameToken with
// PasswordDigest whose Created lies within 5 minutes of the camera's own clock (its
// offset) and whose nonce was never seen before, or HTTP Digest (SHA-256 or MD5, qop=auth)
// answering a challenge this camera issued; the camera's `auth` says which it takes.
// Thread-safe.
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
    };

    Answer Handle(const HttpRequest& request, const CameraConfig& camera);

    static constexpr const char* kPath = "/onvif/device_service";

private:
    // Whether the request carries a login the camera takes; `why` a fault reason if not.
    bool Authorized(const HttpRequest& request, const std::string& security, const CameraConfig& camera,
                    std::string* why);
    bool DigestAuthorized(const HttpRequest& request, const CameraConfig& camera);
    Answer Challenge(const std::string& why);

    std::mutex m_lock;
    std::set<std::string> m_usedNonces;    // UsernameToken nonces seen
    std::set<std::string> m_issuedNonces;  // Digest nonces this camera gave out
};

}  // namespace camsim
