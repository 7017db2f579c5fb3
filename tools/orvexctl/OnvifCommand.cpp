#include "tools/orvexctl/OnvifCommand.h"

#include <iostream>

#include "fleet/AdapterScan.h"
#include "fleet/ChangeJournal.h"
#include "fleet/OnvifBatch.h"
#include "fleet/OnvifReport.h"
#include "onvif/OnvifDiscovery.h"
#include "tools/orvexctl/CommonOptions.h"
#include "tools/orvexctl/StopSignals.h"

namespace orvexctl {
namespace {

struct OnvifOptions {
    std::string action;
    std::vector<orvex::OnvifTarget> targets;
    bool fromScan = false;
    std::vector<std::string> binds;
    bool all = false;
    bool allowPlaintext = false;
    long scanSeconds = 3;
    long parallel = 4;
    long rebootSeconds = 180;
    std::string user = "admin";
    std::string ntp;
    PasswordInput password;
    Format format = Format::kText;
    ReportOutput output;
};

int Parse(const Arguments& args, OnvifOptions* o) {
    if (args.empty() || (args[0] != "info" && args[0] != "time-sync" && args[0] != "reboot"))
        return BadArguments("onvif takes info, time-sync or reboot");
    o->action = args[0];
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto common = CommonOptions::Take(args, i, &o->format, &o->output, &o->password);
        if (common == CommonOptions::kBad) return kExitBadArguments;
        if (common == CommonOptions::kTaken) continue;
        if (arg == "--from-scan") {
            o->fromScan = true;
            continue;
        }
        if (arg == "--all") {
            o->all = true;
            continue;
        }
        if (arg == "--allow-plaintext") {
            o->allowPlaintext = true;
            continue;
        }
        if (i + 1 >= args.size() || args[i + 1].empty()) return BadArguments(arg + " needs a value");
        const std::string& value = args[++i];
        if (arg == "--host") {
            orvex::OnvifTarget target;
            if (!orvex::OnvifTarget::Parse(value, &target))
                return BadArguments("--host takes an IPv4 address (and :PORT), got '" + value + "'");
            o->targets.push_back(target);
        } else if (arg == "--bind") {
            if (!IsIpv4(value)) return BadArguments("--bind takes an IPv4 address, got '" + value + "'");
            o->binds.push_back(value);
        } else if (arg == "--user") {
            o->user = value;
        } else if (arg == "--ntp" && o->action == "time-sync") {
            o->ntp = value;
        } else if (arg == "--parallel") {
            if (!ParseInteger(value, 1, 256, &o->parallel)) return BadArguments("--parallel takes 1 to 256, got '" + value + "'");
        } else if (arg == "--scan-seconds") {
            if (!ParseInteger(value, 1, 3600, &o->scanSeconds))
                return BadArguments("--scan-seconds takes 1 to 3600, got '" + value + "'");
        } else if (arg == "--reboot-seconds" && o->action == "reboot") {
            if (!ParseInteger(value, 1, 3600, &o->rebootSeconds))
                return BadArguments("--reboot-seconds takes 1 to 3600, got '" + value + "'");
        } else {
            return BadArguments("unknown option '" + arg + "' for onvif " + o->action);
        }
    }
    if (o->targets.empty() && !o->fromScan) return BadArguments("onvif " + o->action + " needs --host H[:P] or --from-scan");
    if (o->fromScan && o->binds.empty() && !o->all) return BadArguments("--from-scan needs --bind ADDR or --all");
    return 0;
}

// The ONVIF cameras a scan finds, each at the address its replies came from.
void AddScanned(OnvifOptions* o) {
    orvex::OnvifDiscovery::Options scan;
    scan.sources = o->all ? orvex::AdapterScan::AllAdapters() : orvex::AdapterScan::ForAddresses(o->binds);
    scan.seconds = static_cast<double>(o->scanSeconds);
    orvex::OnvifDiscovery discovery(scan);
    std::string error;
    if (!discovery.Run(&StopSignals::Flag(), &error)) std::cerr << "orvexctl: " << error << std::endl;
    for (const orvex::OnvifCamera& camera : discovery.Cameras()) {
        const orvex::XAddr x = camera.xaddrs.empty() ? orvex::XAddr{} : orvex::XAddr::Parse(camera.xaddrs[0]);
        o->targets.push_back({camera.ip, camera.port, x.valid ? x.path : "/onvif/device_service"});
    }
}

}  // namespace

int RunOnvif(const Arguments& args) {
    OnvifOptions o;
    if (const int bad = Parse(args, &o)) return bad;
    if (o.fromScan) AddScanned(&o);
    if (o.targets.empty()) {
        std::cerr << "orvexctl: no ONVIF camera to work on" << std::endl;
        return StopSignals::ExitStatus(1);
    }
    orvex::OnvifBatch::Plan plan;
    plan.action = o.action == "info" ? orvex::OnvifBatch::kInfo
                  : o.action == "time-sync" ? orvex::OnvifBatch::kTimeSync
                                            : orvex::OnvifBatch::kReboot;
    plan.login.user = o.user;
    plan.login.allowPlaintext = o.allowPlaintext;
    plan.ntpServer = o.ntp;
    plan.rebootSeconds = static_cast<double>(o.rebootSeconds);
    plan.stop = &StopSignals::Flag();
    std::string error;
    if (!o.password.Resolve(o.user, o.targets.size() == 1 ? o.targets[0].host : "cameras", &plan.login.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }
    orvex::ChangeJournal journal("orvexctl", [](const std::string& message) {
        std::cerr << "orvexctl: " << message << "; the changes go on unrecorded" << std::endl;
    });
    std::vector<std::string> ids(o.targets.size()), recorded(o.targets.size());
    const auto outcomes = orvex::OnvifBatch::Run(
        o.targets, plan, static_cast<int>(o.parallel),
        [&](std::size_t i) {
            // On record before the change leaves.
            ids[i] = orvex::ChangeJournal::NewId();
            orvex::OnvifOutcome pending;
            pending.target = o.targets[i];
            std::string why;
            recorded[i] = journal.Append(orvex::OnvifReport::SentEntry(pending, o.action, ids[i]), &why)
                              ? "written"
                              : "not written: " + why;
        },
        [&](std::size_t i, orvex::OnvifOutcome& outcome) {
            if (ids[i].empty()) return;  // nothing was changed (info, or it ended before)
            std::string why;
            if (!journal.Append(orvex::OnvifReport::ResultEntry(outcome, o.action, ids[i]), &why) &&
                recorded[i] == "written")
                recorded[i] = "not written: " + why + " (its result)";
            outcome.journal = recorded[i];
        });
    std::string report;
    if (o.format == Format::kJson) report = orvex::OnvifReport::Json(outcomes, o.action);
    if (o.format == Format::kCsv) report = orvex::OnvifReport::Csv(outcomes);
    if (o.format == Format::kText) report = orvex::OnvifReport::Text(outcomes, o.action);
    const bool written = o.output.Write(report);
    bool all = true;
    for (const auto& outcome : outcomes) all = all && orvex::OnvifBatch::Succeeded(outcome);
    return StopSignals::ExitStatus(all && written ? 0 : 1);
}

}  // namespace orvexctl
