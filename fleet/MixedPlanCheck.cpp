#include "fleet/MixedPlanCheck.h"

#include <unordered_map>

#include "fleet/OnvifBatch.h"

namespace orvex {

bool MixedPlanCheck::Check(const std::vector<SetRequestRow>& rows, std::string* error) {
    // Address -> the first row of each kind that moves a camera there (native, ONVIF).
    std::unordered_map<std::string, const SetRequestRow*> newAddress[2];
    std::unordered_map<std::string, const SetRequestRow*> deviceAt;  // ONVIF rows' hosts
    for (const SetRequestRow& row : rows) {
        const bool onvif = !row.onvifHost.empty();
        OnvifTarget target;
        if (onvif && OnvifTarget::Parse(row.onvifHost, &target)) deviceAt.try_emplace(target.host, &row);
        if (row.change.ip) newAddress[onvif].try_emplace(*row.change.ip, &row);
    }
    for (const SetRequestRow& row : rows) {
        if (!row.change.ip) continue;
        const bool onvif = !row.onvifHost.empty();
        const auto other = newAddress[!onvif].find(*row.change.ip);
        if (other != newAddress[!onvif].end() && other->second < &row) {
            *error = row.where + ": " + *row.change.ip + " is also the new address of " + other->second->where;
            return false;
        }
        const auto device = deviceAt.find(*row.change.ip);
        if (!onvif && device != deviceAt.end()) {
            *error = row.where + ": " + *row.change.ip + " is the ONVIF device of " + device->second->where;
            return false;
        }
    }
    return true;
}

}  // namespace orvex
