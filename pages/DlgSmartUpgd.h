#pragma once
#include <QColor>
#include <string>

#include "discovery/CameraLookup.h"
#include "discovery/DeviceRecord.h"
#include "ui/CDialog.h"
#include "ui/WorkerBox.h"
#include "upgrade/DelayFunc.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

// The third tab page: one smart upgrade of the selected camera with the account and
// password typed on the page, followed by a one-second tick that writes a time-stamped
// operation log (one line per phase; the counting phases update their line in place).
// Thread safety: the window thread starts and stops the run; the tick thread reads the
// engine, follows the camera by MAC and posts its log lines; the worker asks the
// confirmation question through m_boxes.
class CDlgSmartUpgd : public CDialog {
    Q_OBJECT
public:
    explicit CDlgSmartUpgd(QWidget* parent = nullptr);
    // Stops a run first: withdraws the question, joins the tick, then the worker.
    ~CDlgSmartUpgd() override;

    // The camera selected in the main window, or none; the button follows it unless a
    // run is going.
    void ShowDeviceInfo(const DeviceRecord* record);
    void LoadTexts();
    // Starts the worker and the tick; false when either thread cannot be started.
    bool StartSmartUpgrade();
    void StopSmartUpgrade();

    DeviceRecord m_Device;
    QColor m_crText{0, 0, 255};
    CameraLogin m_Login{};  // the tick's own copy, followed by MAC during the run
    UpgradeTask m_Task{};
    int m_bUpgrading = 0;
    CUpgradeHandle m_Upgrade;
    CDelayFunc m_Timer;
    int m_bTimerRunning = 0;
    CameraLookup* m_pMainDlg = nullptr;

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    platform::LRESULT OnMessage(const platform::Message& msg) override;
    bool SwallowsEnterAndEscape() const override { return true; }

private:
    void OnUpgradeFirmware();
    void OnHandleCloseSmartUpgd();
    void AddLogLine(int status, const std::wstring& line);
    static int ProcessTimer(void* user);
    static int ConfirmUpgradeProc(void* user);

    WorkerBox m_boxes;
    std::string m_journalId;  // of the run going, in the change journal
};

}  // namespace orvex
