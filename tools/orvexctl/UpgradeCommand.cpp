#include "tools/orvexctl/UpgradeCommand.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>

#include "fleet/AdapterScan.h"
#include "fleet/BatchUpgrade.h"
#include "fleet/UpgradeReport.h"
#include "platform/CodePage.h"
#include "platform/ManualResetEvent.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"
#include "tools/orvexctl/PasswordInput.h"
#include "tools/orvexctl/UpgradeProgress.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeHandle.h"
#include "upgrade/UpgradeLogin.h"

namespace orvexctl {
namespace {

using platform::CodePage;

std::string Narrow(const std::wstring& text) {
    return CodePage::WideToOem(text);
}

// "host" or "host:port"; the port defaults to `port`. False with a message when bad.
bool ParseTarget(const std::string& text, long port, orvex::UpgradeTarget* target,
                 std::string* error) {
    const std::string entry = platform::Trim(text);
    const auto colon = entry.rfind(':');
    target->host = colon == std::string::npos ? entry : entry.substr(0, colon);
    long p = port;
    if (colon != std::string::npos && !ParseInteger(entry.substr(colon + 1), 1, 65535, &p)) {
        *error = "the port of '" + entry + "' must be 1 to 65535";
        return false;
    }
    if (target->host.empty()) {
        *error = "a target needs a host, got '" + entry + "'";
        return false;
    }
    target->port = static_cast<int>(p);
    return true;
}

bool ReadTargetFile(const std::string& path, long port, std::vector<orvex::UpgradeTarget>* targets,
                    std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string entry = platform::Trim(line);
        if (entry.empty() || entry[0] == '#') continue;
        orvex::UpgradeTarget target;
        if (!ParseTarget(entry, port, &target, error)) {
            *error = path + ":" + std::to_string(number) + ": " + *error;
            return false;
        }
        targets->push_back(target);
    }
    return true;
}

// The camera's answer to the question "continue although it runs the newest version?":
// --yes answers OK, otherwise the terminal is asked (end of input answers Cancel).
class SameVersionQuestion {
public:
    explicit SameVersionQuestion(bool yes) : m_yes(yes) {}
    bool Ask(const std::string& host) {
        if (m_yes) return true;
        std::lock_guard<std::mutex> guard(m_lock);  // one question at a time
        std::fprintf(
            stderr, "%s%s [OK/Cancel]: ", m_batch ? (host + ": ").c_str() : "",
            Narrow(orvex::LoadStringText(orvex::IDS_CONFIRM_SAME_VERSION, orvex::kLanguageEnglish))
                .c_str());
        std::fflush(stderr);
        std::string answer;
        if (!std::getline(std::cin, answer)) return false;
        for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return answer == "ok" || answer == "y" || answer == "yes";
    }
    void SetBatch(bool batch) { m_batch = batch; }

private:
    bool m_yes;
    bool m_batch = false;
    std::mutex m_lock;
};

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
    long parallel = 4;
    Format format = Format::kText;
};

// Parses the options; 0, or the exit status of a bad argument (after its message).
int ParseUpgradeOptions(const Arguments& args, UpgradeOptions* o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        std::string error;
        if (TakeFormatOption(args, i, &o->format, &error)) {
            if (!error.empty()) return BadArguments(error);
            continue;
        }
        if (o->password.TakeOption(arg, value, &error)) {
            if (!error.empty()) return BadArguments(error);
            ++i;
            continue;
        }
        static const char* const kValued[] = {"--host",     "--hosts",       "--port",  "--bind",
                                              "--user",     "--version",     "--webui", "--system",
                                              "--parallel", "--scan-seconds"};
        bool valued = false;
        for (const char* name : kValued) valued = valued || arg == name;
        if (valued) {
            if (!value || value->empty()) return BadArguments(arg + " needs a value");
            ++i;
            if (arg == "--host") o->hosts.push_back(*value);
            if (arg == "--hosts") o->hostFiles.push_back(*value);
            if (arg == "--user") o->user = *value;
            if (arg == "--version") o->version = *value;
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
        } else if (arg == "--smart") {
            o->smart = true;
        } else if (arg == "--yes") {
            o->yes = true;
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

// Takes the MAC and network mode of each target from the scan (same address and port),
// so that the run can follow it when it comes back at another address.
void FillFromScan(std::vector<orvex::UpgradeTarget>& targets,
                  const std::vector<orvex::ScannedCamera>& cameras) {
    for (orvex::UpgradeTarget& target : targets) {
        for (const orvex::ScannedCamera& camera : cameras) {
            if (platform::Trim(platform::FieldString(camera.record.szIp)) == target.host &&
                camera.record.wPort == target.port) {
                target.mac = orvex::MacText(camera.record);
                target.netMode = camera.record.byNetMode;
            }
        }
    }
}

}  // namespace

int RunUpgrade(const Arguments& args) {
    UpgradeOptions o;
    if (const int bad = ParseUpgradeOptions(args, &o)) return bad;

    std::vector<orvex::UpgradeTarget> targets;
    std::string error;
    for (const std::string& host : o.hosts) {
        orvex::UpgradeTarget target;
        if (!ParseTarget(host, o.port, &target, &error)) return BadArguments(error);
        targets.push_back(target);
    }
    for (const std::string& file : o.hostFiles) {
        if (!ReadTargetFile(file, o.port, &targets, &error)) return BadArguments(error);
    }

    // A discovery run kept going for the whole batch follows cameras by MAC.
    std::unique_ptr<orvex::AdapterScan> scan;
    if (o.all || !o.binds.empty()) {
        const auto sources =
            o.all ? orvex::AdapterScan::AllAdapters() : orvex::AdapterScan::ForAddresses(o.binds);
        scan = std::make_unique<orvex::AdapterScan>(sources);
        scan->Start();
        if (o.fromScan || !targets.empty())
            scan->WaitAllFailed(static_cast<int>(o.scanSeconds * 1000));
        for (const orvex::ScanFailure& failure : scan->Failures()) {
            std::cerr << "orvexctl: "
                      << orvex::AdapterScan::Describe(sources[failure.source], failure)
                      << std::endl;
        }
        const auto cameras = scan->Cameras();
        if (o.fromScan) {
            for (const orvex::ScannedCamera& camera : cameras) {
                targets.push_back({platform::Trim(platform::FieldString(camera.record.szIp)),
                                   camera.record.wPort, orvex::MacText(camera.record),
                                   camera.record.byNetMode});
            }
        }
        FillFromScan(targets, cameras);
    }
    if (targets.empty()) {
        std::cerr << "orvexctl: no camera to upgrade" << std::endl;
        return 1;
    }

    SameVersionQuestion question(o.yes);
    question.SetBatch(targets.size() > 1);
    orvex::UpgradePlan plan;
    plan.mode = o.smart            ? orvex::UpgradePlan::kSmart
                : !o.webUi.empty() ? orvex::UpgradePlan::kWebUi
                                   : orvex::UpgradePlan::kSystem;
    plan.file = o.smart ? "" : (!o.webUi.empty() ? o.webUi : o.system);
    plan.version = o.version;
    plan.user = o.user;
    plan.confirm = [&question](const std::string& host) { return question.Ask(host); };
    if (!o.password.Resolve(o.user, targets.size() == 1 ? targets[0].host : "cameras",
                            &plan.password, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }

    std::vector<std::string> labels;
    for (const auto& t : targets) labels.push_back(t.host + ":" + std::to_string(t.port));
    std::FILE* progressOut = o.format == Format::kText ? stdout : stderr;
    UpgradeProgress progress(labels, progressOut, isatty(fileno(progressOut)) != 0);
    const auto outcomes =
        orvex::BatchUpgrade::Run(targets, plan, static_cast<int>(o.parallel), scan.get(),
                                 [&](std::size_t index, int status, int phase,
                                     const std::wstring& text, long long sent, long long total) {
                                     (void)phase;
                                     if (o.format != Format::kJson)
                                         progress.Update(index, status, text, sent, total);
                                 });
    if (scan) scan->Stop();

    std::string report;
    if (o.format == Format::kJson) report = orvex::UpgradeReport::Json(outcomes);
    if (o.format == Format::kCsv) report = orvex::UpgradeReport::Csv(outcomes);
    if (o.format == Format::kText && targets.size() > 1)
        report = "\n" + orvex::UpgradeReport::Text(outcomes);
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    if (o.format == Format::kText && targets.size() == 1 &&
        outcomes[0].status == orvex::kStatusComplete && !outcomes[0].verified) {
        std::cerr << "orvexctl: not verified: the camera reports version "
                  << (outcomes[0].versionAfter.empty() ? "?" : outcomes[0].versionAfter)
                  << " after the upgrade"
                  << (outcomes[0].expected.empty() ? "" : ", not " + outcomes[0].expected)
                  << std::endl;
    }
    return orvex::UpgradeReport::AllVerified(outcomes) ? 0 : 1;
}

namespace {

struct UidRun {
    std::atomic<int> code{1};
    platform::ManualResetEvent done;
};

int UidResult(int code, void* user) {
    auto* run = static_cast<UidRun*>(user);
    run->code = code;
    run->done.Set();
    return 0;
}

}  // namespace

int RunSetUid(const Arguments& args) {
    std::string host, user = "admin", error;
    long port = 80;
    bool hasHost = false;
    PasswordInput password;
    Format format = Format::kText;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        if (TakeFormatOption(args, i, &format, &error) || password.TakeOption(arg, value, &error)) {
            if (!error.empty()) return BadArguments(error);
            if (arg != "--format") ++i;
            continue;
        }
        if (arg == "--host" || arg == "--port" || arg == "--user") {
            if (!value) return BadArguments(arg + " needs a value");
            ++i;
            if (arg == "--host") {
                host = *value;
                hasHost = !value->empty();
            } else if (arg == "--user") {
                user = *value;
            } else if (!ParseInteger(*value, 1, 65535, &port)) {
                return BadArguments("--port takes 1 to 65535, got '" + *value + "'");
            }
            continue;
        }
        if (arg.rfind("--", 0) == 0)
            return BadArguments("unknown option '" + arg + "' for set-uid");
        rest.push_back(arg);
    }
    if (!hasHost) return BadArguments("set-uid needs --host");
    if (rest.size() != 1)
        return BadArguments("set-uid takes one UID (15 characters, a comma, 6 characters)");
    std::wstring accepted;
    const int check = orvex::CheckUid(CodePage::AnsiToWide(rest[0]), &accepted);
    if (check != 0)
        return BadArguments(Narrow(orvex::LoadStringText(check, orvex::kLanguageEnglish)));
    std::string secret;
    if (!password.Resolve(user, host, &secret, &error)) {
        std::cerr << "orvexctl: " << error << std::endl;
        return 1;
    }

    orvex::DeviceRecord device;
    platform::PutFieldString(device.szIp, host);
    device.wPort = static_cast<std::uint16_t>(port);
    const orvex::CameraLogin login = orvex::SetUidLoginFor(device, CodePage::AnsiToWide(user),
                                                           CodePage::AnsiToWide(secret), accepted);
    orvex::UpgradeTask task;
    std::memset(&task, 0, sizeof(task));
    UidRun run;
    orvex::CUpgradeHandle engine;
    engine.Prepare(2, login, task);
    engine.m_pfnTaskResult = &UidResult;
    engine.m_pResultUser = &run;
    if (!engine.InitUpgradeThread()) {
        std::cerr << "orvexctl: the task thread could not be started" << std::endl;
        return 1;
    }
    run.done.Wait();
    engine.m_pfnTaskResult = nullptr;
    engine.m_pResultUser = nullptr;
    engine.StopUpgrade();
    const int code = run.code;
    const std::string text = Narrow(orvex::LoadStringText(code == 0   ? orvex::IDS_SET_UID_DONE
                                                          : code == 3 ? orvex::IDS_BAD_LOGIN
                                                                      : orvex::IDS_SET_UID_FAILED,
                                                          orvex::kLanguageEnglish));
    const std::string uid = Narrow(accepted);
    std::string out = "result " + std::to_string(code) + " " + text + "\n";
    if (format == Format::kCsv)
        out = orvex::UpgradeReport::SetUidCsv(host, static_cast<int>(port), uid, code, text);
    if (format == Format::kJson)
        out = orvex::UpgradeReport::SetUidJson(host, static_cast<int>(port), uid, code, text);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return code == 0 ? 0 : 1;
}

}  // namespace orvexctl
