#include "tools/orvexctl/OnvifSetCommand.h"

#include <algorithm>
#include <iostream>

#include "fleet/OnvifBatchSet.h"
#include "fleet/SetPlanFile.h"
#include "fleet/SetPlanner.h"
#include "fleet/SetReport.h"
#include "fleet/SiteLock.h"
#include "tools/orvexctl/SetProgress.h"
#include "tools/orvexctl/StopSignals.h"

namespace orvexctl {
namespace {

// One camera the run is asked for: by --host with the options' change, or by a plan's row.
struct Wanted {
    orvex::OnvifTarget target;
    orvex::SetRequestRow row;  // its MAC, when given, is the one the device must report
};

// The cameras named by --host, or the plan's ONVIF rows (its native rows are noted and
// left to a native run). A device service named twice is refused.
bool WantedCameras(const SetArguments& a, std::vector<Wanted>* wanted, std::string* error) {
    if (a.plan.empty()) {
        for (const orvex::OnvifTarget& target : a.hosts)
            wanted->push_back({target, orvex::SetRequestRow("", a.change, "--host " + target.Text())});
    } else {
        std::vector<orvex::SetRequestRow> rows;
        if (!orvex::SetPlanFile::Read(a.plan, &rows, error)) return false;
        for (const orvex::SetRequestRow& row : rows) {
            orvex::OnvifTarget target;
            if (row.onvifHost.empty() || !orvex::OnvifTarget::Parse(row.onvifHost, &target)) {
                std::cerr << "orvexctl: " << row.where << ": a native camera, left to a native set" << std::endl;
                continue;
            }
            wanted->push_back({target, row});
        }
        if (wanted->empty()) {
            *error = a.plan + ": the plan names no ONVIF camera (a row with protocol onvif and host)";
            return false;
        }
    }
    for (std::size_t i = 0; i < wanted->size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if ((*wanted)[j].target.Text() != (*wanted)[i].target.Text()) continue;
            *error = (*wanted)[i].row.where + ": " + (*wanted)[i].target.Text() + " is named twice";
            return false;
        }
    }
    return true;
}

// A plan row's MAC must be the device's; its port is the device service's and cannot be
// changed through it; its name is the device's scope, not a setting (noted, left alone).
bool RowFitsDevice(orvex::SetRequestRow& row, const orvex::OnvifSetCamera& camera, const std::string& mac,
                   std::string* error) {
    if (!row.mac.empty() && orvex::SetPlanner::NormalMac(row.mac) != orvex::SetPlanner::NormalMac(mac)) {
        *error = row.where + ": the device at " + camera.target.Text() + " reports MAC " + mac + ", not " + row.mac;
        return false;
    }
    if (row.change.port && *row.change.port != camera.target.port) {
        *error = row.where + ": an ONVIF camera's port is its device service's; set cannot change it";
        return false;
    }
    if (row.change.name) {
        std::cerr << "orvexctl: " << row.where << ": an ONVIF camera's name is not changed by set (left as it is)"
                  << std::endl;
        row.change.name.reset();
    }
    row.change.port.reset();
    row.mac = mac;
    return true;
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
    login.allowPlaintext = a.allowPlaintext;
    std::string error;
    std::vector<Wanted> wanted;
    if (!WantedCameras(a, &wanted, &error)) return BadArguments(error);
    std::vector<orvex::OnvifTarget> targets;
    for (const Wanted& w : wanted) targets.push_back(w.target);
    if (!a.password.Resolve(a.user, targets.size() == 1 ? targets[0].host : "cameras", &login.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    // Each camera as it is now; one that cannot be read is not changed, nor is the batch.
    const auto read = orvex::OnvifSetCameras::Read(targets, login, static_cast<int>(a.parallel), stop);
    if (StopSignals::Flag() != 0) return StopSignals::ExitStatus(1);
    bool allRead = true;
    for (const orvex::OnvifSetCamera& camera : read) {
        if (camera.read) continue;
        std::cerr << "orvexctl: " << camera.target.Text() << ": " << camera.why << std::endl;
        allRead = false;
    }
    if (!allRead) return 1;

    const auto sources = orvex::AdapterScan::AllAdapters();
    std::vector<orvex::ScannedCamera> scanned;
    std::vector<orvex::SetRequestRow> rows;
    orvex::OnvifBatchSet::Cameras byMac;
    for (std::size_t i = 0; i < read.size(); ++i) {
        scanned.push_back(orvex::OnvifSetCameras::Scanned(read[i], sources));
        const std::string mac = orvex::MacText(scanned.back().record);
        rows.push_back(wanted[i].row);
        if (!RowFitsDevice(rows.back(), read[i], mac, &error)) return BadArguments(error);
        if (!byMac.emplace(mac, read[i]).second)
            return BadArguments(rows.back().where + ": " + mac + " answers at two of the addresses named");
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
