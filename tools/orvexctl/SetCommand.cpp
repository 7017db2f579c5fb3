#include "tools/orvexctl/SetCommand.h"

#include <algorithm>
#include <iostream>

#include "fleet/AdapterScan.h"
#include "fleet/BatchSet.h"
#include "fleet/SetPlanFile.h"
#include "fleet/SetPlanner.h"
#include "fleet/SetReport.h"
#include "fleet/SiteLock.h"
#include "platform/CodePage.h"
#include "tools/orvexctl/OnvifSetCommand.h"
#include "tools/orvexctl/SetArguments.h"
#include "tools/orvexctl/SetProgress.h"
#include "tools/orvexctl/StopSignals.h"

namespace orvexctl {
namespace {

// The rows the options ask for: each --mac in order, or every camera found in ascending
// MAC order.
bool Rows(const SetArguments& a, const std::vector<orvex::ScannedCamera>& cameras,
          std::vector<orvex::SetRequestRow>* rows, std::string* error) {
    const auto row = [&](const std::string& mac, const std::string& where) {
        orvex::SetRequestRow r;
        r.mac = mac;
        r.change = a.change;
        r.where = where;
        rows->push_back(r);
    };
    for (const std::string& mac : a.macs) row(mac, "--mac " + mac);
    if (a.allFound) {
        std::vector<std::string> macs;
        for (const orvex::ScannedCamera& c : cameras) macs.push_back(orvex::MacText(c.record));
        std::sort(macs.begin(), macs.end());
        macs.erase(std::unique(macs.begin(), macs.end()), macs.end());
        for (const std::string& mac : macs) row(mac, "found");
        if (rows->empty()) {
            *error = "--all-found: the search found no camera";
            return false;
        }
    }
    return true;
}

// A plan's ONVIF rows (protocol onvif, host) are left to `set --protocol onvif`: noted
// and dropped; a plan with no other row is refused.
bool NativeRowsOnly(const std::string& plan, std::vector<orvex::SetRequestRow>* rows, std::string* error) {
    const auto onvif = [](const orvex::SetRequestRow& row) { return !row.onvifHost.empty(); };
    for (const orvex::SetRequestRow& row : *rows) {
        if (onvif(row))
            std::cerr << "orvexctl: " << row.where << ": an ONVIF camera, left to set --protocol onvif" << std::endl;
    }
    rows->erase(std::remove_if(rows->begin(), rows->end(), onvif), rows->end());
    if (!rows->empty()) return true;
    *error = plan + ": the plan names ONVIF cameras only: set --protocol onvif --plan " + plan;
    return false;
}

// Every --bind address must be one of this computer's own.
bool KnownAdapters(const std::vector<orvex::ScanSource>& sources) {
    const auto adapters = orvex::AdapterScan::AllAdapters();
    for (const orvex::ScanSource& source : sources) {
        const bool known = std::any_of(adapters.begin(), adapters.end(),
                                       [&](const orvex::ScanSource& s) { return s.ip == source.ip; });
        if (!known) {
            std::cerr << "orvexctl: no adapter has " << source.ip << std::endl;
            return false;
        }
    }
    return true;
}

}  // namespace

int RunSet(const Arguments& args) {
    SetArguments a;
    if (const int bad = a.Parse(args)) return bad;
    if (a.onvif) return RunOnvifSet(a);
    const std::atomic<int>* stop = &StopSignals::Flag();
    std::vector<orvex::SetRequestRow> rows;
    std::string error;
    if (!a.plan.empty() && !orvex::SetPlanFile::Read(a.plan, &rows, &error))
        return BadArguments(error);  // a malformed plan is refused before any search
    if (!a.plan.empty() && !NativeRowsOnly(a.plan, &rows, &error)) return BadArguments(error);

    const auto sources =
        a.all ? orvex::AdapterScan::AllAdapters() : orvex::AdapterScan::ForAddresses(a.binds);
    if (sources.empty()) {
        std::cerr << "orvexctl: no adapter has an IPv4 address to search from" << std::endl;
        return 1;
    }
    if (!KnownAdapters(sources)) return 1;
    // One run at a time changes the cameras of these adapters; this one sees the site as
    // the run before it left it.
    orvex::SiteLock lock;
    if (!a.dryRun) {
        std::vector<std::string> adapters;
        for (const orvex::ScanSource& source : sources) adapters.push_back(source.ip);
        if (!lock.Acquire(adapters, static_cast<double>(a.lockSeconds), stop, &error)) {
            std::cerr << "orvexctl: " << error << std::endl;
            return StopSignals::ExitStatus(1);
        }
    }
    // The search goes on for the whole batch: set requests go out through it and its
    // replies verify the cameras.
    orvex::AdapterScan scan(sources);
    scan.Start();
    scan.WaitAllFailed(static_cast<int>(a.seconds * 1000), stop);
    for (const orvex::ScanFailure& failure : scan.Failures()) {
        std::cerr << "orvexctl: " << orvex::AdapterScan::Describe(sources[failure.source], failure)
                  << std::endl;
    }
    if (StopSignals::Flag() != 0) return StopSignals::ExitStatus(1);
    const auto cameras = scan.Cameras();
    if (a.plan.empty() && !Rows(a, cameras, &rows, &error)) return BadArguments(error);

    std::vector<orvex::SetJob> jobs;
    std::vector<std::string> notes;
    orvex::SetPlanner planner(cameras, sources);
    planner.SkipMissing(a.skipMissing);
    const bool planned = planner.Plan(rows, a.ipRange, &jobs, &notes, &error);
    for (const std::string& note : notes) std::cerr << "orvexctl: " << note << std::endl;
    if (!planned) return BadArguments(error);
    if (a.dryRun) {
        scan.Stop();
        return a.output.Write(SetProgress::Report(a, orvex::SetReport::DryRun(jobs))) ? 0 : 1;
    }

    orvex::SetOptions options;
    options.user = a.user;
    options.replySeconds = a.replySeconds;
    options.verifySeconds = a.verifySeconds;
    options.stop = stop;
    const bool sends = std::any_of(jobs.begin(), jobs.end(),
                                   [](const orvex::SetJob& j) { return !j.Unchanged(); });
    if (sends && !a.password.Resolve(a.user, jobs.size() == 1 ? jobs[0].before.ip : "cameras",
                                     &options.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    // The request carries 31 bytes of each; a longer one cut short would be wrong.
    for (const auto& [what, text] : {std::pair{"account", &options.user},
                                     std::pair{"password", &options.password}}) {
        if (platform::CodePage::WideToOem(platform::CodePage::AnsiToWide(*text)).size() > 31)
            return BadArguments(std::string("the ") + what +
                                " is longer than the 31 bytes a set request carries");
    }

    std::vector<std::string> adapters;
    for (const orvex::SetJob& job : jobs) {
        const std::size_t source = job.camera.source;
        adapters.push_back(source < sources.size() ? sources[source].ip : "");
    }
    SetProgress progress(a, jobs, adapters);
    const auto outcomes =
        orvex::BatchSet::Run(jobs, options, static_cast<int>(a.parallel), scan, progress.Callback());
    progress.Finish();
    scan.Stop();
    const bool written = a.output.Write(SetProgress::Report(a, outcomes));
    return StopSignals::ExitStatus(orvex::SetReport::AllSucceeded(outcomes) && written ? 0 : 1);
}

}  // namespace orvexctl
