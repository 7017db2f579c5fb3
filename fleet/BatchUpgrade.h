#pragma once
#include <functional>
#include <vector>

#include "fleet/UpgradeRun.h"

namespace orvex {

// Upgrades many cameras, at most `parallel` at a time, each run exactly as one run of the
// upgrade dialogs (UpgradeRun); the outcomes come back in the order of the targets.
class BatchUpgrade {
public:
    // Told each second for each running camera (index into the targets); runs on that
    // camera's tick thread.
    using Progress = std::function<void(std::size_t index, int status, int phase, const std::wstring& text,
                                        long long sent, long long total)>;

    // Blocks until every target has ended. `cameras` follows cameras by MAC (may be null).
    static std::vector<UpgradeOutcome> Run(const std::vector<UpgradeTarget>& targets, const UpgradePlan& plan,
                                           int parallel, CameraLookup* cameras, const Progress& progress);
};

}  // namespace orvex
