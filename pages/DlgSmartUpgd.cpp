#include "pages/DlgSmartUpgd.h"

#include <QListWidget>
#include <cstring>

#include "cgi/TraceMsg.h"
#include "fleet/AdapterScan.h"
#include "pages/PageMessages.h"
#include "pages/TickText.h"
#include "fleet/FirmwareOffer.h"
#include "pages/WindowJournal.h"
#include "pages/WindowSiteLock.h"
#include "resources/StringTable.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeLogin.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {
namespace {

// The log line's status when the run could not start (no engine status has this value).
constexpr int kStatusStartRefused = -100;
constexpr const char* kLockHolder = "smart upgrade";

bool IsCountingStatus(int status) {
    return status == kStatusWebUiUploading || status == kStatusWebUiRebooting ||
           status == kStatusSystemUpgrading || status == kStatusSystemRebooting;
}

}  // namespace

CDlgSmartUpgd::CDlgSmartUpgd(QWidget* parent) : CDialog(IDD_SMART_UPGRADE, parent) {
    SetLeftoverHandler(DeleteTickText);
}

CDlgSmartUpgd::~CDlgSmartUpgd() {
    StopSmartUpgrade();
}

bool CDlgSmartUpgd::OnInitDialog() {
    SetItemText(IDC_SMART_ACCOUNT, L"admin");
    SetItemText(IDC_SMART_PASSWORD, L"470319");
    SetItemTextColor(IDC_SMART_HELP_ACCOUNT, m_crText);
    SetItemTextColor(IDC_SMART_LOG, m_crText);
    LoadTexts();
    return true;
}

void CDlgSmartUpgd::LoadTexts() {
    SetItemText(IDC_SMART_HELP, L"    " + UiLanguage::Load(IDS_SMART_HELP));
    SetItemText(IDC_SMART_HELP_ACCOUNT, L"    " + UiLanguage::Load(IDS_SMART_HELP_ACCOUNT));
    const std::pair<int, int> texts[] = {{IDC_SMART_ACCOUNT_LABEL, IDS_CAMERA_ACCOUNT},
                                         {IDC_SMART_PASSWORD_LABEL, IDS_CAMERA_PASSWORD},
                                         {IDC_SMART_UPGRADE, IDS_UPGRADE_FIRMWARE},
                                         {IDC_SMART_LOG_GROUP, IDS_OPERATION_LOG}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
}

void CDlgSmartUpgd::ShowDeviceInfo(const DeviceRecord* record) {
    m_Device = record ? *record : DeviceRecord();
    if (!m_bUpgrading) EnableItem(IDC_SMART_UPGRADE, record != nullptr);
}

void CDlgSmartUpgd::OnCommand(int id) {
    if (id == IDC_SMART_UPGRADE) OnUpgradeFirmware();  // 1 and 2 do nothing on a page
}

void CDlgSmartUpgd::OnUpgradeFirmware() {
    // Not while another Orvex changes cameras on the network that reaches this one.
    const std::string adapter =
        AdapterScan::RouteSource(platform::Trim(platform::FieldString(m_Device.szIp)));
    if (!adapter.empty() && !WindowSiteLock::Instance().Take(adapter, kLockHolder)) return;
    ItemAs<QListWidget>(IDC_SMART_LOG)->clear();
    const std::wstring account = platform::Trim(ItemText(IDC_SMART_ACCOUNT));
    const std::wstring password = platform::Trim(ItemText(IDC_SMART_PASSWORD));
    m_Login = UpgradeLoginFor(m_Device, account, password);
    std::memset(&m_Task, 0, sizeof(m_Task));
    m_Task.bUpgradeSystem = 1;
    m_Task.bUpgradeWebUi = 0;
    platform::CodePage::WriteField(
        m_Task.szVersion, sizeof(m_Task.szVersion),
        platform::CodePage::FieldToWide(m_Device.szVersion, sizeof(m_Device.szVersion)));
    m_Task.nCheckMode = 2;
    m_Task.nSystemMode = 2;
    m_Upgrade.Prepare(1, m_Login, m_Task);
    m_journalId = WindowJournal::Instance().UpgradeStarted(m_Device, "smart");
    if (!StartSmartUpgrade()) {
        // No thread for the run: it ends at once, said in the log, the button usable.
        StopSmartUpgrade();
        AddLogLine(kStatusStartRefused, LogTimePrefix() + UiLanguage::Load(IDS_THREAD_REFUSED));
        WindowJournal::Instance().Upgrade(m_Device, "smart", "", kStatusStartRefused,
                                          LoadStringText(IDS_THREAD_REFUSED, kLanguageEnglish),
                                          m_journalId);
        return;
    }
    EnableItem(IDC_SMART_UPGRADE, false);
}

bool CDlgSmartUpgd::StartSmartUpgrade() {
    m_boxes.Reopen();
    m_Upgrade.m_pfnConfirmUpgrade = &CDlgSmartUpgd::ConfirmUpgradeProc;
    m_Upgrade.m_pConfirmUser = this;
    m_Upgrade.CgiOper().Sock().ClearAbort();
    m_bUpgrading = 1;
    if (!m_Upgrade.InitUpgradeThread()) return false;
    if (!m_bTimerRunning) {
        m_Timer.m_pfnTimer = &CDlgSmartUpgd::ProcessTimer;
        m_Timer.m_pUser = this;
        if (!m_Timer.InitTimer(this)) return false;
        m_Timer.Resume();
        m_bTimerRunning = 1;
    }
    return true;
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
    WindowSiteLock::Instance().Give(kLockHolder);
}

int CDlgSmartUpgd::ProcessTimer(void* user) {
    auto* page = static_cast<CDlgSmartUpgd*>(user);
    if (!page) return 0;
    const int n = page->m_Upgrade.TickElapsed();
    const int status = page->m_Upgrade.Status();
    RefreshCameraAddress(page->m_Login, page->m_Upgrade, page->m_pMainDlg);
    const StatusText shown = SmartStatusText(status, n, page->m_Upgrade.SysVer(),
                                             page->m_Upgrade.LatestName(), UiLanguage::Current());
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
    const int answer = page->m_boxes.Show(UiLanguage::Load(IDS_CONFIRM_SAME_VERSION),
                                          UiLanguage::Load(IDS_PROMPT), BoxIcon::kQuestion);
    return answer == kIdOk ? 0 : 1;
}

void CDlgSmartUpgd::AddLogLine(int status, const std::wstring& line) {
    auto* list = ItemAs<QListWidget>(IDC_SMART_LOG);
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
    const int status = m_Upgrade.Status();
    const std::wstring latest = m_Upgrade.LatestName();
    using platform::CodePage;
    WindowJournal::Instance().Upgrade(
        m_Device, "smart", CodePage::WideToUtf8(latest), status,
        SmartStatusText(status, 0, m_Upgrade.SysVer(), latest, kLanguageEnglish).text, m_journalId,
        FirmwareOffer::Url(CodePage::WideToOem(m_Upgrade.DownloadServer()),
                           CodePage::WideToOem(m_Upgrade.DownloadFile())));
    StopSmartUpgrade();
    const std::string ip = platform::Trim(platform::FieldString(m_Device.szIp));
    if (!ip.empty()) EnableItem(IDC_SMART_UPGRADE, true);
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
