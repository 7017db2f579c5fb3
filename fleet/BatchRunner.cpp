#include "fleet/BatchRunner.h"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace orvex {

void BatchRunner::Run(std::size_t count, int parallel, const std::atomic<int>* stop,
                      const std::function<void(std::size_t)>& job) {
    std::atomic<std::size_t> next{0};
    const auto stopping = [stop] { return stop && stop->load() != 0; };
    const auto work = [&] {
        for (std::size_t i = next++; i < count && !stopping(); i = next++) job(i);
    };
    const std::size_t workers =
        std::min<std::size_t>(count, static_cast<std::size_t>(std::max(parallel, 1)));
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
}

}  // namespace orvex
