#include "tools/orvexctl/SetUidCommand.h"

#include <atomic>
#include <cstring>
#include <iostream>

#include "fleet/UpgradeReport.h"
#include "platform/CodePage.h"
#include "platform/ManualResetEvent.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"
#include "tools/orvexctl/CommonOptions.h"
#include "tools/orvexctl/PasswordInput.h"
#include "tools/orvexctl/ReportOutput.h"
#include "tools/orvexctl/StopSignals.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeHandle.h"
#include "upgrade/UpgradeLogin.h"

namespace orvexctl {
namespace {

using platform::CodePage;

std::string Narrow(const std::wstring& text) {
    return CodePage::WideToOem(text);
}

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

// The task's result code, or -1 when a stop request cut it off.
int RunTask(const orvex::CameraLogin& login, std::string* failure) {
    orvex::UpgradeTask task;
    std::memset(&task, 0, sizeof(task));
    UidRun run;
    orvex::CUpgradeHandle engine;
    engine.Prepare(2, login, task);
    engine.m_pfnTaskResult = &UidResult;
    engine.m_pResultUser = &run;
    if (!engine.InitUpgradeThread()) {
        *failure = orvex::UpgradeRun::kThreadRefused;
        return 1;
    }
    bool interrupted = false;
    while (!run.done.WaitReal(std::chrono::milliseconds(100))) {
        if (StopSignals::Flag() != 0) {
            interrupted = true;
            engine.AbortUpgrade();  // the worker ends within a moment
        }
    }
    engine.m_pfnTaskResult = nullptr;
    engine.m_pResultUser = nullptr;
    engine.StopUpgrade();
    return interrupted ? -1 : run.code.load();
}

}  // namespace

int RunSetUid(const Arguments& args) {
    std::string host, user = "admin", error;
    long port = 80;
    bool hasHost = false;
    PasswordInput password;
    Format format = Format::kText;
    ReportOutput output;
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::string* value = i + 1 < args.size() ? &args[i + 1] : nullptr;
        const auto common = CommonOptions::Take(args, i, &format, &output, &password);
        if (common == CommonOptions::kBad) return kExitBadArguments;
        if (common == CommonOptions::kTaken) continue;
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
    std::string failure;
    const int code = RunTask(login, &failure);
    if (!failure.empty()) std::cerr << "orvexctl: " << host << ": " << failure << std::endl;
    const std::string text =
        code < 0 ? "interrupted"
                 : Narrow(orvex::LoadStringText(code == 0   ? orvex::IDS_SET_UID_DONE
                                                : code == 3 ? orvex::IDS_BAD_LOGIN
                                                            : orvex::IDS_SET_UID_FAILED,
                                                orvex::kLanguageEnglish));
    const std::string uid = Narrow(accepted);
    std::string out = "result " + std::to_string(code) + " " + text + "\n";
    if (format == Format::kCsv)
        out = orvex::UpgradeReport::SetUidCsv(host, static_cast<int>(port), uid, code, text);
    if (format == Format::kJson)
        out = orvex::UpgradeReport::SetUidJson(host, static_cast<int>(port), uid, code, text);
    const bool written = output.Write(out);
    return StopSignals::ExitStatus(code == 0 && written ? 0 : 1);
}

}  // namespace orvexctl
