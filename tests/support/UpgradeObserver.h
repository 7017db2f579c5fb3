#pragma once
#include <atomic>
#include <mutex>
#include <vector>

#include "discovery/CameraTable.h"
#include "platform/ManualResetEvent.h"
#include "upgrade/DelayFunc.h"
#include "upgrade/UpgradeHandle.h"

namespace orvextest {

// Runs an engine as the upgrade dialogs do and notes the statuses its one-second tick
// sees, until the dialog's table calls a status final.
class UpgradeObserver {
public:
    // smart: the smart page's table of final statuses; otherwise the manual dialog's.
    explicit UpgradeObserver(bool smart) : m_smart(smart) {}
    ~UpgradeObserver();

    // Fills the engine, starts it and the tick; `table` follows a dynamic camera.
    void Start(const orvex::CameraLogin& login, const orvex::UpgradeTask& task,
               orvex::CameraTable* table = nullptr);
    // Waits (real seconds) for the final status; false on time-out.
    bool WaitForEnd(int seconds = 60);
    void Stop();
    std::vector<int> Statuses();

    orvex::CUpgradeHandle engine;
    // The confirm callback's answer (0 continue, 1 decline) and how often it was asked.
    std::atomic<int> confirmAnswer{0};
    std::atomic<int> confirmAsked{0};
    bool withConfirm = true;

private:
    static int Tick(void* user);
    static int Confirm(void* user);

    bool m_smart;
    orvex::CameraLogin m_login{};
    orvex::CameraTable* m_table = nullptr;
    orvex::CDelayFunc m_tick;
    std::mutex m_lock;
    std::vector<int> m_statuses;
    platform::ManualResetEvent m_done;
};

}  // namespace orvextest
