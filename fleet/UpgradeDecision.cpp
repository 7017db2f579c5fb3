#include "fleet/UpgradeDecision.h"

#include "fleet/FirmwareOffer.h"
#include "fleet/FirmwareVersion.h"

namespace orvex {

bool UpgradeDecision::Decide(const UpgradePlan& plan, UpgradeOutcome& outcome) {
    const std::string& camera = outcome.versionBefore;
    if (plan.mode != UpgradePlan::kSmart) {
        outcome.expected = plan.expectVersion;
        if (!plan.expectVersion.empty() && !camera.empty() && !plan.reinstall &&
            FirmwareVersion::Compare(camera, plan.expectVersion) == 0) {
            outcome.unchanged = true;
            return false;
        }
        outcome.dryRun = plan.dryRun;
        return !plan.dryRun;
    }
    // Asked as the run itself would ask: about the given version, else the camera's own.
    const std::string asked = plan.version.empty() ? camera : plan.version;
    const FirmwareOffer offer = asked.empty() ? FirmwareOffer{} : FirmwareOffer::Ask(asked);
    if (!offer.answered) {
        // Nothing to decide on: the run meets the same silence and says so, unless this
        // is only a look.
        if (!plan.dryRun) return true;
        outcome.refused = true;
        outcome.failure = camera.empty() ? "the camera's version cannot be read"
                                         : "the firmware server gave no newest version for " + asked;
        return false;
    }
    outcome.expected = offer.version;
    outcome.downloadUrl = FirmwareOffer::Url(offer.server, offer.file);
    const int order = camera.empty() ? 1 : FirmwareVersion::Compare(offer.version, camera);
    if (order == 0 && !plan.reinstall) {
        outcome.unchanged = true;
        return false;
    }
    if (order < 0 && !plan.allowOlder) {
        outcome.refused = true;
        outcome.failure = "the server offers " + offer.version + ", older than the camera's " +
                          camera + " (--allow-older sends it)";
        return false;
    }
    outcome.dryRun = plan.dryRun;
    return !plan.dryRun;
}

}  // namespace orvex
