#include "fleet/BatchUpgrade.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>

#include "fleet/AddressesInUse.h"
#include "fleet/RunFollower.h"

namespace orvex {

std::vector<UpgradeOutcome> BatchUpgrade::Run(const std::vector<UpgradeTarget>& targets,
                                              const UpgradePlan& plan, int parallel,
                                              AdapterScan* scan, const Progress& progress) {
    std::vector<UpgradeOutcome> outcomes(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        outcomes[i].target = targets[i];  // "not started" rows
    std::atomic<std::size_t> next{0};
    AddressesInUse inUse;
    const auto stopping = [&plan] { return plan.stop && plan.stop->load() != 0; };
    const auto work = [&] {
        // After a stop request no camera is handed out; the ones in flight end interrupted.
        for (std::size_t i = next++; i < targets.size() && !stopping(); i = next++) {
            RunFollower follower(scan, &inUse, targets[i].host, targets[i].port, targets[i].source);
            UpgradeRun run(targets[i], plan, scan ? &follower : nullptr,
                           [&progress, i](int status, int phase, const std::wstring& text,
                                          long long sent, long long total) {
                               if (progress) progress(i, status, phase, text, sent, total);
                           });
            outcomes[i] = run.Run();  // each run writes its own slot
            if (progress) progress(i, outcomes[i].status, kRunEnded, outcomes[i].text, 0, 0);
        }
    };
    const std::size_t workers =
        std::min<std::size_t>(targets.size(), static_cast<std::size_t>(std::max(parallel, 1)));
    std::vector<std::thread> threads;
    for (std::size_t w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // the system gives no more threads: the batch goes on with those it has
        }
    }
    if (workers > 0) work();
    for (std::thread& t : threads) t.join();
    return outcomes;
}

}  // namespace orvex
