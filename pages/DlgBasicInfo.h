#pragma once
#include <QFont>
#include <string>

#include "discovery/DeviceRecord.h"
#include "resources/Resource.h"
#include "ui/CDialog.h"

namespace orvex {

// The first tab page: the selected camera's name, HTTP port, network mode, five
// addresses, UID and web address. Apply reads the edited values back with SaveToRecord.
class CDlgBasicInfo : public CDialog {
    Q_OBJECT
public:
    explicit CDlgBasicInfo(QWidget* parent = nullptr) : CDialog(IDD_BASIC_INFO, parent) {}

    // Shows the record, or clears and disables the page for none.
    void ShowDeviceInfo(const DeviceRecord* record);
    void SetNetAddresses(const std::wstring& ip, const std::wstring& mask,
                         const std::wstring& gateway, const std::wstring& primaryDns,
                         const std::wstring& secondaryDns);
    // Name, port, network mode and the five addresses into the record; the rest stays.
    void SaveToRecord(DeviceRecord& record) const;
    void LoadTexts();

    // The port text after one step of the up-down control (0..65535, canonical form).
    static std::wstring StepPort(const std::wstring& text, int delta);
    // "http://" + address, and ":port" unless the port is 80.
    static std::wstring WebAddress(const DeviceRecord& record);

protected:
    bool OnInitDialog() override;
    void OnCommand(int id) override;
    void OnSelChange(int id) override;
    void OnUpDown(int id, int delta) override;
    bool SwallowsEnterAndEscape() const override { return true; }

private:
    void ApplyNetworkMode(int index);
    QFont m_addressFont;
};

}  // namespace orvex
