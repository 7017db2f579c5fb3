#pragma once
#include <optional>
#include <string>

#include "fleet/NetSettings.h"

namespace orvex {

// What a user asks to change on one camera: each field given is set, an empty text
// included; a field not given keeps the camera's value.
struct SettingsChange {
    std::optional<std::string> ip, mask, gateway, dns1, dns2, name;
    std::optional<int> port;
    std::optional<int> netMode;

    // The settings a camera that shows `before` is to end with. A new address for a camera
    // in DHCP mode, with no mode asked, switches it to a fixed address.
    NetSettings Applied(const NetSettings& before) const;
    // A new address asked of a camera in DHCP mode that is to stay in it: the two
    // contradict each other. (A fixed camera may be given the address it keeps until the
    // DHCP server answers, as a restored backup does.)
    bool AddressWithDhcp(const NetSettings& before) const;
};

}  // namespace orvex
