#include "fleet/SetJobChecks.h"

#include "fleet/AddressRange.h"
#include "fleet/AddressRules.h"
#include "fleet/AdapterScan.h"
#include "fleet/CameraName.h"

namespace orvex {
namespace {

bool IsAddress(const std::string& text) {
    std::uint32_t value = 0;
    return AddressRange::Parse(text, &value);
}

std::uint32_t Value(const std::string& text) {
    std::uint32_t value = 0;
    AddressRange::Parse(text, &value);
    return value;
}

}  // namespace

bool SetJobChecks::Check(const SetJob& job, const SetRequestRow& row, std::uint32_t adapterIp,
                         std::string* error) {
    const std::string who = MacText(job.camera.record) + (job.where.empty() ? "" : " (" + job.where + ")");
    const SettingsChange& change = row.change;
    const NetSettings& before = job.before;
    const NetSettings& a = job.after;
    const auto refuse = [&](const std::string& why) {
        *error = who + ": " + why;
        return false;
    };
    if (!row.fromPlan && change.AddressWithDhcp(before))
        return refuse("a new address and DHCP on contradict each other");
    if (a.netMode == 1) {
        // The DHCP server gives the addresses; what a row names must still be addresses.
        const std::pair<const char*, const std::optional<std::string>*> fields[] = {
            {"ip", &change.ip},         {"mask", &change.mask}, {"gateway", &change.gateway},
            {"dns1", &change.dns1},     {"dns2", &change.dns2}};
        for (const auto& [key, value] : fields) {
            if (*value && !(*value)->empty() && !IsAddress(**value))
                return refuse(std::string(key) + " '" + **value + "' is not an IPv4 address");
        }
    }
    if (job.Unchanged()) return true;  // nothing is sent
    if (a.netMode != before.netMode && a.netMode != 0 && a.netMode != 1)
        return refuse("network mode " + std::to_string(a.netMode) +
                      " is neither fixed nor dynamic");
    if (a.port < 1 || a.port > 65535)
        return refuse("port " + std::to_string(a.port) + " is outside 1..65535");
    if (a.name != before.name) {
        const std::string why = CameraName::WhyNotSendable(a.name);
        if (!why.empty()) return refuse(why);
    }
    if (a.netMode == 1) return true;
    std::string why;
    return CheckAddresses(before, a, adapterIp, &why) || refuse(why);
}

bool SetJobChecks::CheckAddresses(const NetSettings& before, const NetSettings& a,
                                  std::uint32_t adapterIp, std::string* why) {
    // Only what changes is judged: a camera keeps an odd value it already has.
    const bool moved = a.ip != before.ip || a.mask != before.mask || a.netMode != before.netMode;
    if (moved) {
        if (!IsAddress(a.ip)) {
            *why = "ip '" + a.ip + "' is not an IPv4 address";
            return false;
        }
        if (!SetPlanner::IsContiguousMask(a.mask) && !(IsAddress(a.mask) && Value(a.mask) == 0)) {
            *why = "'" + a.mask + "' is not a contiguous subnet mask";
            return false;
        }
        const std::string mask = AddressRules::WhyNotMask(Value(a.mask));
        if (!mask.empty()) {
            *why = "mask " + a.mask + " " + mask;
            return false;
        }
        const std::string ip = AddressRules::WhyNotUsable(Value(a.ip), Value(a.mask), adapterIp);
        if (!ip.empty()) {
            *why = "ip " + a.ip + " " + ip;
            return false;
        }
    }
    for (const auto& [now, was] : {std::pair{&a.dns1, &before.dns1}, std::pair{&a.dns2, &before.dns2}}) {
        if (*now != *was && !now->empty() && !IsAddress(*now)) {
            *why = "DNS server '" + *now + "' is not an IPv4 address";
            return false;
        }
    }
    if (!moved && a.gateway == before.gateway) return true;
    if (a.gateway.empty() || a.gateway == "0.0.0.0") return true;
    if (!IsAddress(a.gateway)) {
        *why = "gateway '" + a.gateway + "' is not an IPv4 address";
        return false;
    }
    if (a.gateway == a.ip) {
        *why = "gateway " + a.gateway + " is the camera's own address";
        return false;
    }
    if (!AdapterScan::InSubnet(a.gateway, a.ip, a.mask)) {
        *why = "gateway " + a.gateway + " is outside the subnet " + a.ip + "/" + a.mask;
        return false;
    }
    return true;
}

}  // namespace orvex
