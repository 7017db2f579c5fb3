#include "fleet/BatchUpgrade.h"

#include "fleet/AddressesInUse.h"
#include "fleet/BatchRunner.h"
#include "fleet/RunFollower.h"

namespace orvex {

std::vector<UpgradeOutcome> BatchUpgrade::Run(const std::vector<UpgradeTarget>& targets,
                                              const UpgradePlan& plan, int parallel,
                                              AdapterScan* scan, const Progress& progress,
                                              const Ended& ended) {
    std::vector<UpgradeOutcome> outcomes(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        outcomes[i].target = targets[i];  // "not started" rows
    AddressesInUse inUse;
    // After a stop request no camera is handed out; the ones in flight end interrupted.
    BatchRunner::Run(targets.size(), parallel, plan.stop, [&](std::size_t i) {
        RunFollower follower(scan, &inUse, targets[i].host, targets[i].port, targets[i].source);
        UpgradeRun run(targets[i], plan, scan ? &follower : nullptr,
                       [&progress, i](int status, int phase, const std::wstring& text,
                                      long long sent, long long total) {
                           if (progress) progress(i, status, phase, text, sent, total);
                       });
        outcomes[i] = run.Run([&progress, i] {  // each run writes its own slot
            if (progress) progress(i, 0, kRunStarting, L"", 0, 0);
        });
        if (ended) ended(i, outcomes[i]);
        if (progress) progress(i, outcomes[i].status, kRunEnded, outcomes[i].text, 0, 0);
    });
    return outcomes;
}

}  // namespace orvex
