#include "tools/orvexctl/UpgradeCommand.h"

#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>

#include "fleet/AdapterScan.h"
#include "fleet/BatchUpgrade.h"
#include "fleet/ChangeJournal.h"
#include "fleet/SiteLock.h"
#include "fleet/UpgradeReport.h"
#include "platform/CodePage.h"
#include "tools/orvexctl/CommonOptions.h"
#include "tools/orvexctl/PasswordInput.h"
#include "tools/orvexctl/ReportOutput.h"
#include "tools/orvexctl/SameVersionQuestion.h"
#include "tools/orvexctl/StopSignals.h"
#include "tools/orvexctl/TargetList.h"
#include "tools/orvexctl/UpgradeProgress.h"
#include "upgrade/UpgradeHandle.h"
#include "upgrade/UpgradeLogin.h"

namespace orvexctl {
namespace {

using platform::CodePage;

struct UpgradeOptions {
    std::vector<std::string> hosts;
    std::vector<std::string> hostFiles;
    long port = 80;
    bool hasPort = false;
    bool fromScan = false;
    std::vector<std::string> binds;
    bool all = false;
    long scanSeconds = 5;
    std::string user = "admin";
    PasswordInput password;
    bool smart = false;
    std::string version, webUi, system;
    bool yes = false;
    bool force = false;
    bool reinstall = false;
    bool allowOlder = false;
    bool dryRun = false;
    std::string expectVersion;
    long parallel = 4;
    long lockSeconds = 30;
    Format format = Format::kText;
    ReportOutput output;
};

// Parses the options; 0, or the exit status of a bad argument (after its message).
int ParseUpgradeOptions(const Arguments& args, UpgradeOptions* o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const auto common = CommonOptions::Take(args, i, &o->format, &o->output, &o->password);
        if (common == CommonOptions::kBad) return kExitBadArguments;
        if (common == CommonOptions::kTaken) continue;
        static const char* const kValued[] = {"--host",     "--hosts",       "--port",  "--bind",
                                              "--user",     "--version",     "--webui", "--system",
                                              "--parallel", "--scan-seconds", "--lock-seconds",
                                              "--expect-version"};
        bool valued = false;
        for (const char* name : kValued) valued = valued || arg == name;
        if (valued) {
            if (!value || value->empty()) return BadArguments(arg + " needs a value");
            ++i;
            if (arg == "--host") o->hosts.push_back(*value);
            if (arg == "--hosts") o->hostFiles.push_back(*value);
            if (arg == "--user") o->user = *value;
            if (arg == "--version") o->version = *value;
            if (arg == "--expect-version") o->expectVersion = *value;
            if (arg == "--webui") o->webUi = *value;
            if (arg == "--system") o->system = *value;
            if (arg == "--bind") {
                if (!IsIpv4(*value))
                    return BadArguments("--bind takes an IPv4 address, got '" + *value + "'");
                o->binds.push_back(*value);
            }
            if (arg == "--port") {
                if (!ParseInteger(*value, 1, 65535, &o->port)) {
                    return BadArguments("--port takes 1 to 65535, got '" + *value + "'");
                }
                o->hasPort = true;
            }
            if (arg == "--parallel" && !ParseInteger(*value, 1, 256, &o->parallel)) {
                return BadArguments("--parallel takes 1 to 256, got '" + *value + "'");
            }
            if (arg == "--scan-seconds" && !ParseInteger(*value, 1, 3600, &o->scanSeconds)) {
                return BadArguments("--scan-seconds takes 1 to 3600, got '" + *value + "'");
            }
            if (arg == "--lock-seconds" && !ParseInteger(*value, 0, 3600, &o->lockSeconds)) {
                return BadArguments("--lock-seconds takes 0 to 3600, got '" + *value + "'");
            }
        } else if (arg == "--smart") {
            o->smart = true;
        } else if (arg == "--yes") {
            o->yes = true;
        } else if (arg == "--force") {
            o->force = true;
        } else if (arg == "--reinstall") {
            o->reinstall = true;
        } else if (arg == "--allow-older") {
            o->allowOlder = true;
        } else if (arg == "--dry-run") {
            o->dryRun = true;
        } else if (arg == "--from-scan") {
            o->fromScan = true;
        } else if (arg == "--all") {
            o->all = true;
        } else {
            return BadArguments("unknown option '" + arg + "' for upgrade");
        }
    }
    const int modes = (o->smart ? 1 : 0) + (o->webUi.empty() ? 0 : 1) + (o->system.empty() ? 0 : 1);
    if (modes != 1)
        return BadArguments("upgrade takes exactly one of --smart, --webui FILE, --system FILE");
    if (!o->smart && !o->version.empty()) return BadArguments("--version goes with --smart");
    if (o->smart && !o->expectVersion.empty())
        return BadArguments("--expect-version goes with --webui FILE or --system FILE");
    if (o->smart && o->force) return BadArguments("--force goes with --webui FILE or --system FILE");
    if (!o->smart && o->allowOlder) return BadArguments("--allow-older goes with --smart");
    const std::string& file = o->webUi.empty() ? o->system : o->webUi;
    if (!file.empty() && !orvex::FirmwarePathFits(CodePage::AnsiToWide(file))) {
        return BadArguments(
            "the firmware file's path is longer than 255 bytes; move the file to a shorter path");
    }
    if (o->hosts.empty() && o->hostFiles.empty() && !o->fromScan) {
        return BadArguments("upgrade needs --host H[:P], --hosts FILE or --from-scan");
    }
    if (o->fromScan && o->binds.empty() && !o->all)
        return BadArguments("--from-scan needs --bind ADDR or --all");
    if (!o->binds.empty() && o->all) return BadArguments("upgrade takes --bind or --all, not both");
    return 0;
}

// The report in the chosen format (text: a summary line per camera, for a batch).
std::string Report(const UpgradeOptions& o, const std::vector<orvex::UpgradeOutcome>& outcomes) {
    if (o.format == Format::kJson) return orvex::UpgradeReport::Json(outcomes);
    if (o.format == Format::kCsv) return orvex::UpgradeReport::Csv(outcomes);
    if (outcomes.size() > 1)
        return (o.output.ToFile() ? "" : "\n") + orvex::UpgradeReport::Text(outcomes);
    return o.output.ToFile() ? orvex::UpgradeReport::Text(outcomes) : "";
}

// The firmware file, read and checked before any camera is contacted; 0, or the exit
// status of a refusal (after its message).
int ReadFirmware(const UpgradeOptions& o, orvex::FirmwareFile* firmware) {
    if (o.smart) return 0;
    *firmware = orvex::FirmwareFile::Read(o.webUi.empty() ? o.system : o.webUi);
    if (firmware->Refused() == orvex::FirmwareFile::Refusal::kNone) return 0;
    if (o.force && firmware->Overridable()) {
        std::cerr << "orvexctl: " << firmware->Why() << "; sent all the same (--force)" << std::endl;
        return 0;
    }
    return BadArguments(firmware->Why() +
                        (firmware->Overridable() ? "; nothing sent (--force sends it)" : "; nothing sent"));
}

}  // namespace

int RunUpgrade(const Arguments& args) {
    UpgradeOptions o;
    if (const int bad = ParseUpgradeOptions(args, &o)) return bad;
    orvex::FirmwareFile firmware;
    if (const int refused = ReadFirmware(o, &firmware)) return refused;
    const std::atomic<int>* stop = &StopSignals::Flag();

    TargetList list(o.port);
    std::string error;
    for (const std::string& host : o.hosts) {
        if (!list.AddHost(host, &error)) return BadArguments(error);
    }
    for (const std::string& file : o.hostFiles) {
        if (!list.AddFile(file, &error)) return BadArguments(error);
    }

    // A discovery run kept going for the whole batch follows cameras by MAC.
    std::unique_ptr<orvex::AdapterScan> scan;
    orvex::SiteLock lock;
    if (o.all || !o.binds.empty()) {
        const auto sources =
            o.all ? orvex::AdapterScan::AllAdapters() : orvex::AdapterScan::ForAddresses(o.binds);
        std::vector<std::string> adapters;
        for (const orvex::ScanSource& source : sources) adapters.push_back(source.ip);
        if (!o.dryRun && !lock.Acquire(adapters, static_cast<double>(o.lockSeconds), stop, &error)) {
            std::cerr << "orvexctl: " << error << std::endl;
            return StopSignals::ExitStatus(1);
        }
        scan = std::make_unique<orvex::AdapterScan>(sources);
        scan->Start();
        if (o.fromScan || !list.Empty())
            scan->WaitAllFailed(static_cast<int>(o.scanSeconds * 1000), stop);
        for (const orvex::ScanFailure& failure : scan->Failures()) {
            std::cerr << "orvexctl: "
                      << orvex::AdapterScan::Describe(sources[failure.source], failure)
                      << std::endl;
        }
        const auto cameras = scan->Cameras();
        if (o.fromScan) list.AddScanned(cameras);
        list.FillFromScan(cameras);
    }
    std::vector<std::string> duplicates;
    const std::vector<orvex::UpgradeTarget> targets = list.Unique(&duplicates);
    for (const std::string& twice : duplicates) {
        std::cerr << "orvexctl: " << twice << " is named more than once; it is upgraded once"
                  << std::endl;
    }
    if (targets.empty()) {
        std::cerr << "orvexctl: no camera to upgrade" << std::endl;
        return StopSignals::ExitStatus(1);
    }
    if (!lock.Held()) {
        // Cameras named by address: the adapters the system would reach them through.
        std::vector<std::string> adapters;
        for (const orvex::UpgradeTarget& t : targets) {
            const std::string source = orvex::AdapterScan::RouteSource(t.host);
            if (!source.empty()) adapters.push_back(source);
        }
        if (!o.dryRun && !lock.Acquire(adapters, static_cast<double>(o.lockSeconds), stop, &error)) {
            std::cerr << "orvexctl: " << error << std::endl;
            return StopSignals::ExitStatus(1);
        }
    }

    SameVersionQuestion question(o.yes, stop);
    question.SetBatch(targets.size() > 1);
    orvex::UpgradePlan plan;
    plan.mode = o.smart            ? orvex::UpgradePlan::kSmart
                : !o.webUi.empty() ? orvex::UpgradePlan::kWebUi
                                   : orvex::UpgradePlan::kSystem;
    plan.file = o.smart ? "" : (!o.webUi.empty() ? o.webUi : o.system);
    plan.firmware = firmware;
    plan.version = o.version;
    plan.reinstall = o.reinstall;
    plan.allowOlder = o.allowOlder;
    plan.expectVersion = o.expectVersion;
    plan.dryRun = o.dryRun;
    plan.user = o.user;
    plan.stop = stop;
    plan.confirm = [&question](const std::string& host) { return question.Ask(host); };
    if (!o.password.Resolve(o.user, targets.size() == 1 ? targets[0].host : "cameras",
                            &plan.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }

    std::vector<std::string> labels;
    for (const auto& t : targets) labels.push_back(t.host + ":" + std::to_string(t.port));
    // Progress: on standard output with text (or with a report file), on standard error
    // with CSV; a JSON report on standard output stands alone.
    std::FILE* progressOut = !o.output.ToFile() && o.format == Format::kCsv ? stderr : stdout;
    const bool showProgress = o.output.ToFile() || o.format != Format::kJson;
    if (o.output.ToFile()) ReportOutput::StandardOutputIsProgressOnly();
    UpgradeProgress progress(labels, progressOut, FancyTerminal(fileno(progressOut)));
    orvex::ChangeJournal journal("orvexctl", [](const std::string& message) {
        std::cerr << "orvexctl: " << message << "; the upgrades go on unrecorded" << std::endl;
    });
    const std::string firmwareName = o.smart ? "smart" : plan.file;
    std::vector<std::string> ids(targets.size()), recorded(targets.size());
    const auto adapterOf = [&](const orvex::UpgradeTarget& t) {
        const int source = t.source;
        return scan && source >= 0 && static_cast<std::size_t>(source) < scan->Sources().size()
                   ? scan->Sources()[static_cast<std::size_t>(source)].ip
                   : orvex::AdapterScan::RouteSource(t.host);
    };
    const auto outcomes = orvex::BatchUpgrade::Run(
        targets, plan, static_cast<int>(o.parallel), scan.get(),
        [&](std::size_t index, int status, int phase, const std::wstring& text, long long sent,
            long long total) {
            std::string why;
            if (phase == orvex::BatchUpgrade::kRunStarting) {
                // On record before the camera is asked anything.
                ids[index] = orvex::ChangeJournal::NewId();
                Json::Value entry = orvex::UpgradeReport::StartEntry(
                    targets[index], adapterOf(targets[index]), firmwareName, ids[index]);
                orvex::UpgradeReport::AddFirmwareFile(entry, firmware);
                recorded[index] = journal.Append(entry, &why) ? "written" : "not written: " + why;
                return;
            }
            if (showProgress) {
                progress.Update(index, status, text, sent, total,
                                phase == orvex::BatchUpgrade::kRunEnded);
            }
        },
        [&](std::size_t index, orvex::UpgradeOutcome& outcome) {
            std::string why;
            if (ids[index].empty()) {
                outcome.journal = "not needed: nothing was sent";
                return;
            }
            if (!journal.Append(orvex::UpgradeReport::ResultEntry(outcome, firmwareName, ids[index]),
                                &why) &&
                recorded[index] == "written")
                recorded[index] = "not written: " + why + " (its result)";
            outcome.journal = recorded[index];
        });
    progress.Finish();
    if (scan) scan->Stop();

    const bool written = o.output.Write(Report(o, outcomes));
    if (o.format == Format::kText && targets.size() == 1 &&
        outcomes[0].status == orvex::kStatusComplete && !outcomes[0].verified &&
        !outcomes[0].interrupted) {
        std::cerr << "orvexctl: not verified: the camera reports version "
                  << (outcomes[0].versionAfter.empty() ? "?" : outcomes[0].versionAfter)
                  << " after the upgrade"
                  << (outcomes[0].expected.empty() ? "" : ", not " + outcomes[0].expected)
                  << std::endl;
    }
    if (targets.size() == 1 && !outcomes[0].failure.empty()) {
        std::cerr << "orvexctl: " << labels[0] << ": " << outcomes[0].failure << std::endl;
    }
    if (targets.size() == 1 && outcomes[0].unchanged && o.format == Format::kText &&
        !o.output.ToFile()) {
        std::cout << labels[0] << ": already runs " << outcomes[0].versionBefore
                  << "; nothing sent (--reinstall sends it again)" << std::endl;
    }
    if (targets.size() == 1 && outcomes[0].dryRun && o.format == Format::kText && !o.output.ToFile()) {
        std::cout << labels[0] << ": would upgrade " << outcomes[0].versionBefore << " -> "
                  << (outcomes[0].expected.empty() ? "a new version" : outcomes[0].expected)
                  << std::endl;
    }
    const int status = orvex::UpgradeReport::AllSucceeded(outcomes) && written ? 0 : 1;
    return StopSignals::ExitStatus(status);
}

}  // namespace orvexctl
