#pragma once
#include "discovery/CameraLookup.h"
#include "discovery/DeviceRecord.h"
#include "resources/Resource.h"
#include "ui/CDialog.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {

// The second tab page: the selected camera's firmware version, MAC address and DDNS
// password, the manual upgrade of that camera, and the set-UID function whose controls
// are created hidden. Set UID runs on the page's own engine; its result arrives as 0x7FC.
class CDlgOtherInfo : public CDialog {
    Q_OBJECT
public:
    explicit CDlgOtherInfo(QWidget* parent = nullptr) : CDialog(IDD_OTHER_INFO, parent) {}
    // Cuts a running set-UID request off and waits for its worker.
    ~CDlgOtherInfo() override;

    // Shows the record, or clears and disables the page for none.
    void ShowDeviceInfo(const DeviceRecord* record);
    void LoadTexts();

    DeviceRecord m_DeviceInfo;
    CUpgradeHandle m_UpgradeHandle;
    CameraLookup* m_pMainDlg = nullptr;  // the main window, handed on to the manual upgrade

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    platform::LRESULT OnMessage(const platform::Message& msg) override;
    bool SwallowsEnterAndEscape() const override { return true; }

private:
    void OnManualUpgrade();
    void OnSetUid();
    // True while the page still shows this camera (same MAC and IP).
    bool StillShows(const DeviceRecord& camera) const;
    static int SetUidResultCallback(int code, void* user);
};

}  // namespace orvex
