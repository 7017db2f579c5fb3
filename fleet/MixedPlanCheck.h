#pragma once
#include <string>
#include <vector>

#include "fleet/SetPlanner.h"

namespace orvex {

// A plan that names native and ONVIF cameras is carried out by two runs, one for each
// kind, and each run's planner sees only its own rows. Before either run sends anything,
// the whole plan must give each new address to one camera only, and never the address
// of an ONVIF device service the plan names.
class MixedPlanCheck {
public:
    // False with a one-line error naming both rows.
    static bool Check(const std::vector<SetRequestRow>& rows, std::string* error);
};

}  // namespace orvex
