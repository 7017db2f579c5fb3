#include "fleet/SettingsChange.h"

namespace orvex {

NetSettings SettingsChange::Applied(const NetSettings& before) const {
    NetSettings after = before;
    if (ip) after.ip = *ip;
    if (mask) after.mask = *mask;
    if (gateway) after.gateway = *gateway;
    if (dns1) after.dns1 = *dns1;
    if (dns2) after.dns2 = *dns2;
    if (name) after.name = *name;
    if (port) after.port = *port;
    if (netMode) {
        after.netMode = *netMode;
    } else if (before.netMode == 1 && after.ip != before.ip) {
        after.netMode = 0;
    }
    return after;
}

bool SettingsChange::AddressWithDhcp(const NetSettings& before) const {
    return before.netMode == 1 && ip && *ip != before.ip && netMode && *netMode == 1;
}

}  // namespace orvex
