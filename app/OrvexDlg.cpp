#include "app/OrvexDlg.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTabBar>
#include <QTableWidget>
#include <cstdio>
#include <cstring>

#include "app/AboutDlg.h"
#include "app/AppIcon.h"
#include "app/CameraListView.h"
#include "app/ListExport.h"
#include "discovery/DiscoveryCodec.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/DiscoveryMessages.h"
#include "netcard/NetCardInfo.h"
#include "pages/DlgBasicInfo.h"
#include "pages/DlgOtherInfo.h"
#include "pages/DlgSmartUpgd.h"
#include "pages/WindowJournal.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/Resource.h"
#include "resources/StringTable.h"
#include "ui/QtTranslation.h"
#include "ui/TabControl.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"

namespace orvex {

using platform::CodePage;

COrvexDlg::COrvexDlg(QWidget* parent)
    : CDialog(IDD_ORVEX_DIALOG, parent),
      m_view(std::make_unique<CameraListView>(this)),
      m_table(m_view.get()) {
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetLeftoverHandler(DiscoveryControl::FreeLeftover);
}

COrvexDlg::~COrvexDlg() {
    StopDiscovery();
    WindowJournal::Instance().Flush();  // no reply can come any more
    m_basic.reset();
    m_other.reset();
    m_smart.reset();
}

bool COrvexDlg::OnInitDialog() {
    m_aboutText = UiLanguage::Load(IDS_ABOUTBOX);  // the About item keeps the language of the start
    FillAdapterPanel();

    auto* language = ItemAs<QComboBox>(IDC_LANGUAGE);
    language->addItem("English", 0);
    language->addItem(QString::fromUtf8("简体中文"), 1);
    language->setCurrentIndex(UiLanguage::Current() == kLanguageChinese ? 1 : 0);

    auto* list = ItemAs<QTableWidget>(IDC_CAMERA_LIST);
    list->setColumnCount(4);
    const int c = (list->width() - 6) / 4;
    const int widths[] = {c - 30, c + 20, c + 30, c - 20};
    for (int i = 0; i < 4; ++i) list->setColumnWidth(i, widths[i]);
    list->setFocus();
    auto* tabs = ItemAs<TabControl>(IDC_PAGES);
    for (int i = 0; i < 3; ++i) tabs->Bar()->addTab(QString());
    tabs->Bar()->setCurrentIndex(0);

    m_basic = std::make_unique<CDlgBasicInfo>();
    m_basic->CreateChild(tabs);
    m_other = std::make_unique<CDlgOtherInfo>();
    m_other->CreateChild(tabs);
    m_other->m_pMainDlg = this;
    m_smart = std::make_unique<CDlgSmartUpgd>();
    m_smart->CreateChild(tabs);
    m_smart->m_pMainDlg = this;
    ApplyLanguage();
    PlacePages();
    m_basic->show();

    if (ItemAs<QComboBox>(IDC_ADAPTER_LIST)->currentIndex() < 0) {
        InformationBox(IDS_NO_ADAPTER);
    } else {
        StartDiscovery(m_adapters[0].strIp);
    }
    ShowCamera(nullptr);
    return true;
}

void COrvexDlg::FillAdapterPanel() {
    m_adapters.clear();
    CNetCardInfo().GetNetCardList(m_adapters);
    auto* combo = ItemAs<QComboBox>(IDC_ADAPTER_LIST);
    combo->clear();
    for (std::size_t i = 0; i < m_adapters.size(); ++i) {
        combo->addItem(ToQString(m_adapters[i].strDescription), static_cast<int>(i));
    }
    if (!m_adapters.empty()) {
        FillAddressEdits(m_adapters[0]);
        combo->setCurrentIndex(0);
    }
}

void COrvexDlg::FillAddressEdits(const NetCardItem& item) {
    SetItemText(IDC_ADAPTER_IP, item.strIp);
    SetItemText(IDC_ADAPTER_MASK, item.strSubMask);
    SetItemText(IDC_ADAPTER_GATEWAY, item.strGateway);
    SetItemText(IDC_ADAPTER_DNS1, item.strPrimaryDns);
    SetItemText(IDC_ADAPTER_DNS2, item.strSecondaryDns);
}

std::vector<CDialog::TabStop> COrvexDlg::TabStops() const {
    std::vector<TabStop> stops;
    for (const TabStop& stop : CDialog::TabStops()) {
        stops.push_back(stop);
        if (stop.control != Item(IDC_PAGES)) continue;
        for (const CDialog* page : {static_cast<const CDialog*>(m_basic.get()),
                                    static_cast<const CDialog*>(m_other.get()),
                                    static_cast<const CDialog*>(m_smart.get())}) {
            if (!page) continue;
            for (const TabStop& inner : page->TabStops()) stops.push_back(inner);
        }
    }
    return stops;
}

void COrvexDlg::PlacePages() {
    auto* tabs = ItemAs<TabControl>(IDC_PAGES);
    const QRect page = tabs->ClientRect().adjusted(1, 22, -1, -1);
    for (CDialog* p : {static_cast<CDialog*>(m_basic.get()), static_cast<CDialog*>(m_other.get()),
                       static_cast<CDialog*>(m_smart.get())}) {
        p->setFixedSize(page.size());
        p->move(page.topLeft());
    }
}

bool COrvexDlg::StartDiscovery(const std::wstring& ip) {
    const int result = DiscoveryControl::Start(m_prober, m_scheduler, ip, Handle());
    if (result != DiscoveryControl::kStarted) {
        InformationBox(result);
        return false;
    }
    // ONVIF cameras reach the list as native ones do: a record posted to this window.
    std::wstring mask;
    for (const NetCardItem& adapter : m_adapters) {
        if (adapter.strIp == ip) mask = adapter.strSubMask;
    }
    const platform::HWND window = Handle();
    m_onvif.Start(platform::CodePage::WideToUtf8(ip), platform::CodePage::WideToUtf8(mask),
                  [window](const DeviceRecord& record) {
                      DiscoveryControl::Callback(kEventDeviceFound, const_cast<DeviceRecord*>(&record),
                                                 reinterpret_cast<void*>(window));
                  });
    return true;
}

void COrvexDlg::StopDiscovery() {
    m_onvif.Stop();
    DiscoveryControl::Stop(m_prober, m_scheduler);
}

void COrvexDlg::ShowCameraCount(std::size_t count) {
    SetItemText(IDC_CAMERA_COUNT, UiLanguage::Load(IDS_COUNT) + std::to_wstring(count));
    EnableItem(IDC_EXPORT, count > 0);
}

void COrvexDlg::OnMessagesDrained() {
    m_view->Flush();
}

void COrvexDlg::ShowCamera(const DeviceRecord* record) {
    if (m_basic) m_basic->ShowDeviceInfo(record);
    if (m_other) m_other->ShowDeviceInfo(record);
    if (m_smart) m_smart->ShowDeviceInfo(record);
    EnableItem(IDC_ONE_KEY_SET, record != nullptr);
    EnableItem(IDOK, record != nullptr);
}

void COrvexDlg::ApplyLanguage() {
    SetWindowText(UiLanguage::Load(IDS_APP_TITLE) + L" V1.0.0.7");
    const std::pair<int, int> texts[] = {{IDC_COMPUTER_GROUP, IDS_CURRENT_COMPUTER},
                                         {IDC_ADAPTER_LABEL, IDS_NETWORK_ADAPTER},
                                         {IDC_ADAPTER_IP_LABEL, IDS_ADAPTER_IP},
                                         {IDC_ADAPTER_MASK_LABEL, IDS_ADAPTER_MASK},
                                         {IDC_ADAPTER_GATEWAY_LABEL, IDS_ADAPTER_GATEWAY},
                                         {IDC_ADAPTER_DNS1_LABEL, IDS_ADAPTER_DNS1},
                                         {IDC_ADAPTER_DNS2_LABEL, IDS_ADAPTER_DNS2},
                                         {IDC_CAMERA_GROUP, IDS_CAMERAS},
                                         {IDC_CAMERA_INFO_GROUP, IDS_CAMERA_INFORMATION},
                                         {IDC_EXPORT, IDS_EXPORT},
                                         {IDC_FIND, IDS_FIND},
                                         {IDC_ONE_KEY_SET, IDS_ONE_KEY_SET},
                                         {IDOK, IDS_APPLY},
                                         {IDCANCEL, IDS_CLOSE}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
    m_view->Flush();
    const int rows = ItemAs<QTableWidget>(IDC_CAMERA_LIST)->rowCount();
    ShowCameraCount(static_cast<std::size_t>(rows));
    ItemAs<QTableWidget>(IDC_CAMERA_LIST)
        ->setHorizontalHeaderLabels(
            {UiLanguage::LoadQ(IDS_COLUMN_MODE), UiLanguage::LoadQ(IDS_COLUMN_NAME),
             UiLanguage::LoadQ(IDS_COLUMN_IP), UiLanguage::LoadQ(IDS_COLUMN_PORT)});
    QTabBar* bar = ItemAs<TabControl>(IDC_PAGES)->Bar();
    const int tabTexts[] = {IDS_TAB_GENERAL, IDS_TAB_OTHERS, IDS_TAB_SMART_UPGRADE};
    for (int i = 0; i < 3 && i < bar->count(); ++i)
        bar->setTabText(i, UiLanguage::LoadQ(tabTexts[i]));
    if (m_basic) m_basic->LoadTexts();
    if (m_other) m_other->LoadTexts();
    if (m_smart) m_smart->LoadTexts();
}

bool COrvexDlg::FindCameraByMac(const std::string& mac, std::string* ip, int* port) {
    return m_table.FindCameraByMac(mac, ip, port);
}

platform::LRESULT COrvexDlg::OnMessage(const platform::Message& msg) {
    const DiscoveryOutcome outcome = DiscoveryControl::Handle(msg, m_table);
    if (outcome.kind == DiscoveryOutcome::kSetReply)
        WindowJournal::Instance().SetReplied(outcome.record, outcome.code);
    if (outcome.kind == DiscoveryOutcome::kSweep) WindowJournal::Instance().Expire();
    m_boxes.Show(outcome);
    return 0;
}

void COrvexDlg::OnCommand(int id) {
    switch (id) {
        case IDOK:
            OnApply();
            break;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            break;
        case IDC_EXPORT:
            OnExport();
            break;
        case IDC_FIND:
            OnFind();
            break;
        case IDC_ONE_KEY_SET:
            OnOneKeySet();
            break;
        default:
            break;
    }
}

void COrvexDlg::OnSelChange(int id) {
    if (id == IDC_LANGUAGE) OnLanguageChange();
    if (id == IDC_ADAPTER_LIST) OnAdapterChange();
    if (id == IDC_PAGES) OnTabChange();
}

void COrvexDlg::OnNotify(int id, Notify code) {
    if (id != IDC_CAMERA_LIST) return;
    if (code == kNotifyClick) OnListClick();
    if (code == kNotifyDoubleClick) OnListDoubleClick();
}

void COrvexDlg::OnLanguageChange() {
    const int index = ItemAs<QComboBox>(IDC_LANGUAGE)->currentData().toInt();
    UiLanguage::Set(index == 1 ? kLanguageChinese : kLanguageEnglish);
    InstallQtTranslation(UiLanguage::Current());
    ApplyLanguage();
    Item(IDC_PAGES)->update();
}

void COrvexDlg::OnTabChange() {
    const int index = ItemAs<TabControl>(IDC_PAGES)->Bar()->currentIndex();
    if (index < 0 || index > 2 || !m_basic || !m_other || !m_smart) return;
    m_basic->setVisible(index == 0);
    m_other->setVisible(index == 1);
    m_smart->setVisible(index == 2);
}

const NetCardItem* COrvexDlg::SelectedAdapter() const {
    const QVariant data = ItemAs<QComboBox>(IDC_ADAPTER_LIST)->currentData();
    if (!data.isValid()) return nullptr;
    const int index = data.toInt();
    if (index < 0 || static_cast<std::size_t>(index) >= m_adapters.size()) return nullptr;
    return &m_adapters[static_cast<std::size_t>(index)];
}

void COrvexDlg::OnAdapterChange() {
    const NetCardItem* adapter = SelectedAdapter();
    if (!adapter) return;
    FillAddressEdits(*adapter);
    StopDiscovery();
    m_table.Clear();
    m_view->Flush();
    ShowCameraCount(0);
    ShowCamera(nullptr);
    StartDiscovery(adapter->strIp);
}

void COrvexDlg::OnFind() {
    m_scheduler.PostSearchNow();
}

int COrvexDlg::FirstSelectedRow() const {
    m_view->Flush();
    const auto rows = ItemAs<QTableWidget>(IDC_CAMERA_LIST)->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    return first;
}

void COrvexDlg::OnListClick() {
    m_table.Select(FirstSelectedRow());
}

void COrvexDlg::OnListDoubleClick() {
    const int row = FirstSelectedRow();
    if (row < 0) return;
    auto* list = ItemAs<QTableWidget>(IDC_CAMERA_LIST);
    const std::wstring ip = platform::Trim(FromQString(list->item(row, 2)->text()));
    const std::wstring port = platform::Trim(FromQString(list->item(row, 3)->text()));
    const std::wstring address =
        platform::LeadingInt(port) == 80 ? L"http://" + ip : L"http://" + ip + L":" + port;
    UiServices::Current()->ShellOpen(CodePage::WideToOem(address, 127));
}

void COrvexDlg::OnExport() {
    ListExport::Run(m_table);
}

void COrvexDlg::ShowAbout() {
    CAboutDlg about(this);
    about.DoModal();
}

void COrvexDlg::contextMenuEvent(QContextMenuEvent* event) {
    // The window menu of this desktop: the About item lives here.
    if (m_aboutText.empty()) return;
    QMenu menu(this);
    menu.addAction(ToQString(m_aboutText), this, &COrvexDlg::ShowAbout);
    menu.exec(event->globalPos());
}

}  // namespace orvex
