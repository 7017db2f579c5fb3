#include "pages/ManualUpgd.h"

#include <QRadioButton>
#include <cstring>

#include "pages/PageMessages.h"
#include "pages/TickText.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeLogin.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {

CManualUpgd::CManualUpgd(QWidget* parent) : CDialog(133, parent) { SetLeftoverHandler(DeleteTickText); }

CManualUpgd::~CManualUpgd() {
    StopManualUpgrade();
    m_Timer.ReleaseTimer();
}

bool CManualUpgd::OnInitDialog() {
    ItemAs<QRadioButton>(1059)->setChecked(true);
    SetItemTextColor(1064, QColor(0, 0, 255));
    m_Timer.m_pfnTimer = &CManualUpgd::OnTimerTick;
    m_Timer.m_pUser = this;
    m_Timer.InitTimer(this);  // paused until a run starts
    LoadTexts();
    return true;
}

void CManualUpgd::LoadTexts() {
    SetWindowText(UiLanguage::Load(161));
    const std::pair<int, int> texts[] = {{1059, 162}, {1060, 163}, {1063, 164},
                                         {1062, 167}, {1, 165},    {2, 166}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
    SetItemText(1064, L"");
}

void CManualUpgd::OnCommand(int id) {
    switch (id) {
        case 1059: m_nUpgradeType = 0; break;
        case 1060: m_nUpgradeType = 1; break;
        case 1062: OnOpen(); break;
        case 1: OnUpgrade(); break;
        case 2: EndDialog(2); break;  // Exit and the close box
        default: break;
    }
}

void CManualUpgd::OnOpen() {
    const std::wstring path = UiServices::Current()->OpenFileName(L"Firmware(*.bin)|*.bin|");
    if (!path.empty()) SetItemText(1061, path);
}

void CManualUpgd::OnUpgrade() {
    SetItemText(1064, L"");
    const std::wstring path = platform::Trim(ItemText(1061));
    if (path.empty()) {
        InformationBox(168);
        return;
    }
    m_Login = UpgradeLoginFor(m_Device, m_strUser, m_strPassword);
    std::memset(&m_Task, 0, sizeof(m_Task));
    using platform::CodePage;
    if (m_nUpgradeType == 0) {
        m_Task.bUpgradeWebUi = 1;
        CodePage::WriteField(m_Task.szWebUiFile, sizeof(m_Task.szWebUiFile), path);
    } else {
        m_Task.bUpgradeSystem = 1;
        CodePage::WriteField(m_Task.szSystemFile, sizeof(m_Task.szSystemFile), path);
    }
    m_Task.nCheckMode = 1;
    m_Task.nSystemMode = 1;
    m_Upgrade.Prepare(1, m_Login, m_Task);
    m_Upgrade.InitUpgradeThread();
    if (!m_bTimerRunning) {
        m_boxes.Reopen();
        m_Timer.Resume();
        m_bTimerRunning = 1;
    }
    EnableItem(1, false);
}

void CManualUpgd::StopManualUpgrade() {
    m_boxes.Withdraw();  // the final box no longer holds the tick
    if (m_bTimerRunning) {
        m_Timer.Pause();
        m_bTimerRunning = 0;
    }
    m_Upgrade.StopUpgrade();
}

int CManualUpgd::OnTimerTick(void* user) {
    auto* dialog = static_cast<CManualUpgd*>(user);
    if (!dialog) return 0;
    const int n = dialog->m_Upgrade.TickElapsed();
    const int status = dialog->m_Upgrade.Status();
    RefreshCameraAddress(dialog->m_Login, dialog->m_Upgrade, dialog->m_pMainDlg);
    const StatusText shown = ManualStatusText(status, n, UiLanguage::Current());
    if (shown.goesOn) {
        PostTickText(dialog->Handle(), status, shown.text);
        return 0;
    }
    PostTickText(dialog->Handle(), status, L"");
    dialog->m_boxes.Show(shown.text, UiLanguage::Load(117), BoxIcon::kInformation);
    platform::WindowRegistry::Post(dialog->Handle(), kMsgCloseManualUpgd, 0, 0);
    return 1;
}

platform::LRESULT CManualUpgd::OnMessage(const platform::Message& msg) {
    if (msg.message == kMsgTickText) {
        SetItemText(1064, *TakeTickText(msg));
    } else if (msg.message == kMsgCloseManualUpgd) {
        EndDialog(1);
    }
    return 0;
}

}  // namespace orvex
