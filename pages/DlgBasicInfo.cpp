#include "pages/DlgBasicInfo.h"

#include <QComboBox>
#include <QLineEdit>
#include <QValidator>

#include "discovery/DiscoveryCodec.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "ui/IpAddressCtrl.h"
#include "ui/LimitEdit.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"

namespace orvex {
namespace {

constexpr int kAddressIds[] = {IDC_BASIC_IP, IDC_BASIC_MASK, IDC_BASIC_GATEWAY, IDC_BASIC_DNS1,
                               IDC_BASIC_DNS2};
constexpr int kAllIds[] = {IDC_BASIC_NAME_LABEL,   IDC_BASIC_NAME,
                           IDC_BASIC_PORT_LABEL,   IDC_BASIC_PORT,
                           IDC_BASIC_PORT_SPIN,    IDC_BASIC_NETWORK_LABEL,
                           IDC_BASIC_NETWORK,      IDC_BASIC_IP_LABEL,
                           IDC_BASIC_IP,           IDC_BASIC_MASK_LABEL,
                           IDC_BASIC_MASK,         IDC_BASIC_GATEWAY_LABEL,
                           IDC_BASIC_GATEWAY,      IDC_BASIC_DNS1_LABEL,
                           IDC_BASIC_DNS1,         IDC_BASIC_DNS2_LABEL,
                           IDC_BASIC_DNS2,         IDC_BASIC_UID_LABEL,
                           IDC_BASIC_UID,          IDC_BASIC_INNER_ACCESS_LABEL,
                           IDC_BASIC_INNER_ACCESS, IDC_BASIC_OPEN};
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
    if (auto* port = ItemAs<CLimitEdit>(IDC_BASIC_PORT)) {
        port->m_nMinChar = '0';
        port->m_nMaxChar = '9';
        port->setMaxLength(5);
        port->setValidator(new PortValidator(port));
    }
    for (int id : kAddressIds) ItemAs<IpAddressCtrl>(id)->SetAddress(0);
    m_addressFont = Item(IDC_BASIC_NAME)->font();
    m_addressFont.setPixelSize(18);
    m_addressFont.setWeight(QFont::DemiBold);
    for (int id : kAddressIds) ItemAs<IpAddressCtrl>(id)->SetFieldFont(m_addressFont);
    Item(IDC_BASIC_UID)->setFont(m_addressFont);
    LoadTexts();
    return true;
}

void CDlgBasicInfo::LoadTexts() {
    const std::pair<int, int> labels[] = {{IDC_BASIC_NAME_LABEL, IDS_NAME},
                                          {IDC_BASIC_PORT_LABEL, IDS_HTTP_PORT},
                                          {IDC_BASIC_NETWORK_LABEL, IDS_NETWORK},
                                          {IDC_BASIC_IP_LABEL, IDS_IP},
                                          {IDC_BASIC_MASK_LABEL, IDS_SUB_MASK},
                                          {IDC_BASIC_GATEWAY_LABEL, IDS_GATEWAY},
                                          {IDC_BASIC_DNS1_LABEL, IDS_PRIMARY_DNS},
                                          {IDC_BASIC_DNS2_LABEL, IDS_SECONDARY_DNS},
                                          {IDC_BASIC_INNER_ACCESS_LABEL, IDS_INNER_ACCESS},
                                          {IDC_BASIC_OPEN, IDS_OPEN_PAGE},
                                          {IDC_BASIC_UID_LABEL, IDS_UID}};
    for (const auto& [id, text] : labels) SetItemText(id, UiLanguage::Load(text));
    auto* mode = ItemAs<QComboBox>(IDC_BASIC_NETWORK);
    const int selected = mode->currentIndex();
    mode->clear();
    mode->addItem(UiLanguage::LoadQ(IDS_FIXED_IP), 0);
    mode->addItem(UiLanguage::LoadQ(IDS_DYNAMIC_IP), 1);
    mode->setCurrentIndex(selected);
}

void CDlgBasicInfo::ApplyNetworkMode(int index) {
    if (index != 0 && index != 1) return;
    for (int id : kAddressIds) EnableItem(id, index == 0);
}

void CDlgBasicInfo::ShowDeviceInfo(const DeviceRecord* record) {
    for (int id : kAllIds) EnableItem(id, record != nullptr);
    auto* mode = ItemAs<QComboBox>(IDC_BASIC_NETWORK);
    if (!record) {
        SetItemText(IDC_BASIC_NAME, L"");
        SetItemText(IDC_BASIC_PORT, L"0");
        mode->setCurrentIndex(-1);
        for (int id : kAddressIds) {
            EnableItem(id, false);
            ItemAs<IpAddressCtrl>(id)->SetAddress(0);
        }
        SetItemText(IDC_BASIC_UID, L"");
        SetItemText(IDC_BASIC_INNER_ACCESS, L"");
        return;
    }
    using platform::CodePage;
    SetItemText(IDC_BASIC_NAME, CodePage::Utf8FieldToWide(record->szName, sizeof(record->szName)));
    SetItemText(IDC_BASIC_PORT, std::to_wstring(record->wPort));
    mode->setCurrentIndex(record->byNetMode <= 1 ? record->byNetMode : -1);
    ApplyNetworkMode(record->byNetMode);
    SetItemText(IDC_BASIC_IP, CodePage::FieldToWide(record->szIp, sizeof(record->szIp)));
    SetItemText(IDC_BASIC_MASK,
                CodePage::FieldToWide(record->szSubMask, sizeof(record->szSubMask)));
    SetItemText(IDC_BASIC_GATEWAY,
                CodePage::FieldToWide(record->szGateway, sizeof(record->szGateway)));
    SetItemText(IDC_BASIC_DNS1,
                CodePage::FieldToWide(record->szPrimaryDns, sizeof(record->szPrimaryDns)));
    SetItemText(IDC_BASIC_DNS2,
                CodePage::FieldToWide(record->szSecondaryDns, sizeof(record->szSecondaryDns)));
    SetItemText(IDC_BASIC_UID,
                CodePage::FieldToWide(record->szDeviceId, sizeof(record->szDeviceId)));
    SetItemText(IDC_BASIC_INNER_ACCESS, WebAddress(*record));
    if (record->nMode == kModeOnvif) {
        // Shown, not edited here: where its settings are changed stands in the UID field.
        for (int id : kAllIds) {
            if (id != IDC_BASIC_INNER_ACCESS && id != IDC_BASIC_OPEN && id != IDC_BASIC_UID) EnableItem(id, false);
        }
        for (int id : kAddressIds) EnableItem(id, false);
        SetItemText(IDC_BASIC_UID, UiLanguage::Load(IDS_ONVIF_READ_ONLY));
    }
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
    SetItemText(IDC_BASIC_IP, ip);
    SetItemText(IDC_BASIC_MASK, mask);
    SetItemText(IDC_BASIC_GATEWAY, gateway);
    SetItemText(IDC_BASIC_DNS1, primaryDns);
    SetItemText(IDC_BASIC_DNS2, secondaryDns);
}

void CDlgBasicInfo::SaveToRecord(DeviceRecord& record) const {
    using platform::CodePage;
    // The name control is read-only: the camera's own bytes go back, without the white
    // space at their ends, so a name in any character set reaches the camera unchanged.
    const std::wstring shown = platform::Trim(ItemText(IDC_BASIC_NAME));
    const std::wstring own =
        platform::Trim(CodePage::Utf8FieldToWide(record.szName, sizeof(record.szName)));
    if (shown == own) {
        platform::PutFieldString(record.szName,
                                 platform::Trim(platform::FieldString(record.szName)));
    } else {
        platform::PutFieldString(record.szName, CodePage::WideToUtf8(shown));
    }
    // A port above 65535 fits no 16-bit field: the camera keeps its port rather than
    // getting a wrapped, different one.
    const int port = platform::LeadingInt(platform::Trim(ItemText(IDC_BASIC_PORT)));
    if (port >= 0 && port <= 65535) record.wPort = static_cast<std::uint16_t>(port);
    const QVariant mode = ItemAs<QComboBox>(IDC_BASIC_NETWORK)->currentData();
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
    if (id != IDC_BASIC_PORT_SPIN) return;
    Item(IDC_BASIC_PORT_SPIN)->setFocus();
    SetItemText(IDC_BASIC_PORT, StepPort(ItemText(IDC_BASIC_PORT), delta));
}

void CDlgBasicInfo::OnSelChange(int id) {
    if (id == IDC_BASIC_NETWORK)
        ApplyNetworkMode(ItemAs<QComboBox>(IDC_BASIC_NETWORK)->currentIndex());
}

void CDlgBasicInfo::OnCommand(int id) {
    if (id != IDC_BASIC_OPEN) return;  // 1 and 2 do nothing on a page
    const std::wstring address = platform::Trim(ItemText(IDC_BASIC_INNER_ACCESS));
    UiServices::Current()->ShellOpen(platform::CodePage::WideToOem(address, 127));
}

}  // namespace orvex
