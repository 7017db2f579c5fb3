#pragma once
#include "fleet/UpgradeRun.h"

namespace orvex {

// Whether a camera is to be upgraded at all, decided before anything is sent to it, from
// the version it reports (outcome.versionBefore) and, for a smart upgrade, what the
// firmware server offers: a camera already at the version is left `unchanged` (unless
// the plan reinstalls), a server offering an older version is refused (unless the plan
// allows it), and a dry run stops here. Fills the outcome's expected version and, for a
// smart upgrade, the URL the camera would fetch.
class UpgradeDecision {
public:
    // True when the camera is to be upgraded; false with the outcome final.
    static bool Decide(const UpgradePlan& plan, UpgradeOutcome& outcome);
};

}  // namespace orvex
