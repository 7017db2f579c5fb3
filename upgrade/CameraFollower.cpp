#include "upgrade/CameraFollower.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "discovery/CameraTable.h"
#include "platform/TextUtil.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

void RefreshCameraAddress(CameraLogin& ownerLogin, CUpgradeHandle& engine, CameraTable* table) {
    if (ownerLogin.nNetMode == 0 || !table) return;
    std::string ip;
    int port = 0;
    if (!table->FindCameraByMac(platform::FieldString(ownerLogin.szMac),
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
