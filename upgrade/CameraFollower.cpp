#include "upgrade/CameraFollower.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "discovery/CameraTable.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

void RefreshCameraAddress(CameraLogin& ownerLogin, CUpgradeHandle& engine, CameraTable* table) {
    if (ownerLogin.nNetMode == 0 || !table) return;
    std::string ip;
    int port = 0;
    if (!table->FindCameraByMac(std::string(ownerLogin.szMac, strnlen(ownerLogin.szMac, sizeof(ownerLogin.szMac))),
                                &ip, &port)) {
        return;
    }
    const std::string host(ownerLogin.szHost, strnlen(ownerLogin.szHost, sizeof(ownerLogin.szHost)));
    if (ip == host && port == ownerLogin.nPort) return;
    if (!ip.empty()) {
        std::memset(ownerLogin.szHost, 0, sizeof(ownerLogin.szHost));
        std::memcpy(ownerLogin.szHost, ip.data(), std::min(ip.size(), sizeof(ownerLogin.szHost) - 1));
    }
    ownerLogin.nPort = port;
    engine.SetLogin(ownerLogin);
}

}  // namespace orvex
