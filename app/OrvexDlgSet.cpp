// The main window's changes to a camera: Apply (the General page's settings) and One Key
// Set (an address on the selected adapter's network), each after a login.
#include <memory>
#include <optional>

#include "app/OrvexDlg.h"
#include "discovery/AddressSplit.h"
#include "discovery/DiscoveryCodec.h"
#include "pages/DlgBasicInfo.h"
#include "pages/DlgLogin.h"
#include "pages/WindowJournal.h"
#include "pages/WindowSiteLock.h"
#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "ui/UiServices.h"

namespace orvex {

using platform::CodePage;

bool COrvexDlg::StillShown(const DeviceRecord& camera) {
    // The camera may have left the list while the login was open: the pages were cleared
    // then, and what they show no longer belongs to it.
    return m_table.SelectedIndex() >= 0 && SameCamera(m_table.SelectedRecord(), camera);
}

std::optional<DeviceRecord> COrvexDlg::SelectedForSet() {
    const int selected = m_table.SelectedIndex();
    if (selected < 0) return std::nullopt;
    std::optional<DeviceRecord> copy = m_table.Entry(selected);
    if (copy && copy->nMode == kModeOnvif) {
        InformationBox(IDS_ONVIF_READ_ONLY);  // a native set request is not for it
        return std::nullopt;
    }
    return copy;
}

void COrvexDlg::OnApply() {
    std::optional<DeviceRecord> copy = SelectedForSet();
    if (!copy) return;
    CDlgLogin login;
    if (login.DoModal() != IDOK || !StillShown(*copy)) return;
    const DeviceRecord listed = *copy;
    if (m_basic) m_basic->SaveToRecord(*copy);
    auto block = std::make_unique<DeviceRecord>(*copy);
    CodePage::WriteField(block->szUser, sizeof(block->szUser), login.m_strAccount);
    CodePage::WriteField(block->szPassword, sizeof(block->szPassword), login.m_strPassword);
    SendSetRequest(listed, std::move(block));
}

void COrvexDlg::SendSetRequest(const DeviceRecord& camera, std::unique_ptr<DeviceRecord> block) {
    const NetCardItem* adapter = SelectedAdapter();
    const std::wstring source = adapter ? adapter->strIp : L"";
    // Not while another Orvex changes cameras here (the box says so).
    if (!WindowSiteLock::Instance().Take(CodePage::WideToUtf8(source), "set " + MacText(camera)))
        return;
    WindowJournal::Instance().SetSent(camera, *block, source);
    m_scheduler.PostSetRequest(std::move(block));
}

void COrvexDlg::OnOneKeySet() {
    std::optional<DeviceRecord> copy = SelectedForSet();
    if (!copy) return;
    if (copy->byNetMode == 1) {
        WarningBox(IDS_NOT_FIXED_IP);
        return;
    }
    if (ConfirmBox(IDS_CONFIRM_ONE_KEY_SET) != kIdOk) return;
    const NetCardItem* adapter = SelectedAdapter();
    if (!adapter) return;
    const std::wstring ip =
        OneKeyAddress(adapter->strIp, CodePage::FieldToWide(copy->szIp, sizeof(copy->szIp)));
    if (m_basic) {
        m_basic->SetNetAddresses(ip, adapter->strSubMask, adapter->strGateway,
                                 adapter->strPrimaryDns, adapter->strSecondaryDns);
    }
    CDlgLogin login;
    if (login.DoModal() != IDOK || !StillShown(*copy)) return;
    auto block = std::make_unique<DeviceRecord>(*copy);
    CodePage::WriteField(block->szUser, sizeof(block->szUser), login.m_strAccount);
    CodePage::WriteField(block->szPassword, sizeof(block->szPassword), login.m_strPassword);
    CodePage::WriteField(block->szIp, sizeof(block->szIp), ip);
    CodePage::WriteField(block->szSubMask, sizeof(block->szSubMask), adapter->strSubMask);
    CodePage::WriteField(block->szGateway, sizeof(block->szGateway), adapter->strGateway);
    CodePage::WriteField(block->szPrimaryDns, sizeof(block->szPrimaryDns), adapter->strPrimaryDns);
    CodePage::WriteField(block->szSecondaryDns, sizeof(block->szSecondaryDns),
                         adapter->strSecondaryDns);
    SendSetRequest(*copy, std::move(block));
}

}  // namespace orvex
