#pragma once
#include <atomic>
#include <cstddef>
#include <functional>

namespace orvex {

// The worker pool of the fleet commands: runs job(i) for every index in order of
// hand-out, on at most `parallel` threads (the caller's among them). After `stop` is set
// no new index is handed out. A system that refuses more threads leaves the batch going on
// with the threads it has. Blocks until every job handed out has ended.
class BatchRunner {
public:
    static void Run(std::size_t count, int parallel, const std::atomic<int>* stop,
                    const std::function<void(std::size_t)>& job);
};

}  // namespace orvex
