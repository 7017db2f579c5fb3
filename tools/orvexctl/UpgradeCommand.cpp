#include "tools/orvexctl/UpgradeCommand.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/CodePage.h"
#include "platform/ManualResetEvent.h"
#include "resources/StringTable.h"
#include "upgrade/DelayFunc.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeHandle.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvexctl {
namespace {

using platform::CodePage;

struct Target {
    std::string host;
    long port = 80;
    std::string user;
    std::string password;
    bool hasHost = false;
    bool hasPort = false;
};

std::string Narrow(const std::wstring& text) { return CodePage::WideToOem(text); }

template <std::size_t N>
void PutIfNotEmpty(char (&field)[N], const std::string& text) {
    if (!text.empty()) CodePage::WriteField(field, N, CodePage::AnsiToWide(text));
}

// Takes --host, --port, --user and --password; false with a message on a bad value.
bool TakeTargetOption(const Arguments& args, std::size_t& i, Target* target, std::string* error) {
    const std::string& arg = args[i];
    if (arg != "--host" && arg != "--port" && arg != "--user" && arg != "--password") return false;
    if (i + 1 >= args.size()) {
        *error = arg + " needs a value";
        return true;
    }
    const std::string& value = args[++i];
    if (arg == "--host") {
        target->host = value;
        target->hasHost = !value.empty();
    } else if (arg == "--port") {
        if (!ParseInteger(value, 1, 65535, &target->port)) *error = "--port takes 1 to 65535, got '" + value + "'";
        target->hasPort = true;
    } else if (arg == "--user") {
        target->user = value;
    } else {
        target->password = value;
    }
    return true;
}

orvex::CameraLogin LoginOf(const Target& target) {
    orvex::CameraLogin login;
    std::memset(&login, 0, sizeof(login));
    PutIfNotEmpty(login.szHost, target.host);
    login.nPort = static_cast<int>(target.port);
    PutIfNotEmpty(login.szUser, target.user);
    PutIfNotEmpty(login.szPassword, target.password);
    return login;
}

struct UpgradeRun {
    orvex::CUpgradeHandle engine;
    bool smart = false;
    bool yes = false;
    int lastShown = 0x7FFFFFFF;
    std::atomic<int> finalStatus{0};
    platform::ManualResetEvent done;
};

int ConfirmUpgrade(void* user) {
    auto* run = static_cast<UpgradeRun*>(user);
    if (run->yes) return 0;
    std::fprintf(stderr, "%s [OK/Cancel]: ",
                 Narrow(orvex::LoadStringText(190, orvex::kLanguageEnglish)).c_str());
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return 1;  // end of input: Cancel
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "ok" || answer == "y" || answer == "yes" ? 0 : 1;
}

// The one-second tick, as the dialogs run it.
int Tick(void* user) {
    auto* run = static_cast<UpgradeRun*>(user);
    const int n = run->engine.TickElapsed();
    const int status = run->engine.Status();
    const orvex::StatusText shown =
        run->smart ? orvex::SmartStatusText(status, n, run->engine.SysVer(), run->engine.LatestName(),
                                            orvex::kLanguageEnglish)
                   : orvex::ManualStatusText(status, n, orvex::kLanguageEnglish);
    if (status != run->lastShown) {
        run->lastShown = status;
        std::printf("status %d%s%s\n", status, shown.text.empty() ? "" : " ", Narrow(shown.text).c_str());
        std::fflush(stdout);
    }
    if (shown.goesOn) return 0;
    run->finalStatus = status;
    run->done.Set();
    return 1;
}

}  // namespace

int RunUpgrade(const Arguments& args) {
    Target target;
    std::string version, webUi, system, error;
    bool smart = false;
    bool yes = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeTargetOption(args, i, &target, &error)) {
            if (!error.empty()) return BadArguments(error);
            continue;
        }
        const std::string& arg = args[i];
        if (arg == "--smart") {
            smart = true;
        } else if (arg == "--yes") {
            yes = true;
        } else if (arg == "--version" || arg == "--webui" || arg == "--system") {
            if (i + 1 >= args.size() || args[i + 1].empty()) return BadArguments(arg + " needs a value");
            (arg == "--version" ? version : arg == "--webui" ? webUi : system) = args[++i];
        } else {
            return BadArguments("unknown option '" + arg + "' for upgrade");
        }
    }
    if (!target.hasHost || !target.hasPort) return BadArguments("upgrade needs --host and --port");
    const int modes = (smart ? 1 : 0) + (webUi.empty() ? 0 : 1) + (system.empty() ? 0 : 1);
    if (modes != 1) return BadArguments("upgrade takes exactly one of --smart, --webui FILE, --system FILE");
    if (smart && version.empty()) return BadArguments("--smart needs --version V (the camera's firmware version)");
    if (!smart && !version.empty()) return BadArguments("--version goes with --smart");

    orvex::UpgradeTask task;
    std::memset(&task, 0, sizeof(task));
    if (smart) {
        task.bUpgradeSystem = 1;
        task.nCheckMode = 2;
        task.nSystemMode = 2;
        PutIfNotEmpty(task.szVersion, version);
    } else {
        task.nCheckMode = 1;
        task.nSystemMode = 1;
        task.bUpgradeWebUi = webUi.empty() ? 0 : 1;
        task.bUpgradeSystem = system.empty() ? 0 : 1;
        PutIfNotEmpty(task.szWebUiFile, webUi);
        PutIfNotEmpty(task.szSystemFile, system);
    }
    UpgradeRun run;
    run.smart = smart;
    run.yes = yes;
    run.engine.Prepare(1, LoginOf(target), task);
    if (smart) {
        run.engine.m_pfnConfirmUpgrade = &ConfirmUpgrade;
        run.engine.m_pConfirmUser = &run;
    }
    run.engine.InitUpgradeThread();
    orvex::CDelayFunc tick;
    tick.m_pfnTimer = &Tick;
    tick.m_pUser = &run;
    tick.InitTimer(&run);
    tick.Resume();
    run.done.Wait();
    tick.ReleaseTimer();
    run.engine.m_pfnConfirmUpgrade = nullptr;
    run.engine.m_pConfirmUser = nullptr;
    run.engine.StopUpgrade();
    return run.finalStatus == orvex::kStatusComplete ? 0 : 1;
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
    Target target;
    std::string error;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (TakeTargetOption(args, i, &target, &error)) {
            if (!error.empty()) return BadArguments(error);
            continue;
        }
        if (args[i].rfind("--", 0) == 0) return BadArguments("unknown option '" + args[i] + "' for set-uid");
        rest.push_back(args[i]);
    }
    if (!target.hasHost || !target.hasPort) return BadArguments("set-uid needs --host and --port");
    if (rest.size() != 1) return BadArguments("set-uid takes one UID (15 characters, a comma, 6 characters)");
    std::wstring accepted;
    const int check = orvex::CheckUid(CodePage::AnsiToWide(rest[0]), &accepted);
    if (check != 0) return BadArguments(Narrow(orvex::LoadStringText(check, orvex::kLanguageEnglish)));

    orvex::CameraLogin login = LoginOf(target);
    PutIfNotEmpty(login.szDeviceId, Narrow(accepted));
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
    const int message = code == 0 ? 194 : code == 3 ? 124 : 195;
    std::printf("result %d %s\n", code, Narrow(orvex::LoadStringText(message, orvex::kLanguageEnglish)).c_str());
    return code == 0 ? 0 : 1;
}

}  // namespace orvexctl
