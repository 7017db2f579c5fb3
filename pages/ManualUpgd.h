#pragma once
#include <QColor>
#include <string>

#include "discovery/CameraLookup.h"
#include "discovery/DeviceRecord.h"
#include "fleet/FirmwareFile.h"
#include "ui/CDialog.h"
#include "ui/WorkerBox.h"
#include "upgrade/DelayFunc.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

// Uploads one Web UI or system firmware file to one camera, shows the progress in a
// status line, announces the final result in a box and then closes itself (0x7FA).
// Exit or the close box end it at once; the run is stopped and joined on destruction.
// Thread safety: the window thread starts and stops the run; the tick thread reads the
// engine, follows the camera by MAC, posts the status line and asks for the final box
// through m_boxes.
class CManualUpgd : public CDialog {
    Q_OBJECT
public:
    explicit CManualUpgd(QWidget* parent = nullptr);
    ~CManualUpgd() override;

    void LoadTexts();

    int m_nUpgradeType = 0;  // 0 Web UI firmware, 1 system firmware
    std::wstring m_strUser;
    std::wstring m_strPassword;
    DeviceRecord m_Device;
    CameraLogin m_Login{};
    UpgradeTask m_Task{};
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
    void OnOpen();
    void OnUpgrade();
    // Reads and checks the file at `path` once; false (after a box saying why) when it may
    // not be sent. The status line then names its size and SHA-256.
    bool TakeFirmware(const std::wstring& path);
    void StopManualUpgrade();
    static int OnTimerTick(void* user);

    WorkerBox m_boxes;
    std::string m_journalId;  // of the run going, in the change journal
    FirmwareFile m_firmware;  // the file chosen, as read and checked: what the upload sends
};

}  // namespace orvex
