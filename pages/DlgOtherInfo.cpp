#include "pages/DlgOtherInfo.h"

#include <QPointer>
#include <cstring>

#include "pages/DlgLogin.h"
#include "pages/ManualUpgd.h"
#include "pages/PageMessages.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "platform/WindowRegistry.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeLogin.h"

namespace orvex {
namespace {

constexpr int kFactIds[] = {IDC_OTHER_VERSION_LABEL, IDC_OTHER_MAC_LABEL, IDC_OTHER_DDNS_LABEL,
                            IDC_OTHER_UID_LABEL,     IDC_OTHER_VERSION,   IDC_OTHER_MAC,
                            IDC_OTHER_DDNS_PASSWORD, IDC_OTHER_UID,       IDC_MANUAL_UPGRADE,
                            IDC_SET_UID_LABEL,       IDC_SET_UID_EDIT,    IDC_SET_UID};

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
    const std::pair<int, int> texts[] = {{IDC_OTHER_VERSION_LABEL, IDS_VERSION},
                                         {IDC_OTHER_MAC_LABEL, IDS_MAC},
                                         {IDC_OTHER_DDNS_LABEL, IDS_DDNS_PASSWORD},
                                         {IDC_OTHER_UID_LABEL, IDS_UID},
                                         {IDC_MANUAL_UPGRADE, IDS_MANUAL_UPGRADE},
                                         {IDC_SET_UID_LABEL, IDS_SET_UID},
                                         {IDC_SET_UID, IDS_SET}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
}

void CDlgOtherInfo::ShowDeviceInfo(const DeviceRecord* record) {
    for (int id : kFactIds) EnableItem(id, record != nullptr);
    if (!record) {
        m_DeviceInfo = DeviceRecord();
        for (int id : {IDC_OTHER_VERSION, IDC_OTHER_MAC, IDC_OTHER_DDNS_PASSWORD, IDC_OTHER_UID})
            SetItemText(id, L"");  // the typed UID stays
        return;
    }
    using platform::CodePage;
    m_DeviceInfo = *record;
    SetItemText(IDC_OTHER_VERSION,
                CodePage::FieldToWide(record->szVersion, sizeof(record->szVersion)));
    SetItemText(IDC_OTHER_MAC, platform::Widen(MacText(*record)));
    SetItemText(IDC_OTHER_DDNS_PASSWORD,
                CodePage::FieldToWide(record->szDdnsPassword, sizeof(record->szDdnsPassword)));
    SetItemText(IDC_OTHER_UID,
                CodePage::FieldToWide(record->szDeviceId, sizeof(record->szDeviceId)));
}

void CDlgOtherInfo::OnCommand(int id) {
    if (id == IDC_MANUAL_UPGRADE) OnManualUpgrade();
    if (id == IDC_SET_UID) OnSetUid();  // 1 and 2 do nothing on a page
}

bool CDlgOtherInfo::StillShows(const DeviceRecord& camera) const {
    // The camera may have left the list while the login was open: the page was cleared
    // then, and nothing is to be sent to what it held.
    return camera.szIp[0] != '\0' && SameCamera(m_DeviceInfo, camera);
}

void CDlgOtherInfo::OnManualUpgrade() {
    const DeviceRecord shown = m_DeviceInfo;
    QPointer<CDlgOtherInfo> alive(this);
    CDlgLogin login;
    if (login.DoModal() != IDOK || !alive || !StillShows(shown)) return;
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
    const int check = CheckUid(ItemText(IDC_SET_UID_EDIT), &uid);
    if (check != 0) {
        InformationBox(check);  // IDS_UID_EMPTY or IDS_UID_BAD_FORMAT
        return;
    }
    const DeviceRecord shown = m_DeviceInfo;
    QPointer<CDlgOtherInfo> alive(this);
    CDlgLogin login;
    if (login.DoModal() != IDOK || !alive || !StillShows(shown)) return;
    const CameraLogin task =
        SetUidLoginFor(m_DeviceInfo, login.m_strAccount, login.m_strPassword, uid);
    UpgradeTask none;
    std::memset(&none, 0, sizeof(none));
    m_UpgradeHandle.AbortUpgrade();
    m_UpgradeHandle.StopUpgrade();  // ends a task still going
    m_UpgradeHandle.Prepare(2, task, none);
    m_UpgradeHandle.m_pfnTaskResult = &CDlgOtherInfo::SetUidResultCallback;
    m_UpgradeHandle.m_pResultUser = this;
    if (!m_UpgradeHandle.InitUpgradeThread()) {
        InformationBox(IDS_SET_UID_FAILED);  // no thread: nothing was sent, Set stays usable
        return;
    }
    EnableItem(IDC_SET_UID, false);
}

int CDlgOtherInfo::SetUidResultCallback(int code, void* user) {
    if (user) {
        auto* page = static_cast<CDlgOtherInfo*>(user);
        platform::WindowRegistry::Post(page->Handle(), kMsgSetUidResult,
                                       static_cast<platform::WPARAM>(code), 0);
    }
    return 0;
}

platform::LRESULT CDlgOtherInfo::OnMessage(const platform::Message& msg) {
    if (msg.message != kMsgSetUidResult) return 0;
    EnableItem(IDC_SET_UID, true);
    const int code = static_cast<int>(msg.wParam);
    InformationBox(code == 0 ? IDS_SET_UID_DONE : code == 3 ? IDS_BAD_LOGIN : IDS_SET_UID_FAILED);
    return 0;
}

}  // namespace orvex
