// bench/discovery: N virtual cameras on loopback, replies spread over 100 ms or all at
// once. Prints, per case: time from the first search to the last camera in the table,
// cameras the first search missed, and the CPU time the listener and scheduler use per
// idle second.
#include <time.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "discovery/CameraTable.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "platform/QueueWindow.h"
#include "platform/NetworkIsolation.h"
#include "tools/camsim/CameraFleet.h"

namespace {

using Steady = std::chrono::steady_clock;


double ProcessCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

struct Result {
    double lastCameraMs = -1;  // -1: not all cameras within the first search period
    std::size_t missed = 0;
    std::size_t afterSecondSearch = 0;
};

Result Measure(int cameras, unsigned spreadMs) {
    camsim::CameraFleet fleet;
    for (const auto& c : camsim::GenerateCameras(cameras)) fleet.AddCamera(c);
    fleet.SetReplySpread(spreadMs);
    std::string error;
    if (!fleet.Start(&error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        std::exit(1);
    }
    auto window = platform::QueueWindow::Create();
    orvex::NullCameraTableView view;
    orvex::CameraTable table(&view);
    orvex::CLanprobe probe;
    orvex::CUpdateThread scheduler;
    Result result;
    const auto start = Steady::now();
    orvex::DiscoveryControl::Start(probe, scheduler, L"127.0.0.1", window->Handle());
    // The second search goes out 2000 ms after the first: stop counting the first just before.
    const auto firstPeriodEnd = start + std::chrono::milliseconds(1950);
    const auto end = start + std::chrono::milliseconds(2150);
    while (Steady::now() < end) {
        auto msg = window->Queue().Wait(10);
        if (!msg) continue;
        orvex::DiscoveryControl::Handle(*msg, table);
        const auto now = Steady::now();
        if (result.lastCameraMs < 0 && now < firstPeriodEnd &&
            table.Count() == static_cast<std::size_t>(cameras)) {
            result.lastCameraMs = std::chrono::duration<double, std::milli>(now - start).count();
        }
        if (now < firstPeriodEnd) result.missed = static_cast<std::size_t>(cameras) - table.Count();
    }
    result.afterSecondSearch = table.Count();
    orvex::DiscoveryControl::Stop(probe, scheduler);
    window->Close();
    for (const auto& msg : window->Queue().TakeAll()) orvex::DiscoveryControl::Handle(msg, table);
    fleet.Stop();
    return result;
}

double IdleCpuMillisecondsPerSecond() {
    auto window = platform::QueueWindow::Create();
    orvex::CLanprobe probe;
    orvex::CUpdateThread scheduler;
    orvex::DiscoveryControl::Start(probe, scheduler, L"127.0.0.1", window->Handle());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const double before = ProcessCpuSeconds();
    const auto start = Steady::now();
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const double cpu = ProcessCpuSeconds() - before;
    const double seconds = std::chrono::duration<double>(Steady::now() - start).count();
    orvex::DiscoveryControl::Stop(probe, scheduler);
    window->Close();
    window->Queue().TakeAll();
    return cpu * 1000.0 / seconds;
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(stderr, "discovery: run me through tests/support/run-isolated.sh "
                             "(a private network namespace)\n");
        return 1;
    }
    std::printf("%-8s %-12s %-24s %-20s %s\n", "cameras", "replies", "last camera listed (ms)",
                "missed by 1st search", "listed after 2nd search");
    for (int cameras : {10, 100, 500}) {
        for (unsigned spread : {100u, 0u}) {
            const Result r = Measure(cameras, spread);
            char last[32];
            if (r.lastCameraMs < 0) {
                std::snprintf(last, sizeof(last), "not in 1st period");
            } else {
                std::snprintf(last, sizeof(last), "%.1f", r.lastCameraMs);
            }
            std::printf("%-8d %-12s %-24s %-20zu %zu\n", cameras,
                        spread ? "over 100 ms" : "all at once", last, r.missed,
                        r.afterSecondSearch);
            std::fflush(stdout);
        }
    }
    std::printf("idle CPU of listener and scheduler: %.1f ms per second\n",
                IdleCpuMillisecondsPerSecond());
    return 0;
}
