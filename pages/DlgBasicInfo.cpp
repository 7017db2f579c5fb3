#include "pages/DlgBasicInfo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

#include "pages/LimitEdit.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "ui/IpAddressCtrl.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"

namespace orvex {
namespace {

constexpr int kAddressIds[] = {1031, 1032, 1033, 1034, 1035};
constexpr int kAllIds[] = {1037, 1025, 1038, 1029, 1028, 1039, 1030, 1040, 1031, 1041, 1032,
                           1042, 1033, 1043, 1034, 1044, 1035, 1046, 1027, 1045, 1026, 1036};
constexpr int kMaxPort = 65535;  // what a 16-bit port field holds: what is shown is what is sent

// Refuses typed text that reads as a number above kMaxPort, as the filter refuses
// characters other than digits.
class PortValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.isEmpty()) return Intermediate;
        bool ok = false;
        const int value = input.toInt(&ok);
        return ok && value >= 0 && value <= kMaxPort ? Acceptable : Invalid;
    }
};

}  // namespace

bool CDlgBasicInfo::OnInitDialog() {
    if (auto* port = ItemAs<CLimitEdit>(1029)) {
        port->m_nMinChar = '0';
        port->m_nMaxChar = '9';
        port->setMaxLength(5);
        port->setValidator(new PortValidator(port));
    }
    for (int id : kAddressIds) ItemAs<IpAddressCtrl>(id)->SetAddress(0);
    m_addressFont = Item(1025)->font();
    m_addressFont.setPixelSize(18);
    m_addressFont.setWeight(QFont::DemiBold);
    for (int id : kAddressIds) ItemAs<IpAddressCtrl>(id)->SetFieldFont(m_addressFont);
    Item(1027)->setFont(m_addressFont);
    LoadTexts();
    return true;
}

void CDlgBasicInfo::LoadTexts() {
    const std::pair<int, int> labels[] = {{1037, 132}, {1038, 133}, {1039, 134}, {1040, 135},
                                          {1041, 136}, {1042, 137}, {1043, 138}, {1044, 139},
                                          {1045, 140}, {1036, 141}, {1046, 147}};
    for (const auto& [id, text] : labels) SetItemText(id, UiLanguage::Load(text));
    auto* mode = ItemAs<QComboBox>(1030);
    const int selected = mode->currentIndex();
    mode->clear();
    mode->addItem(UiLanguage::LoadQ(149), 0);
    mode->addItem(UiLanguage::LoadQ(150), 1);
    mode->setCurrentIndex(selected);
}

void CDlgBasicInfo::ApplyNetworkMode(int index) {
    if (index != 0 && index != 1) return;
    for (int id : kAddressIds) EnableItem(id, index == 0);
}

void CDlgBasicInfo::ShowDeviceInfo(const DeviceRecord* record) {
    for (int id : kAllIds) EnableItem(id, record != nullptr);
    auto* mode = ItemAs<QComboBox>(1030);
    if (!record) {
        SetItemText(1025, L"");
        SetItemText(1029, L"0");
        mode->setCurrentIndex(-1);
        for (int id : kAddressIds) {
            EnableItem(id, false);
            ItemAs<IpAddressCtrl>(id)->SetAddress(0);
        }
        SetItemText(1027, L"");
        SetItemText(1026, L"");
        return;
    }
    using platform::CodePage;
    SetItemText(1025, CodePage::Utf8FieldToWide(record->szName, sizeof(record->szName)));
    SetItemText(1029, std::to_wstring(record->wPort));
    mode->setCurrentIndex(record->byNetMode <= 1 ? record->byNetMode : -1);
    ApplyNetworkMode(record->byNetMode);
    SetItemText(1031, CodePage::FieldToWide(record->szIp, sizeof(record->szIp)));
    SetItemText(1032, CodePage::FieldToWide(record->szSubMask, sizeof(record->szSubMask)));
    SetItemText(1033, CodePage::FieldToWide(record->szGateway, sizeof(record->szGateway)));
    SetItemText(1034, CodePage::FieldToWide(record->szPrimaryDns, sizeof(record->szPrimaryDns)));
    SetItemText(1035, CodePage::FieldToWide(record->szSecondaryDns, sizeof(record->szSecondaryDns)));
    SetItemText(1027, CodePage::FieldToWide(record->szDeviceId, sizeof(record->szDeviceId)));
    SetItemText(1026, WebAddress(*record));
}

std::wstring CDlgBasicInfo::WebAddress(const DeviceRecord& record) {
    std::wstring address =
        L"http://" + platform::CodePage::FieldToWide(record.szIp, sizeof(record.szIp));
    if (record.wPort != 80) address += L":" + std::to_wstring(record.wPort);
    return address;
}

void CDlgBasicInfo::SetNetAddresses(const std::wstring& ip, const std::wstring& mask,
                                    const std::wstring& gateway, const std::wstring& primaryDns,
                                    const std::wstring& secondaryDns) {
    SetItemText(1031, ip);
    SetItemText(1032, mask);
    SetItemText(1033, gateway);
    SetItemText(1034, primaryDns);
    SetItemText(1035, secondaryDns);
}

void CDlgBasicInfo::SaveToRecord(DeviceRecord& record) const {
    using platform::CodePage;
    // The name control is read-only: the camera's own bytes go back, without the white
    // space at their ends, so a name in any character set reaches the camera unchanged.
    const std::wstring shown = platform::Trim(ItemText(1025));
    const std::wstring own = platform::Trim(CodePage::Utf8FieldToWide(record.szName, sizeof(record.szName)));
    if (shown == own) {
        platform::PutFieldString(record.szName, platform::Trim(platform::FieldString(record.szName)));
    } else {
        platform::PutFieldString(record.szName, CodePage::WideToUtf8(shown));
    }
    // A port above 65535 fits no 16-bit field: the camera keeps its port rather than
    // getting a wrapped, different one.
    const int port = platform::LeadingInt(platform::Trim(ItemText(1029)));
    if (port >= 0 && port <= 65535) record.wPort = static_cast<std::uint16_t>(port);
    const QVariant mode = ItemAs<QComboBox>(1030)->currentData();
    if (mode.isValid()) record.byNetMode = static_cast<std::uint8_t>(mode.toInt());
    char* fields[] = {record.szIp, record.szSubMask, record.szGateway, record.szPrimaryDns,
                      record.szSecondaryDns};
    for (int i = 0; i < 5; ++i) CodePage::WriteField(fields[i], 16, ItemText(kAddressIds[i]));
}

std::wstring CDlgBasicInfo::StepPort(const std::wstring& text, int delta) {
    long value = platform::LeadingInt(text);
    if (delta == 1) ++value;
    if (delta == -1) --value;
    if (value < 0) value = 0;
    if (value > kMaxPort) value = kMaxPort;
    return std::to_wstring(value);
}

void CDlgBasicInfo::OnUpDown(int id, int delta) {
    if (id != 1028) return;
    Item(1028)->setFocus();
    SetItemText(1029, StepPort(ItemText(1029), delta));
}

void CDlgBasicInfo::OnSelChange(int id) {
    if (id == 1030) ApplyNetworkMode(ItemAs<QComboBox>(1030)->currentIndex());
}

void CDlgBasicInfo::OnCommand(int id) {
    if (id != 1036) return;  // 1 and 2 do nothing on a page
    const std::wstring address = platform::Trim(ItemText(1026));
    UiServices::Current()->ShellOpen(platform::CodePage::WideToOem(address, 127));
}

}  // namespace orvex
