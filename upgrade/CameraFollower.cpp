#include "upgrade/CameraFollower.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "discovery/CameraLookup.h"
#include "platform/TextUtil.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

void RefreshCameraAddress(CameraLogin& ownerLogin, CUpgradeHandle& engine, CameraLookup* cameras) {
    if (ownerLogin.nNetMode == 0 || !cameras) return;
    std::string ip;
    int port = 0;
    if (!cameras->FindCameraByMac(platform::FieldString(ownerLogin.szMac),
                                &ip, &port)) {
        return;
    }
    const std::string host = platform::FieldString(ownerLogin.szHost);
    if (ip == host && port == ownerLogin.nPort) return;
    if (!ip.empty()) platform::PutFieldString(ownerLogin.szHost, ip);
    ownerLogin.nPort = port;
    engine.SetLogin(ownerLogin);
}

}  // namespace orvex
