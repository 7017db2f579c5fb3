#include "fleet/BatchUpgrade.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace orvex {

std::vector<UpgradeOutcome> BatchUpgrade::Run(const std::vector<UpgradeTarget>& targets, const UpgradePlan& plan,
                                              int parallel, CameraLookup* cameras, const Progress& progress) {
    std::vector<UpgradeOutcome> outcomes(targets.size());
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < targets.size(); i = next++) {
            UpgradeRun run(targets[i], plan, cameras,
                           [&progress, i](int status, int phase, const std::wstring& text, long long sent,
                                          long long total) {
                               if (progress) progress(i, status, phase, text, sent, total);
                           });
            outcomes[i] = run.Run();  // each run writes its own slot
        }
    };
    const std::size_t workers = std::min<std::size_t>(targets.size(), static_cast<std::size_t>(std::max(parallel, 1)));
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) threads.emplace_back(work);
    if (workers > 0) work();
    for (std::thread& t : threads) t.join();
    return outcomes;
}

}  // namespace orvex
