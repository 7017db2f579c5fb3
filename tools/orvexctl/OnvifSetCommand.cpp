#include "tools/orvexctl/OnvifSetCommand.h"

#include <algorithm>
#include <iostream>

#include "fleet/OnvifBatchSet.h"
#include "fleet/SetPlanner.h"
#include "fleet/SetReport.h"
#include "fleet/SiteLock.h"
#include "tools/orvexctl/SetProgress.h"
#include "tools/orvexctl/StopSignals.h"

namespace orvexctl {
namespace {

std::string HostText(const orvex::OnvifTarget& t) {
    return t.host + ":" + std::to_string(t.port);
}

// A new address something outside the batch already answers at (at the camera's service
// port) would put two devices on one address: refused before anything is sent.
bool NewAddressesFree(const std::vector<orvex::SetJob>& jobs, std::string* error) {
    for (const orvex::SetJob& job : jobs) {
        if (!job.Moves()) continue;
        const bool heldInBatch = std::any_of(jobs.begin(), jobs.end(), [&](const orvex::SetJob& other) {
            return other.before.ip == job.after.ip;
        });
        if (!heldInBatch && orvex::OnvifSetCameras::Answers(job.after.ip, job.before.port, 1.0)) {
            *error = orvex::MacText(job.camera.record) + ": " + job.after.ip + " is in use (a device answers at " +
                     job.after.ip + ":" + std::to_string(job.before.port) + ")";
            return false;
        }
    }
    return true;
}

}  // namespace

int RunOnvifSet(const SetArguments& a) {
    const std::atomic<int>* stop = &StopSignals::Flag();
    orvex::OnvifLogin login;
    login.user = a.user;
    std::string error;
    if (!a.password.Resolve(a.user, a.hosts.size() == 1 ? a.hosts[0].host : "cameras", &login.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    // Each camera as it is now; one that cannot be read is not changed, nor is the batch.
    const auto read = orvex::OnvifSetCameras::Read(a.hosts, login, static_cast<int>(a.parallel), stop);
    if (StopSignals::Flag() != 0) return StopSignals::ExitStatus(1);
    bool allRead = true;
    for (const orvex::OnvifSetCamera& camera : read) {
        if (camera.read) continue;
        std::cerr << "orvexctl: " << HostText(camera.target) << ": " << camera.why << std::endl;
        allRead = false;
    }
    if (!allRead) return 1;

    const auto sources = orvex::AdapterScan::AllAdapters();
    std::vector<orvex::ScannedCamera> scanned;
    std::vector<orvex::SetRequestRow> rows;
    orvex::OnvifBatchSet::Cameras byMac;
    for (const orvex::OnvifSetCamera& camera : read) {
        scanned.push_back(orvex::OnvifSetCameras::Scanned(camera, sources));
        const std::string mac = orvex::MacText(scanned.back().record);
        rows.emplace_back(mac, a.change, "--host " + HostText(camera.target));
        byMac.emplace(mac, camera);
    }
    std::vector<orvex::SetJob> jobs;
    std::vector<std::string> notes;
    orvex::SetPlanner planner(scanned, sources);
    const bool planned = planner.Plan(rows, a.ipRange, &jobs, &notes, &error);
    for (const std::string& note : notes) std::cerr << "orvexctl: " << note << std::endl;
    if (!planned || !NewAddressesFree(jobs, &error)) return BadArguments(error);
    if (a.dryRun) return a.output.Write(SetProgress::Report(a, orvex::SetReport::DryRun(jobs))) ? 0 : 1;

    std::vector<std::string> adapters;
    for (const orvex::SetJob& job : jobs)
        adapters.push_back(job.camera.source < sources.size() && !job.camera.otherSubnet ? sources[job.camera.source].ip : "");
    // One run at a time changes the cameras reached through these adapters.
    orvex::SiteLock lock;
    std::vector<std::string> held = adapters;
    std::sort(held.begin(), held.end());
    held.erase(std::unique(held.begin(), held.end()), held.end());
    if (!lock.Acquire(held, static_cast<double>(a.lockSeconds), stop, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return StopSignals::ExitStatus(1);
    }
    orvex::SetOptions options;
    options.user = a.user;
    options.verifySeconds = a.verifySeconds;
    options.stop = stop;
    SetProgress progress(a, jobs, adapters);
    const auto outcomes = orvex::OnvifBatchSet::Run(jobs, byMac, login, options, static_cast<int>(a.parallel),
                                                    progress.Callback());
    progress.Finish();
    const bool written = a.output.Write(SetProgress::Report(a, outcomes));
    return StopSignals::ExitStatus(orvex::SetReport::AllSucceeded(outcomes) && written ? 0 : 1);
}

}  // namespace orvexctl
