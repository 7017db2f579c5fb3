#pragma once
#include <string>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace orvex {

// One field that differs between two settings: its key (as plans and reports name it)
// and both values as text.
struct SettingDifference {
    std::string key;
    std::string before;
    std::string after;
};

// The network settings of a camera that a set request changes, as a user reads them:
// texts without white space at their ends (addresses in UTF-8, the name as the bytes of
// its field: see CameraName), the port, and the network mode (0 fixed, 1 dynamic).
struct NetSettings {
    std::string ip, mask, gateway, dns1, dns2;
    int port = 0;
    int netMode = 0;
    std::string name;

    bool operator==(const NetSettings&) const = default;

    static NetSettings Of(const DeviceRecord& record);
    // Writes into a set request block each field that differs from `before` (the camera's
    // own settings); every other byte stays as the camera sent it. Addresses go in the
    // locale's character set, the name byte for byte.
    void WriteChanges(const NetSettings& before, DeviceRecord& block) const;
    // The fields that differ, keyed ip, mask, gateway, dns1, dns2, port, network, name (the
    // name's values readable UTF-8).
    static std::vector<SettingDifference> Differences(const NetSettings& before,
                                                      const NetSettings& after);
    // What a camera that took `asked` shows: all fields, but with a dynamic address the
    // addresses are the DHCP server's to give.
    bool Shows(const NetSettings& asked) const;

    static std::string NetworkText(int netMode);
    // "fixed", "dynamic" or a number (as scan reports write them), "on"/"off" for DHCP.
    static bool ParseNetwork(const std::string& text, int* netMode);
};

}  // namespace orvex
