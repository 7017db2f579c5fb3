#include "pages/ManualUpgd.h"

#include <QRadioButton>
#include <cstring>

#include "fleet/AdapterScan.h"
#include "pages/FirmwareFileText.h"
#include "pages/PageMessages.h"
#include "pages/TickText.h"
#include "pages/WindowJournal.h"
#include "pages/WindowSiteLock.h"
#include "resources/StringTable.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"
#include "cgi/TraceMsg.h"
#include "upgrade/CameraFollower.h"
#include "upgrade/UpgradeLogin.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {
namespace {
constexpr const char* kLockHolder = "manual upgrade";
}

CManualUpgd::CManualUpgd(QWidget* parent) : CDialog(IDD_MANUAL_UPGRADE, parent) {
    SetLeftoverHandler(DeleteTickText);
}

CManualUpgd::~CManualUpgd() {
    StopManualUpgrade();
    m_Timer.ReleaseTimer();
}

bool CManualUpgd::OnInitDialog() {
    ItemAs<QRadioButton>(IDC_MANUAL_WEBUI)->setChecked(true);
    SetItemTextColor(IDC_MANUAL_STATUS, QColor(0, 0, 255));
    m_Timer.m_pfnTimer = &CManualUpgd::OnTimerTick;
    m_Timer.m_pUser = this;
    m_Timer.InitTimer(this);  // paused until a run starts
    LoadTexts();
    return true;
}

void CManualUpgd::LoadTexts() {
    SetWindowText(UiLanguage::Load(IDS_MANUAL_TITLE));
    const std::pair<int, int> texts[] = {{IDC_MANUAL_WEBUI, IDS_WEBUI_FIRMWARE},
                                         {IDC_MANUAL_SYSTEM, IDS_SYSTEM_FIRMWARE},
                                         {IDC_MANUAL_FILE_LABEL, IDS_FILE},
                                         {IDC_MANUAL_OPEN, IDS_OPEN_FILE},
                                         {IDOK, IDS_UPGRADE},
                                         {IDCANCEL, IDS_EXIT}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
    SetItemText(IDC_MANUAL_STATUS, L"");
}

void CManualUpgd::OnCommand(int id) {
    switch (id) {
        case IDC_MANUAL_WEBUI:
            m_nUpgradeType = 0;
            break;
        case IDC_MANUAL_SYSTEM:
            m_nUpgradeType = 1;
            break;
        case IDC_MANUAL_OPEN:
            OnOpen();
            break;
        case IDOK:
            OnUpgrade();
            break;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            break;  // Exit and the close box
        default:
            break;
    }
}

void CManualUpgd::OnOpen() {
    const std::wstring path = UiServices::Current()->OpenFileName(L"Firmware(*.bin)|*.bin|");
    if (!path.empty() && TakeFirmware(path)) SetItemText(IDC_MANUAL_FILE, path);
}

bool CManualUpgd::TakeFirmware(const std::wstring& path) {
    m_firmware = FirmwareFile::Read(platform::CodePage::WideToOem(path));
    if (m_firmware.Refused() != FirmwareFile::Refusal::kNone) {
        SetItemText(IDC_MANUAL_FILE, L"");
        SetItemText(IDC_MANUAL_STATUS, L"");
        UiServices::Current()->MessageBox(FirmwareFileText::Refusal(m_firmware),
                                          UiLanguage::Load(IDS_PROMPT), BoxIcon::kWarning);
        m_firmware = FirmwareFile();
        return false;
    }
    SetItemText(IDC_MANUAL_STATUS, FirmwareFileText::Summary(m_firmware));
    return true;
}

void CManualUpgd::OnUpgrade() {
    SetItemText(IDC_MANUAL_STATUS, L"");
    const std::wstring path = platform::Trim(ItemText(IDC_MANUAL_FILE));
    if (path.empty()) {
        InformationBox(IDS_NO_FILE);
        return;
    }
    if (!FirmwarePathFits(path)) {
        InformationBox(IDS_PATH_TOO_LONG);  // cut short, it would name another file
        return;
    }
    // The file read when it was chosen; one named some other way is read and checked now.
    if (platform::CodePage::WideToOem(path) != m_firmware.Path() && !TakeFirmware(path)) return;
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
    // Not while another Orvex changes cameras on the network that reaches this one.
    const std::string adapter =
        AdapterScan::RouteSource(platform::Trim(platform::FieldString(m_Device.szIp)));
    if (!adapter.empty() && !WindowSiteLock::Instance().Take(adapter, kLockHolder)) return;
    m_Upgrade.Prepare(1, m_Login, m_Task);
    // The bytes checked, whatever happens to the file from now on.
    m_Upgrade.CgiOper().Sock().SetUploadImage(m_firmware.Bytes());
    TraceMsg("\r\n---ManualUpgrade---%s---", m_firmware.Summary().c_str());
    const std::string file = CodePage::WideToUtf8(path);
    m_journalId = WindowJournal::Instance().UpgradeStarted(m_Device, file, &m_firmware);
    // The tick first (its thread may have been refused when the dialog opened), then the
    // worker; without either the run ends here, said on the status line.
    if ((!m_Timer.HasThread() && !m_Timer.InitTimer(this)) || !m_Upgrade.InitUpgradeThread()) {
        SetItemText(IDC_MANUAL_STATUS, UiLanguage::Load(IDS_THREAD_REFUSED));
        WindowJournal::Instance().Upgrade(m_Device, file, "", 0,
                                          LoadStringText(IDS_THREAD_REFUSED, kLanguageEnglish),
                                          m_journalId);
        WindowSiteLock::Instance().Give(kLockHolder);
        return;
    }
    if (!m_bTimerRunning) {
        m_boxes.Reopen();
        m_Timer.Resume();
        m_bTimerRunning = 1;
    }
    EnableItem(IDOK, false);
}

void CManualUpgd::StopManualUpgrade() {
    m_boxes.Withdraw();  // the final box no longer holds the tick
    if (m_bTimerRunning) {
        m_Timer.Pause();
        m_bTimerRunning = 0;
    }
    m_Upgrade.StopUpgrade();
    WindowSiteLock::Instance().Give(kLockHolder);
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
    dialog->m_boxes.Show(shown.text, UiLanguage::Load(IDS_PROMPT), BoxIcon::kInformation);
    platform::WindowRegistry::Post(dialog->Handle(), kMsgCloseManualUpgd, 0, 0);
    return 1;
}

platform::LRESULT CManualUpgd::OnMessage(const platform::Message& msg) {
    if (msg.message == kMsgTickText) {
        SetItemText(IDC_MANUAL_STATUS, *TakeTickText(msg));
    } else if (msg.message == kMsgCloseManualUpgd) {
        const int status = m_Upgrade.Status();
        WindowJournal::Instance().Upgrade(
            m_Device, platform::CodePage::WideToUtf8(platform::Trim(ItemText(IDC_MANUAL_FILE))), "",
            status, ManualStatusText(status, 0, kLanguageEnglish).text, m_journalId);
        EndDialog(IDOK);
    }
    return 0;
}

}  // namespace orvex
