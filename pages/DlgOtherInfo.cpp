#include "pages/DlgOtherInfo.h"

#include <QPointer>
#include <cstring>

#include "pages/DlgLogin.h"
#include "pages/ManualUpgd.h"
#include "pages/PageMessages.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "platform/WindowRegistry.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeLogin.h"

namespace orvex {
namespace {

constexpr int kFactIds[] = {1050, 1051, 1052, 1053, 1046, 1047, 1048, 1049, 1054, 1055, 1056, 1057};

}  // namespace

CDlgOtherInfo::~CDlgOtherInfo() {
    m_UpgradeHandle.AbortUpgrade();
    m_UpgradeHandle.StopUpgrade();
}

bool CDlgOtherInfo::OnInitDialog() {
    LoadTexts();
    return true;
}

void CDlgOtherInfo::LoadTexts() {
    const std::pair<int, int> texts[] = {{1050, 144}, {1051, 145}, {1052, 146}, {1053, 147},
                                         {1054, 148}, {1055, 193}, {1057, 192}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
}

void CDlgOtherInfo::ShowDeviceInfo(const DeviceRecord* record) {
    for (int id : kFactIds) EnableItem(id, record != nullptr);
    if (!record) {
        m_DeviceInfo = DeviceRecord();
        for (int id : {1046, 1047, 1048, 1049}) SetItemText(id, L"");  // 1056 keeps what was typed
        return;
    }
    using platform::CodePage;
    m_DeviceInfo = *record;
    SetItemText(1046, CodePage::FieldToWide(record->szVersion, sizeof(record->szVersion)));
    SetItemText(1047, platform::Widen(MacText(*record)));
    SetItemText(1048, CodePage::FieldToWide(record->szDdnsPassword, sizeof(record->szDdnsPassword)));
    SetItemText(1049, CodePage::FieldToWide(record->szDeviceId, sizeof(record->szDeviceId)));
}

void CDlgOtherInfo::OnCommand(int id) {
    if (id == 1054) OnManualUpgrade();
    if (id == 1057) OnSetUid();  // 1 and 2 do nothing on a page
}

void CDlgOtherInfo::OnManualUpgrade() {
    QPointer<CDlgOtherInfo> alive(this);
    CDlgLogin login;
    if (login.DoModal() != 1 || !alive) return;
    // The page owns the dialog while it runs: if the page goes away first, the dialog
    // (and its run) goes with it.
    QPointer<CManualUpgd> dialog = new CManualUpgd(this);
    dialog->m_pMainDlg = m_pMainDlg;
    dialog->m_Device = m_DeviceInfo;
    dialog->m_strUser = login.m_strAccount;
    dialog->m_strPassword = login.m_strPassword;
    dialog->DoModal();
    delete dialog.data();
}

void CDlgOtherInfo::OnSetUid() {
    std::wstring uid;
    const int check = CheckUid(ItemText(1056), &uid);
    if (check != 0) {
        InformationBox(check);  // 196 empty, 197 wrong format
        return;
    }
    QPointer<CDlgOtherInfo> alive(this);
    CDlgLogin login;
    if (login.DoModal() != 1 || !alive) return;
    const CameraLogin task = SetUidLoginFor(m_DeviceInfo, login.m_strAccount, login.m_strPassword, uid);
    UpgradeTask none;
    std::memset(&none, 0, sizeof(none));
    m_UpgradeHandle.AbortUpgrade();
    m_UpgradeHandle.StopUpgrade();  // ends a task still going
    m_UpgradeHandle.Prepare(2, task, none);
    m_UpgradeHandle.m_pfnTaskResult = &CDlgOtherInfo::SetUidResultCallback;
    m_UpgradeHandle.m_pResultUser = this;
    m_UpgradeHandle.InitUpgradeThread();
    EnableItem(1057, false);
}

int CDlgOtherInfo::SetUidResultCallback(int code, void* user) {
    if (user) {
        auto* page = static_cast<CDlgOtherInfo*>(user);
        platform::WindowRegistry::Post(page->Handle(), kMsgSetUidResult, static_cast<platform::WPARAM>(code), 0);
    }
    return 0;
}

platform::LRESULT CDlgOtherInfo::OnMessage(const platform::Message& msg) {
    if (msg.message != kMsgSetUidResult) return 0;
    EnableItem(1057, true);
    const int code = static_cast<int>(msg.wParam);
    InformationBox(code == 0 ? 194 : code == 3 ? 124 : 195);
    return 0;
}

}  // namespace orvex
