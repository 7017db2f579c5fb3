// bench/batch: the wall time of a batch smart upgrade of 50 virtual cameras run all at
// once (--parallel 50), against one camera upgraded alone, on the same (accelerated)
// clock and the same firmware server. The batch should take about as long as one run.
#include <chrono>
#include <cstdio>
#include <string>

#include "fleet/BatchUpgrade.h"
#include "fleet/UpgradeReport.h"
#include "platform/Clock.h"
#include "platform/NetworkIsolation.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"

namespace {

double UpgradeSeconds(int cameras, int parallel, int* verified) {
    camsim::CameraFleet fleet;
    std::vector<orvex::UpgradeTarget> targets;
    for (const camsim::CameraConfig& c : camsim::GenerateCameras(cameras, 20000)) {
        fleet.AddCamera(c);
        targets.push_back({c.ip, c.port, "", 0});
    }
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
    std::string error;
    if (!fleet.Start(&error) || !fleet.StartWeb(&error) || !firmware.Start(&error)) {
        std::fprintf(stderr, "camsim: %s\n", error.c_str());
        std::exit(1);
    }
    orvex::UpgradePlan plan;
    plan.mode = orvex::UpgradePlan::kSmart;
    plan.user = "admin";
    const auto start = std::chrono::steady_clock::now();
    const auto outcomes = orvex::BatchUpgrade::Run(targets, plan, parallel, nullptr, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    *verified = 0;
    for (const auto& o : outcomes) *verified += orvex::UpgradeReport::Verdict(o) == "verified" ? 1 : 0;
    firmware.Stop();
    fleet.Stop();
    return seconds;
}

}  // namespace

int main() {
    if (!platform::FirstRealAdapterUp().empty()) {
        std::fprintf(stderr, "refusing to run next to a real network adapter; use tests/support/run-isolated.sh\n");
        return 1;
    }
    constexpr double kScale = 20;
    platform::Clock::SetTimeScale(kScale);
    setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
    int oneVerified = 0, batchVerified = 0;
    const double one = UpgradeSeconds(1, 1, &oneVerified);
    const double batch = UpgradeSeconds(50, 50, &batchVerified);
    std::printf("clock %.0fx faster; smart upgrade, firmware server on loopback\n", kScale);
    std::printf("1 camera alone:          %.2f s (%d verified)\n", one, oneVerified);
    std::printf("50 cameras, parallel 50: %.2f s (%d verified)\n", batch, batchVerified);
    std::printf("batch / single: %.2f\n", batch / one);
    return 0;
}
