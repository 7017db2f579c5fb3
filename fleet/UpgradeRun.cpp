#include "fleet/UpgradeRun.h"

#include <cstring>

#include "fleet/FirmwareOffer.h"
#include "fleet/UpgradeDecision.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/StringTable.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {
namespace {

using platform::CodePage;

template <std::size_t N>
void Put(char (&field)[N], const std::string& text) {
    if (!text.empty()) CodePage::WriteField(field, N, CodePage::AnsiToWide(text));
}

// A run that ended on an HTTP error status says which, so a 404 reads "no such firmware".
std::wstring WithHttpStatus(std::wstring text, int status, int http) {
    if (http == 0 || status == kStatusComplete) return text;
    text += L" (HTTP " + std::to_wstring(http);
    if (http == 404 && status == kStatusServerFailed) text += L": no such firmware";
    return text + L")";
}

}  // namespace

UpgradeRun::UpgradeRun(UpgradeTarget target, const UpgradePlan& plan, CameraLookup* cameras,
                       Progress progress)
    : m_target(std::move(target)),
      m_plan(plan),
      m_cameras(cameras),
      m_progress(std::move(progress)) {
    Put(m_login.szHost, m_target.host);
    m_login.nPort = m_target.port;
    Put(m_login.szUser, plan.user);
    Put(m_login.szPassword, plan.password);
    if (!m_target.mac.empty()) {
        Put(m_login.szMac, m_target.mac);
        m_login.nNetMode = m_target.netMode;
    }
}

std::string UpgradeRun::ReadVersion(const CameraLogin& login, UpgradePlan::Mode mode) {
    CCgiOper oper;
    const std::string url = CUpgradeHandle::BuildUrl(login, 2, "get_status.cgi", false);
    std::vector<std::wstring> values;
    int result = 0, length = 0;
    const std::wstring key = mode == UpgradePlan::kWebUi ? L"app_version" : L"sys_ver";
    if (!oper.GetCgiValues(url.c_str(), 5, {key}, values, &result, &length) || values.empty())
        return "";
    const std::string version = platform::Trim(CodePage::WideToOem(values[0]));
    return version == "NotFindKey" ? "" : version;
}

bool UpgradeRun::StartThreads(UpgradeOutcome& outcome) {
    if (!m_engine.InitUpgradeThread()) {
        outcome.failure = kThreadRefused;
        return false;
    }
    outcome.started = true;
    m_tick.m_pfnTimer = &UpgradeRun::Tick;
    m_tick.m_pUser = this;
    if (!m_tick.InitTimer(this)) {
        m_engine.StopUpgrade();  // no tick would ever end it
        outcome.failure = kThreadRefused;
        return false;
    }
    m_tick.Resume();
    return true;
}

void UpgradeRun::Interrupt() {
    if (m_ended.exchange(true)) return;
    m_statusAtStop = m_engine.Status();  // what the run was doing, not the failure the abort makes
    m_interrupted = true;
    m_engine.AbortUpgrade();
    m_done.Set();
}

UpgradeOutcome UpgradeRun::Run(const std::function<void()>& starting) {
    const auto start = std::chrono::steady_clock::now();
    UpgradeOutcome outcome;
    outcome.target = m_target;
    if (m_plan.mode != UpgradePlan::kSmart) {
        outcome.firmwareFile = m_plan.file;
        outcome.firmwareBytes = m_plan.firmware.Size();
        outcome.firmwareSha256 = m_plan.firmware.Sha256();
    }
    outcome.versionBefore = ReadVersion(m_login, m_plan.mode);
    // Only questions so far: whether there is anything to do is settled before any change.
    if (!UpgradeDecision::Decide(m_plan, outcome)) {
        outcome.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return outcome;
    }
    if (starting) starting();
    // The upload sends the bytes that were checked, never the file as it is now.
    m_engine.CgiOper().Sock().SetUploadImage(m_plan.firmware.Bytes());

    UpgradeTask task;
    std::memset(&task, 0, sizeof(task));
    if (m_plan.mode == UpgradePlan::kSmart) {
        task.bUpgradeSystem = 1;
        task.nCheckMode = 2;
        task.nSystemMode = 2;
        Put(task.szVersion, m_plan.version.empty() ? outcome.versionBefore : m_plan.version);
    } else {
        task.nCheckMode = 1;
        task.nSystemMode = 1;
        (m_plan.mode == UpgradePlan::kWebUi ? task.bUpgradeWebUi : task.bUpgradeSystem) = 1;
        Put(m_plan.mode == UpgradePlan::kWebUi ? task.szWebUiFile : task.szSystemFile, m_plan.file);
    }
    m_engine.Prepare(1, m_login, task);
    if (m_plan.mode == UpgradePlan::kSmart) {
        m_engine.m_pfnConfirmUpgrade = &UpgradeRun::Confirm;
        m_engine.m_pConfirmUser = this;
    }
    if (Stopping()) {
        Interrupt();  // only the version was read
    } else if (StartThreads(outcome)) {
        // Woken a few times a second to see a stop request.
        while (!m_done.WaitReal(std::chrono::milliseconds(100))) {
            if (Stopping()) Interrupt();
        }
        m_tick.Pause();
        m_tick.ReleaseTimer();
    }
    m_engine.m_pfnConfirmUpgrade = nullptr;
    m_engine.m_pConfirmUser = nullptr;
    m_engine.StopUpgrade();

    outcome.interrupted = m_interrupted;
    outcome.status = m_interrupted ? m_statusAtStop.load() : m_final.load();
    outcome.text = m_plan.mode == UpgradePlan::kSmart
                       ? SmartStatusText(outcome.status, 0, m_engine.SysVer(),
                                         m_engine.LatestName(), kLanguageEnglish)
                             .text
                       : ManualStatusText(outcome.status, 0, kLanguageEnglish).text;
    if (outcome.status != kStatusComplete) outcome.httpStatus = m_engine.HttpErrorStatus();
    outcome.text = WithHttpStatus(outcome.text, outcome.status, outcome.httpStatus);
    if (m_plan.mode == UpgradePlan::kSmart && !m_engine.LatestName().empty()) {
        // What this run's own question to the server gave, which the camera was told.
        outcome.expected = CodePage::WideToOem(m_engine.LatestName());
        outcome.downloadUrl = FirmwareOffer::Url(CodePage::WideToOem(m_engine.DownloadServer()),
                                                 CodePage::WideToOem(m_engine.DownloadFile()));
    }
    // The engine found the version the same after all, and nobody asked for a reinstall.
    outcome.unchanged = m_declinedSame && !outcome.interrupted;
    if (outcome.started && !outcome.interrupted && outcome.status == kStatusComplete) {
        outcome.versionAfter =
            ReadVersion(m_engine.Login(), m_plan.mode);  // where the camera is now
        outcome.verified = !outcome.versionAfter.empty() &&
                           (outcome.expected.empty() ? outcome.versionAfter != outcome.versionBefore
                                                     : outcome.versionAfter == outcome.expected);
    }
    outcome.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

int UpgradeRun::Tick(void* user) {
    auto* run = static_cast<UpgradeRun*>(user);
    const int n = run->m_engine.TickElapsed();
    const int status = run->m_engine.Status();
    RefreshCameraAddress(run->m_login, run->m_engine, run->m_cameras);
    const bool smart = run->m_plan.mode == UpgradePlan::kSmart;
    StatusText shown = smart ? SmartStatusText(status, n, run->m_engine.SysVer(),
                                               run->m_engine.LatestName(), kLanguageEnglish)
                             : ManualStatusText(status, n, kLanguageEnglish);
    if (!shown.goesOn)
        shown.text = WithHttpStatus(shown.text, status, run->m_engine.HttpErrorStatus());
    CCgiSock& sock = run->m_engine.CgiOper().Sock();
    if (run->m_progress)
        run->m_progress(status, n, shown.text, sock.m_nUploadSent, sock.m_nUploadTotal);
    if (shown.goesOn) return 0;
    if (!run->m_ended.exchange(true)) {
        run->m_final = status;
        run->m_done.Set();
    }
    return 1;
}

int UpgradeRun::Confirm(void* user) {
    auto* run = static_cast<UpgradeRun*>(user);
    if (!run->m_plan.reinstall) {
        run->m_declinedSame = true;
        return 1;
    }
    const bool go = run->m_plan.confirm && run->m_plan.confirm(run->m_target.host);
    return go ? 0 : 1;
}

}  // namespace orvex
