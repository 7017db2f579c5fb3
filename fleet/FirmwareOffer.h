#pragma once
#include <string>

namespace orvex {

// What the firmware server offers for a firmware version, asked exactly as the smart
// upgrade asks it (the same request and document), so that a batch can decide before a
// camera is told anything: nothing to do, a newer version, or an older one.
struct FirmwareOffer {
    bool answered = false;  // a document with a name came back
    std::string version;    // "name": the newest version the server has for it
    std::string server;     // where the camera would be told to fetch it from
    std::string file;

    // Asks the server (FirmwareHost(), port 808) about `version`; `answered` false when
    // it cannot be reached or its document holds no name.
    static FirmwareOffer Ask(const std::string& version);
    // The URL the camera fetches: http://SERVER/FILE (the port is always 80).
    static std::string Url(const std::string& server, const std::string& file);
};

}  // namespace orvex
