#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "onvif/OnvifWatch.h"
#include "app/DiscoveryBoxes.h"
#include "discovery/CameraLookup.h"
#include "discovery/CameraTable.h"
#include "discovery/Lanprobe.h"
#include "discovery/UpdateThread.h"
#include "netcard/NetCardItem.h"
#include "ui/CDialog.h"

namespace orvex {

class CameraListView;
class CDlgBasicInfo;
class CDlgOtherInfo;
class CDlgSmartUpgd;

// The main window: the computer's adapters, the camera list found on the chosen one, the
// pages of the selected camera and the commands Export, One Key Set, Find, Apply and Close.
// It owns the discovery threads, which reach it only through posted messages.
class COrvexDlg : public CDialog, public CameraLookup {
    Q_OBJECT
public:
    explicit COrvexDlg(QWidget* parent = nullptr);
    ~COrvexDlg() override;

    bool StartDiscovery(const std::wstring& ip);
    void StopDiscovery();
    void ShowCameraCount(std::size_t count);
    void ShowCamera(const DeviceRecord* record);
    void ApplyLanguage();
    // Where the camera with this MAC text is now; callable from any thread.
    bool FindCameraByMac(const std::string& mac, std::string* ip, int* port) override;

    // The pages' controls come right after the tab control.
    std::vector<TabStop> TabStops() const override;

    CameraTable& Table() { return m_table; }
    CDlgBasicInfo* BasicPage() const { return m_basic.get(); }
    CDlgOtherInfo* OtherPage() const { return m_other.get(); }
    CDlgSmartUpgd* SmartPage() const { return m_smart.get(); }
    CUpdateThread& Scheduler() { return m_scheduler; }
    const std::vector<NetCardItem>& Adapters() const { return m_adapters; }

    // Commands, as the buttons and the list run them.
    void OnApply();
    void OnOneKeySet();
    void OnFind();
    void OnExport();
    void OnListClick();
    void OnListDoubleClick();
    void OnAdapterChange();
    void OnLanguageChange();
    void OnTabChange();
    void ShowAbout();

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnOK() override { OnApply(); }
    void OnSelChange(int id) override;
    void OnNotify(int id, Notify code) override;
    platform::LRESULT OnMessage(const platform::Message& msg) override;
    void OnMessagesDrained() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void FillAdapterPanel();
    void FillAddressEdits(const NetCardItem& item);
    void PlacePages();
    int FirstSelectedRow() const;
    const NetCardItem* SelectedAdapter() const;
    // True while the pages still show this camera (same MAC and IP) as selected.
    bool StillShown(const DeviceRecord& camera);
    // The selected camera, when a native set request may go to it (an ONVIF one: a box).
    std::optional<DeviceRecord> SelectedForSet();
    // Hands the block to the scheduler, noted in the change journal against `camera`.
    void SendSetRequest(const DeviceRecord& camera, std::unique_ptr<DeviceRecord> block);

    std::vector<NetCardItem> m_adapters;
    std::unique_ptr<CameraListView> m_view;
    CameraTable m_table;
    CLanprobe m_prober;
    CUpdateThread m_scheduler;
    OnvifWatch m_onvif;  // ONVIF cameras of the same adapter, beside the native ones
    std::unique_ptr<CDlgBasicInfo> m_basic;
    std::unique_ptr<CDlgOtherInfo> m_other;
    std::unique_ptr<CDlgSmartUpgd> m_smart;
    std::wstring m_aboutText;
    DiscoveryBoxes m_boxes;
};

}  // namespace orvex
