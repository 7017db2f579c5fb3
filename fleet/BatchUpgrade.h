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
    static constexpr int kRunStarting = -2;
    // Told once with the phase kRunStarting before any change is asked of a camera (index
    // into the targets; never for a camera left unchanged, refused or only looked at in a
    // dry run), on the thread that runs it; each second while it runs, on its
    // tick thread; and once more when its run has ended, with the phase kRunEnded.
    using Progress = std::function<void(std::size_t index, int status, int phase,
                                        const std::wstring& text, long long sent, long long total)>;

    // Told when a camera's run has ended, on the thread that ran it, before the kRunEnded
    // progress; the outcome may be written to (its `journal`).
    using Ended = std::function<void(std::size_t index, UpgradeOutcome& outcome)>;

    // Blocks until every target has ended. With a scan, each run follows its camera by MAC
    // (RunFollower: never to a clone, never onto another run's address).
    static std::vector<UpgradeOutcome> Run(const std::vector<UpgradeTarget>& targets,
                                           const UpgradePlan& plan, int parallel, AdapterScan* scan,
                                           const Progress& progress, const Ended& ended = {});
};

}  // namespace orvex
