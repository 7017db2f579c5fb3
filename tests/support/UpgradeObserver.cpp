#include "tests/support/UpgradeObserver.h"

#include <chrono>

#include "platform/Clock.h"
#include "resources/StringTable.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvextest {

UpgradeObserver::~UpgradeObserver() { Stop(); }

void UpgradeObserver::Start(const orvex::CameraLogin& login, const orvex::UpgradeTask& task,
                            orvex::CameraTable* table) {
    m_login = login;
    m_table = table;
    engine.Prepare(1, login, task);
    if (withConfirm) {
        engine.m_pfnConfirmUpgrade = &UpgradeObserver::Confirm;
        engine.m_pConfirmUser = this;
    }
    engine.InitUpgradeThread();
    m_tick.m_pfnTimer = &UpgradeObserver::Tick;
    m_tick.m_pUser = this;
    m_tick.InitTimer(this);
    m_tick.Resume();
}

bool UpgradeObserver::WaitForEnd(int seconds) {
    return m_done.Wait(static_cast<platform::DWORD>(
        seconds * 1000 * platform::Clock::TimeScale()));
}

void UpgradeObserver::Stop() {
    m_tick.Pause();
    m_tick.ReleaseTimer();
    engine.m_pfnConfirmUpgrade = nullptr;
    engine.m_pConfirmUser = nullptr;
    engine.StopUpgrade();
}

std::vector<int> UpgradeObserver::Statuses() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_statuses;
}

int UpgradeObserver::Tick(void* user) {
    auto* self = static_cast<UpgradeObserver*>(user);
    const int n = self->engine.TickElapsed();
    const int status = self->engine.Status();
    orvex::RefreshCameraAddress(self->m_login, self->engine, self->m_table);
    const orvex::StatusText text =
        self->m_smart ? orvex::SmartStatusText(status, n, L"", L"", orvex::kLanguageEnglish)
                      : orvex::ManualStatusText(status, n, orvex::kLanguageEnglish);
    {
        std::lock_guard<std::mutex> guard(self->m_lock);
        if (self->m_statuses.empty() || self->m_statuses.back() != status) {
            self->m_statuses.push_back(status);
        }
    }
    if (text.goesOn) return 0;
    self->m_done.Set();
    return 1;
}

int UpgradeObserver::Confirm(void* user) {
    auto* self = static_cast<UpgradeObserver*>(user);
    ++self->confirmAsked;
    return self->confirmAnswer;
}

}  // namespace orvextest
