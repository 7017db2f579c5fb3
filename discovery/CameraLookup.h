#pragma once
#include <string>

namespace orvex {

// Where a camera is now, found by its MAC text ("%02X:%02X:%02X:%02X:%02X:%02X"). The
// upgrade dialogs ask it from their tick threads to follow a camera through a restart.
class CameraLookup {
public:
    virtual ~CameraLookup() = default;
    // True with the camera's current address and HTTP port; false when it is not listed
    // at this moment. Callable from any thread.
    virtual bool FindCameraByMac(const std::string& mac, std::string* ip, int* port) = 0;
};

}  // namespace orvex
