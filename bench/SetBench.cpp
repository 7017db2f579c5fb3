// bench/set: readdressing a site over the discovery protocol. 200 virtual cameras (their
// own orvex-camsim process) each get a new address with 16 set requests outstanding at
// once, every camera verified by a later search, against one camera alone; the clock runs
// at its real speed. Reports the wall time of the set (the first search excluded) and the
// CPU time this process spent on it.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "fleet/AdapterScan.h"
#include "fleet/BatchSet.h"
#include "fleet/SetPlanner.h"
#include "platform/NetworkIsolation.h"

namespace {

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Figures {
    double wall = 0;
    double cpu = 0;
    int verified = 0;
};

Figures Readdress(int cameras, int parallel) {
    const pid_t camsim = fork();
    if (camsim == 0) {
        const std::string count = std::to_string(cameras);
        execl(ORVEX_CAMSIM, ORVEX_CAMSIM, "--count", count.c_str(), "--no-web", "--no-firmware",
              "--quiet", static_cast<char*>(nullptr));
        _exit(127);
    }
    orvex::AdapterScan scan({{"127.0.0.1", "255.0.0.0", "lo"}});
    scan.Start();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (scan.Cameras().size() < static_cast<std::size_t>(cameras) &&
           std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::vector<orvex::SetRequestRow> rows;
    for (const orvex::ScannedCamera& c : scan.Cameras())
        rows.push_back({orvex::MacText(c.record), {}, "bench"});
    orvex::SetPlanner planner(scan.Cameras(), scan.Sources());
    std::vector<orvex::SetJob> jobs;
    std::vector<std::string> notes;
    std::string error;
    Figures figures;
    if (!planner.Plan(rows, "127.5.0.1", &jobs, &notes, &error)) {
        std::fprintf(stderr, "plan: %s\n", error.c_str());
    } else {
        orvex::SetOptions options;
        options.user = "admin";
        const double cpu = CpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        const auto outcomes = orvex::BatchSet::Run(jobs, options, parallel, scan, {});
        figures.wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figures.cpu = CpuSeconds() - cpu;
        for (const auto& o : outcomes) figures.verified += o.verification == "verified" ? 1 : 0;
    }
    scan.Stop();
    kill(camsim, SIGTERM);
    waitpid(camsim, nullptr, 0);
    return figures;
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(
            stderr,
            "refusing to run next to a real network adapter; use tests/support/run-isolated.sh\n");
        return 1;
    }
    const Figures one = Readdress(1, 1);
    const Figures site = Readdress(200, 16);
    std::printf("readdress over discovery, real clock, cameras in their own process\n");
    std::printf("1 camera alone:            %.2f s wall, %.3f s CPU (%d verified)\n", one.wall,
                one.cpu, one.verified);
    std::printf("200 cameras, parallel 16:  %.2f s wall, %.3f s CPU (%d verified)\n", site.wall,
                site.cpu, site.verified);
    std::printf("site / single: %.2f\n", site.wall / one.wall);
    return 0;
}
