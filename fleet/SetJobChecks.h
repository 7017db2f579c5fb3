#pragma once
#include <cstdint>
#include <string>

#include "fleet/SetPlanner.h"

namespace orvex {

// The checks of one camera's new settings before anything is sent: each field well formed,
// and nothing that would cut the camera or its site off (see AddressRules). A value the
// camera itself reported goes back unchanged without being judged.
class SetJobChecks {
public:
    // `adapterIp` (host order, 0 when not known) is the adapter the camera is set through.
    // False with "MAC (where): field value why".
    static bool Check(const SetJob& job, const SetRequestRow& row, std::uint32_t adapterIp,
                      std::string* error);

private:
    static bool CheckAddresses(const NetSettings& before, const NetSettings& after,
                               std::uint32_t adapterIp, std::string* why);
};

}  // namespace orvex
