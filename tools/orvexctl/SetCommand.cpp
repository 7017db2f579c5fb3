#include "tools/orvexctl/SetCommand.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>

#include "fleet/AdapterScan.h"
#include "fleet/BatchSet.h"
#include "fleet/ChangeJournal.h"
#include "fleet/SetPlanFile.h"
#include "fleet/SetPlanner.h"
#include "fleet/SetReport.h"
#include "fleet/SiteLock.h"
#include "platform/CodePage.h"
#include "tools/orvexctl/SetArguments.h"
#include "tools/orvexctl/StopSignals.h"
#include "tools/orvexctl/UpgradeProgress.h"

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

std::string Report(const SetArguments& a, const std::vector<orvex::SetOutcome>& outcomes) {
    if (a.format == Format::kJson) return orvex::SetReport::Json(outcomes);
    if (a.format == Format::kCsv) return orvex::SetReport::Csv(outcomes);
    return orvex::SetReport::Text(outcomes);
}

}  // namespace

int RunSet(const Arguments& args) {
    SetArguments a;
    if (const int bad = a.Parse(args)) return bad;
    const std::atomic<int>* stop = &StopSignals::Flag();
    std::vector<orvex::SetRequestRow> rows;
    std::string error;
    if (!a.plan.empty() && !orvex::SetPlanFile::Read(a.plan, &rows, &error))
        return BadArguments(error);  // a malformed plan is refused before any search

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
        return a.output.Write(Report(a, orvex::SetReport::DryRun(jobs))) ? 0 : 1;
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

    orvex::ChangeJournal journal("orvexctl", [](const std::string& message) {
        std::cerr << "orvexctl: " << message << "; the changes go on unrecorded" << std::endl;
    });
    // Progress as upgrade shows it: on standard output with text (or with a report file),
    // on standard error with CSV; a JSON report on standard output stands alone.
    std::vector<std::string> labels;
    for (const orvex::SetJob& job : jobs)
        labels.push_back(orvex::MacText(job.camera.record) + " " + job.before.ip);
    std::FILE* progressOut = !a.output.ToFile() && a.format == Format::kCsv ? stderr : stdout;
    const bool showProgress = a.output.ToFile() || a.format != Format::kJson;
    if (a.output.ToFile()) ReportOutput::StandardOutputIsProgressOnly();
    UpgradeProgress progress(labels, progressOut, FancyTerminal(fileno(progressOut)));
    using Step = orvex::BatchSet::Step;
    std::vector<std::string> ids(jobs.size());  // of each change's journal entries
    const auto outcomes = orvex::BatchSet::Run(
        jobs, options, static_cast<int>(a.parallel), scan,
        [&](std::size_t index, Step step, orvex::SetOutcome& o) {
            std::string why;
            if (step == Step::kSending) {
                // On record before anything leaves: a run killed now still shows the change.
                ids[index] = orvex::ChangeJournal::NewId();
                const std::size_t source = jobs[index].camera.source;
                const bool written = journal.Append(
                    orvex::SetReport::SentEntry(o, source < sources.size() ? sources[source].ip : "",
                                                ids[index]),
                    &why);
                o.journal = written ? "written" : "not written: " + why;
            }
            if (step == Step::kEnded && !ids[index].empty() &&
                !journal.Append(orvex::SetReport::ResultEntry(o, ids[index]), &why) &&
                o.journal == "written") {
                o.journal = "not written: " + why + " (its result)";
            }
            if (!showProgress) return;
            const std::wstring text = step == Step::kSending ? L"sending the set request"
                                      : step == Step::kVerifying
                                          ? L"set, waiting for the camera to show it"
                                          : platform::CodePage::Utf8ToWide(o.verification);
            progress.Update(index, static_cast<int>(step) + 1, text, 0, 0, step == Step::kEnded);
        });
    progress.Finish();
    scan.Stop();
    const bool written = a.output.Write(Report(a, outcomes));
    return StopSignals::ExitStatus(orvex::SetReport::AllSucceeded(outcomes) && written ? 0 : 1);
}

}  // namespace orvexctl
