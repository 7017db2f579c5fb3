#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace camsim {

// How a camera's web side misbehaves, switched on per camera.
struct WebFaults {
    bool noContentLength = false;   // replies without a Content-Length header
    bool lowercaseLength = false;   // "Content-length:" instead of "Content-Length:"
    bool cutReply = false;          // announces more body than it sends, then closes
    bool neverReply = false;        // reads the request and never answers
    bool resetMidBody = false;      // sends half the body, then resets the connection
    bool refuseUpload = false;      // upgrade_firmware/upgrade_htmls answer "failed"
    bool refuseDownload = false;    // auto_download_file answers "failed"
    bool neverComesBack = false;    // stays down after accepting firmware
    bool keepVersion = false;       // comes back from a firmware upgrade with its old version
    bool omitSysVer = false;        // get_status.cgi leaves out sys_ver
    unsigned slowReplyMs = 0;       // waits this long (clock ms) before answering
    unsigned restartMs = 3000;      // down time after accepting firmware (clock ms)
    unsigned uploadRate = 0;        // reads an upload at most this fast (bytes a second; 0: any)
    std::string newIp;              // comes back on this address (empty: the same)
    int newPort = 0;                // comes back on this port (0: the same)
};

// How a camera takes a set request, switched on per camera.
struct SetFaults {
    bool keepSettings = false;  // answers "Set success" but keeps its old settings
    bool rejectLogin = false;   // answers every set request "bad login"
    bool neverAnswers = false;  // takes no set request and never answers one
    unsigned restartMs = 0;     // after taking new settings, silent this long (clock ms)
    unsigned replyDelayMs = 0;  // answers the set request this late (clock ms), showing the
                                // new settings to searches meanwhile
};

// A camera's ONVIF side: WS-Discovery on UDP 3702 (and, later, its device service).
struct OnvifSide {
    bool enabled = false;
    unsigned maxDelayMs = 0;      // each ProbeMatches waits a random time up to this (real ms)
    bool reuseMessageId = false;  // answers with the probe's own MessageID as its own
    std::string xaddrHost;        // names this host in its XAddrs (empty: its own address)
    std::string hardware = "OrvexSim";
    std::string location = "lab";
    // Its device service: which login it takes ("wsse" UsernameToken, "digest" HTTP Digest,
    // "either", "text": PasswordText only), how far its clock is off (seconds), and the NTP
    // server it was given.
    std::string auth = "either";
    long long clockOffset = 0;
    std::string ntpServer;
    // New network settings wait for a reboot (SetNetworkInterfaces answers RebootNeeded).
    bool rebootNeeded = false;
    // Refuses a UsernameToken it has seen before (most devices take one again).
    bool refuseReplay = false;
};

// One virtual camera as its owner describes it.
struct CameraConfig {
    std::string ip = "127.0.0.1";
    std::string mask = "255.0.0.0";
    std::string gateway = "127.0.0.254";
    std::string dns1 = "127.0.0.53";
    std::string dns2;
    std::array<std::uint8_t, 6> mac{0x02, 0x4F, 0x52, 0x00, 0x00, 0x01};
    std::uint16_t port = 80;
    std::string uid = "ORVX000001ABCDE";
    std::string name = "Camera";  // UTF-8
    std::string version = "1.7.15.4";
    std::string ddnsPassword = "ddns";
    std::uint8_t netMode = 0;
    std::string user = "admin";
    std::string password = "";
    bool mayChangeSettings = true;  // false: set requests get "no rights"
    bool native = true;             // false: answers no native search (an ONVIF-only camera)
    // The web side (get_status.cgi and the rest) on ip:port.
    std::string appVersion = "2.4.10.3";
    std::string paramsMd5 = "5f4dcc3b5aa765d61d8327deb882cf99";
    std::string oemId = "orvex";
    WebFaults faults;
    SetFaults setFaults;
    OnvifSide onvif;

    // The search reply payload: the fields above, the uninterpreted bytes as a pattern.
    orvex::DeviceRecord ToRecord() const;
};

// The pattern of the bytes a camera sends but nobody interprets: byte 296, bytes
// 298..319 and 320..479 of the payload.
std::uint8_t ReservedPattern(std::size_t payloadOffset);

// Parses "aa:bb:cc:dd:ee:ff"; false when malformed.
bool ParseMac(const std::string& text, std::array<std::uint8_t, 6>* mac);

// Sets one field by its key (ip, mask, gateway, dns1, dns2, mac, port, uid, name, namehex
// (the name's bytes in hex, for a name in the camera's own code page), version,
// ddns, netmode, user, password, rights, app, md5, oem, faults, slow, restart, newip,
// newport, setdelay, setlate, native (on/off), onvif (on/off), onvifdelay, onvifxaddr, onvifauth,
// onvifclock (seconds), onvifreboot (on/off), hardware, location);
// false with a message for a bad key or value. "faults" takes a
// '+'-separated list of: noclen, lowerclen, cut, never, reset, refuseupload, refusedownload,
// nocomeback, nosysver, keepversion, for set requests setkeep, setreject, setnoreply, and
// for the ONVIF side reuseid.
bool SetField(CameraConfig& camera, const std::string& key, const std::string& value,
              std::string* error);

// "key=value,key=value" (one camera on the command line).
bool ParseCameraOption(const std::string& text, CameraConfig* camera, std::string* error);

// A camera file: blocks that start with a line "[camera]", then "key = value" lines;
// blank lines and lines starting with '#' are skipped.
bool ParseCameraFile(const std::string& text, std::vector<CameraConfig>* cameras,
                     std::string* error);

// The most cameras --count generates.
constexpr int kMaxGeneratedCameras = 10000;
// `count` cameras on 127.0.1.x, 127.0.2.x, ... with distinct MACs (locally administered,
// unicast), names and ports.
std::vector<CameraConfig> GenerateCameras(int count, std::uint16_t firstPort = 10000);

}  // namespace camsim
