#include "pages/DlgSmartUpgd.h"

#include <QListWidget>
#include <cstring>

#include "cgi/TraceMsg.h"
#include "pages/PageMessages.h"
#include "pages/TickText.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "ui/UiLanguage.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeLogin.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {
namespace {

bool IsCountingStatus(int status) {
    return status == kStatusWebUiUploading || status == kStatusWebUiRebooting ||
           status == kStatusSystemUpgrading || status == kStatusSystemRebooting;
}

}  // namespace

CDlgSmartUpgd::CDlgSmartUpgd(QWidget* parent) : CDialog(132, parent) {
    SetLeftoverHandler(DeleteTickText);
}

CDlgSmartUpgd::~CDlgSmartUpgd() { StopSmartUpgrade(); }

bool CDlgSmartUpgd::OnInitDialog() {
    SetItemText(1067, L"admin");
    SetItemText(1068, L"470319");
    SetItemTextColor(1066, m_crText);
    SetItemTextColor(1073, m_crText);
    LoadTexts();
    return true;
}

void CDlgSmartUpgd::LoadTexts() {
    SetItemText(1065, L"    " + UiLanguage::Load(178));
    SetItemText(1066, L"    " + UiLanguage::Load(179));
    const std::pair<int, int> texts[] = {{1070, 180}, {1071, 181}, {1069, 182}, {1072, 183}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
}

void CDlgSmartUpgd::ShowDeviceInfo(const DeviceRecord* record) {
    m_Device = record ? *record : DeviceRecord();
    if (!m_bUpgrading) EnableItem(1069, record != nullptr);
}

void CDlgSmartUpgd::OnCommand(int id) {
    if (id == 1069) OnUpgradeFirmware();  // 1 and 2 do nothing on a page
}

void CDlgSmartUpgd::OnUpgradeFirmware() {
    ItemAs<QListWidget>(1073)->clear();
    const std::wstring account = platform::Trim(ItemText(1067));
    const std::wstring password = platform::Trim(ItemText(1068));
    m_Login = UpgradeLoginFor(m_Device, account, password);
    std::memset(&m_Task, 0, sizeof(m_Task));
    m_Task.bUpgradeSystem = 1;
    m_Task.bUpgradeWebUi = 0;
    platform::CodePage::WriteField(m_Task.szVersion, sizeof(m_Task.szVersion),
                                   platform::CodePage::FieldToWide(m_Device.szVersion, sizeof(m_Device.szVersion)));
    m_Task.nCheckMode = 2;
    m_Task.nSystemMode = 2;
    m_Upgrade.Prepare(1, m_Login, m_Task);
    StartSmartUpgrade();
    EnableItem(1069, false);
}

void CDlgSmartUpgd::StartSmartUpgrade() {
    m_boxes.Reopen();
    m_Upgrade.m_pfnConfirmUpgrade = &CDlgSmartUpgd::ConfirmUpgradeProc;
    m_Upgrade.m_pConfirmUser = this;
    m_Upgrade.CgiOper().Sock().ClearAbort();
    m_Upgrade.InitUpgradeThread();
    if (!m_bTimerRunning) {
        m_Timer.m_pfnTimer = &CDlgSmartUpgd::ProcessTimer;
        m_Timer.m_pUser = this;
        m_Timer.InitTimer(this);
        m_Timer.Resume();
        m_bTimerRunning = 1;
    }
    m_bUpgrading = 1;
}

void CDlgSmartUpgd::StopSmartUpgrade() {
    m_boxes.Withdraw();  // a question still open or on its way no longer holds the worker
    if (m_bTimerRunning) {
        m_Timer.Pause();
        m_Timer.ReleaseTimer();  // the tick posts and never waits for this thread
        m_Timer.m_pfnTimer = nullptr;
        m_Timer.m_pUser = nullptr;
        m_bTimerRunning = 0;
    }
    m_Upgrade.m_pfnConfirmUpgrade = nullptr;
    m_Upgrade.m_pConfirmUser = nullptr;
    m_Upgrade.StopUpgrade();
    m_bUpgrading = 0;
}

int CDlgSmartUpgd::ProcessTimer(void* user) {
    auto* page = static_cast<CDlgSmartUpgd*>(user);
    if (!page) return 0;
    const int n = page->m_Upgrade.TickElapsed();
    const int status = page->m_Upgrade.Status();
    RefreshCameraAddress(page->m_Login, page->m_Upgrade, page->m_pMainDlg);
    const StatusText shown = SmartStatusText(status, n, page->m_Upgrade.SysVer(), page->m_Upgrade.LatestName(),
                                             UiLanguage::Current());
    TraceMsg("\r\n---ProcessTimer nStatus=%d---", status);
    PostTickText(page->Handle(), status, LogTimePrefix() + shown.text);
    if (shown.goesOn) return 0;
    TraceMsg("\r\n---ProcessTimer false nStatus=%d---", status);
    platform::WindowRegistry::Post(page->Handle(), kMsgCloseSmartUpgd, 0, 0);
    return 1;
}

int CDlgSmartUpgd::ConfirmUpgradeProc(void* user) {
    auto* page = static_cast<CDlgSmartUpgd*>(user);
    if (!page) return 1;
    const int answer = page->m_boxes.Show(UiLanguage::Load(190), UiLanguage::Load(117), BoxIcon::kQuestion);
    return answer == kIdOk ? 0 : 1;
}

void CDlgSmartUpgd::AddLogLine(int status, const std::wstring& line) {
    auto* list = ItemAs<QListWidget>(1073);
    const int count = list->count();
    auto insert = [&](int index) {
        auto* item = new QListWidgetItem(ToQString(line));
        item->setData(Qt::UserRole, status);
        list->insertItem(index, item);
    };
    if (count == 0) {
        insert(0);
        return;
    }
    const int last = list->item(count - 1)->data(Qt::UserRole).toInt();
    if (last != status) {
        insert(count);
    } else if (IsCountingStatus(status)) {
        delete list->takeItem(count - 1);  // the counter updates in place
        insert(count - 1);
    }
}

void CDlgSmartUpgd::OnHandleCloseSmartUpgd() {
    TraceMsg("\r\n---OnHandleCloseSmartUpgd---");
    StopSmartUpgrade();
    const std::string ip = platform::Trim(platform::FieldString(m_Device.szIp));
    if (!ip.empty()) EnableItem(1069, true);
}

platform::LRESULT CDlgSmartUpgd::OnMessage(const platform::Message& msg) {
    if (msg.message == kMsgTickText) {
        const std::unique_ptr<std::wstring> line = TakeTickText(msg);
        AddLogLine(static_cast<int>(msg.wParam), *line);
    } else if (msg.message == kMsgCloseSmartUpgd) {
        OnHandleCloseSmartUpgd();
    }
    return 0;
}

}  // namespace orvex
