#pragma once
#include <functional>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/UpgradeRun.h"

namespace orvex {

// Upgrades many cameras, at most `parallel` at a time, each run exactly as one run of the
// upgrade dialogs (UpgradeRun); the outcomes come back in the order of the targets, one
// for every target (a target never begun because the plan's stop flag was set is "not
// started"). A batch the system refuses more threads goes on with the threads it has.
class BatchUpgrade {
public:
    static constexpr int kRunEnded = -1;
    // Told each second for each running camera (index into the targets), on that camera's
    // tick thread; and once more when its run has ended, with the phase kRunEnded.
    using Progress = std::function<void(std::size_t index, int status, int phase,
                                        const std::wstring& text, long long sent, long long total)>;

    // Blocks until every target has ended. With a scan, each run follows its camera by MAC
    // (RunFollower: never to a clone, never onto another run's address).
    static std::vector<UpgradeOutcome> Run(const std::vector<UpgradeTarget>& targets,
                                           const UpgradePlan& plan, int parallel, AdapterScan* scan,
                                           const Progress& progress);
};

}  // namespace orvex
