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
#include "discovery/AddressSplit.h"
#include "discovery/CameraExport.h"
#include "discovery/DiscoveryCodec.h"
#include "discovery/DiscoveryControl.h"
#include "discovery/DiscoveryMessages.h"
#include "netcard/NetCardInfo.h"
#include "pages/DlgBasicInfo.h"
#include "pages/DlgLogin.h"
#include "pages/DlgOtherInfo.h"
#include "pages/DlgSmartUpgd.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"
#include "resources/StringTable.h"
#include "ui/QtTranslation.h"
#include "ui/TabControl.h"
#include "ui/UiLanguage.h"
#include "ui/UiServices.h"

namespace orvex {

using platform::CodePage;

// The camera list control, the count label and the pages, as the camera table drives them.
// Rows appended while the window handles a run of messages are added to the control in one
// step when the run is over (or before anything else touches the list), a sweep's
// removals of neighbouring rows are made in one step too, and the count label takes the
// last count, so thousands of replies or departures do not lay the window out thousands
// of times.
class COrvexDlg::ListView : public CameraTableView {
public:
    explicit ListView(COrvexDlg* dialog) : m_dialog(dialog) {}
    void InsertRow(std::size_t index, const CameraRow& row) override {
        FlushRemovals();
        QTableWidget* list = m_dialog->ItemAs<QTableWidget>(1017);
        if (index == static_cast<std::size_t>(list->rowCount()) + m_pending.size()) {
            m_pending.push_back(row);
            return;
        }
        FlushAppends();
        list->insertRow(static_cast<int>(index));
        Fill(list, static_cast<int>(index), row);
    }
    void DeleteRow(std::size_t index) override {
        FlushAppends();
        // A sweep removes row i again and again while the rows after it move up; emptying
        // the list removes the last row each time.
        const int row = static_cast<int>(index);
        if (m_removeCount > 0 && (row == m_removeFirst || row == m_removeFirst - 1)) {
            m_removeFirst = row;
            ++m_removeCount;
            return;
        }
        FlushRemovals();
        m_removeFirst = row;
        m_removeCount = 1;
    }
    // The count label shows the last count when the run of messages is over.
    void ShowCameraCount(std::size_t count) override {
        m_count = count;
        m_countPending = true;
    }
    void ShowCamera(const DeviceRecord* record) override { m_dialog->ShowCamera(record); }

    // Makes the list control and the count label show every change so far.
    void Flush() {
        FlushRemovals();
        FlushAppends();
        if (m_countPending) {
            m_countPending = false;
            m_dialog->ShowCameraCount(m_count);
        }
    }

private:
    void FlushRemovals() {
        if (m_removeCount == 0) return;
        m_dialog->ItemAs<QTableWidget>(1017)->model()->removeRows(m_removeFirst, m_removeCount);
        m_removeCount = 0;
    }
    void FlushAppends() {
        if (m_pending.empty()) return;
        QTableWidget* list = m_dialog->ItemAs<QTableWidget>(1017);
        const int first = list->rowCount();
        list->setRowCount(first + static_cast<int>(m_pending.size()));
        for (std::size_t i = 0; i < m_pending.size(); ++i) Fill(list, first + static_cast<int>(i), m_pending[i]);
        m_pending.clear();
    }
    static void Fill(QTableWidget* list, int r, const CameraRow& row) {
        const std::wstring cells[] = {row.mode, row.name, row.ip, row.port};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(ToQString(cells[c]));
            item->setData(Qt::UserRole, r);
            list->setItem(r, c, item);
        }
    }

    COrvexDlg* m_dialog;
    std::vector<CameraRow> m_pending;  // rows appended, not yet in the control
    int m_removeFirst = 0;             // rows removed, not yet from the control
    int m_removeCount = 0;
    std::size_t m_count = 0;  // the count the label is to show
    bool m_countPending = false;
};

COrvexDlg::COrvexDlg(QWidget* parent)
    : CDialog(102, parent), m_view(std::make_unique<ListView>(this)), m_table(m_view.get()) {
    setWindowIcon(AppIcon());
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    SetLeftoverHandler(DiscoveryControl::FreeLeftover);
}

COrvexDlg::~COrvexDlg() {
    StopDiscovery();
    m_basic.reset();
    m_other.reset();
    m_smart.reset();
}

bool COrvexDlg::OnInitDialog() {
    m_aboutText = UiLanguage::Load(101);  // the About item keeps the language of the start
    FillAdapterPanel();

    auto* language = ItemAs<QComboBox>(1000);
    language->addItem("English", 0);
    language->addItem(QString::fromUtf8("简体中文"), 1);
    language->setCurrentIndex(UiLanguage::Current() == kLanguageChinese ? 1 : 0);

    auto* list = ItemAs<QTableWidget>(1017);
    list->setColumnCount(4);
    const int c = (list->width() - 6) / 4;
    const int widths[] = {c - 30, c + 20, c + 30, c - 20};
    for (int i = 0; i < 4; ++i) list->setColumnWidth(i, widths[i]);
    list->setFocus();
    auto* tabs = ItemAs<TabControl>(1022);
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

    if (ItemAs<QComboBox>(1008)->currentIndex() < 0) {
        InformationBox(118);
    } else {
        StartDiscovery(m_adapters[0].strIp);
    }
    ShowCamera(nullptr);
    return true;
}

void COrvexDlg::FillAdapterPanel() {
    m_adapters.clear();
    CNetCardInfo().GetNetCardList(m_adapters);
    auto* combo = ItemAs<QComboBox>(1008);
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
    SetItemText(1003, item.strIp);
    SetItemText(1004, item.strSubMask);
    SetItemText(1005, item.strGateway);
    SetItemText(1006, item.strPrimaryDns);
    SetItemText(1007, item.strSecondaryDns);
}

std::vector<CDialog::TabStop> COrvexDlg::TabStops() const {
    std::vector<TabStop> stops;
    for (const TabStop& stop : CDialog::TabStops()) {
        stops.push_back(stop);
        if (stop.control != Item(1022)) continue;
        for (const CDialog* page : {static_cast<const CDialog*>(m_basic.get()), static_cast<const CDialog*>(m_other.get()),
                                    static_cast<const CDialog*>(m_smart.get())}) {
            if (!page) continue;
            for (const TabStop& inner : page->TabStops()) stops.push_back(inner);
        }
    }
    return stops;
}

void COrvexDlg::PlacePages() {
    auto* tabs = ItemAs<TabControl>(1022);
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
    return true;
}

void COrvexDlg::StopDiscovery() { DiscoveryControl::Stop(m_prober, m_scheduler); }

void COrvexDlg::ShowCameraCount(std::size_t count) {
    SetItemText(1019, UiLanguage::Load(115) + std::to_wstring(count));
    EnableItem(1018, count > 0);
}

void COrvexDlg::OnMessagesDrained() { m_view->Flush(); }

void COrvexDlg::ShowCamera(const DeviceRecord* record) {
    if (m_basic) m_basic->ShowDeviceInfo(record);
    if (m_other) m_other->ShowDeviceInfo(record);
    if (m_smart) m_smart->ShowDeviceInfo(record);
    EnableItem(1021, record != nullptr);
    EnableItem(1, record != nullptr);
}

void COrvexDlg::ApplyLanguage() {
    SetWindowText(UiLanguage::Load(158) + L" V1.0.0.7");
    const std::pair<int, int> texts[] = {{1002, 102}, {1009, 103}, {1010, 104}, {1011, 105},
                                         {1012, 106}, {1013, 107}, {1014, 108}, {1015, 109},
                                         {1016, 110}, {1018, 116}, {1020, 126}, {1021, 127},
                                         {1, 128},    {2, 129}};
    for (const auto& [id, text] : texts) SetItemText(id, UiLanguage::Load(text));
    m_view->Flush();
    const int rows = ItemAs<QTableWidget>(1017)->rowCount();
    ShowCameraCount(static_cast<std::size_t>(rows));
    ItemAs<QTableWidget>(1017)->setHorizontalHeaderLabels(
        {UiLanguage::LoadQ(111), UiLanguage::LoadQ(112), UiLanguage::LoadQ(113), UiLanguage::LoadQ(114)});
    QTabBar* bar = ItemAs<TabControl>(1022)->Bar();
    const int tabTexts[] = {130, 131, 160};
    for (int i = 0; i < 3 && i < bar->count(); ++i) bar->setTabText(i, UiLanguage::LoadQ(tabTexts[i]));
    if (m_basic) m_basic->LoadTexts();
    if (m_other) m_other->LoadTexts();
    if (m_smart) m_smart->LoadTexts();
}

bool COrvexDlg::FindCameraByMac(const std::string& mac, std::string* ip, int* port) {
    return m_table.FindCameraByMac(mac, ip, port);
}

platform::LRESULT COrvexDlg::OnMessage(const platform::Message& msg) {
    const DiscoveryOutcome outcome = DiscoveryControl::Handle(msg, m_table);
    if (outcome.kind == DiscoveryOutcome::kSendFailed) {
        InformationBox(122);
    } else if (outcome.kind == DiscoveryOutcome::kSetReply) {
        InformationBox(outcome.code == kSetSuccess ? 123 : outcome.code == kSetBadLogin ? 124 : 125);
    }
    return 0;
}

void COrvexDlg::OnCommand(int id) {
    switch (id) {
        case 1: OnApply(); break;
        case 2: EndDialog(2); break;
        case 1018: OnExport(); break;
        case 1020: OnFind(); break;
        case 1021: OnOneKeySet(); break;
        default: break;
    }
}

void COrvexDlg::OnSelChange(int id) {
    if (id == 1000) OnLanguageChange();
    if (id == 1008) OnAdapterChange();
    if (id == 1022) OnTabChange();
}

void COrvexDlg::OnNotify(int id, Notify code) {
    if (id != 1017) return;
    if (code == kNotifyClick) OnListClick();
    if (code == kNotifyDoubleClick) OnListDoubleClick();
}

void COrvexDlg::OnLanguageChange() {
    const int index = ItemAs<QComboBox>(1000)->currentData().toInt();
    UiLanguage::Set(index == 1 ? kLanguageChinese : kLanguageEnglish);
    InstallQtTranslation(UiLanguage::Current());
    ApplyLanguage();
    Item(1022)->update();
}

void COrvexDlg::OnTabChange() {
    const int index = ItemAs<TabControl>(1022)->Bar()->currentIndex();
    if (index < 0 || index > 2 || !m_basic || !m_other || !m_smart) return;
    m_basic->setVisible(index == 0);
    m_other->setVisible(index == 1);
    m_smart->setVisible(index == 2);
}

const NetCardItem* COrvexDlg::SelectedAdapter() const {
    const QVariant data = ItemAs<QComboBox>(1008)->currentData();
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

void COrvexDlg::OnFind() { m_scheduler.PostSearchNow(); }

int COrvexDlg::FirstSelectedRow() const {
    m_view->Flush();
    const auto rows = ItemAs<QTableWidget>(1017)->selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) first = index.row();
    }
    return first;
}

void COrvexDlg::OnListClick() { m_table.Select(FirstSelectedRow()); }

void COrvexDlg::OnListDoubleClick() {
    const int row = FirstSelectedRow();
    if (row < 0) return;
    auto* list = ItemAs<QTableWidget>(1017);
    const std::wstring ip = platform::Trim(FromQString(list->item(row, 2)->text()));
    const std::wstring port = platform::Trim(FromQString(list->item(row, 3)->text()));
    const std::wstring address =
        platform::LeadingInt(port) == 80 ? L"http://" + ip : L"http://" + ip + L":" + port;
    UiServices::Current()->ShellOpen(CodePage::WideToOem(address, 127));
}

bool COrvexDlg::StillShown(const DeviceRecord& camera) {
    // The camera may have left the list while the login was open: the pages were cleared
    // then, and what they show no longer belongs to it.
    return m_table.SelectedIndex() >= 0 && SameCamera(m_table.SelectedRecord(), camera);
}

void COrvexDlg::OnApply() {
    const int selected = m_table.SelectedIndex();
    if (selected < 0) return;
    std::optional<DeviceRecord> copy = m_table.Entry(selected);
    if (!copy) return;
    CDlgLogin login;
    if (login.DoModal() != 1 || !StillShown(*copy)) return;
    if (m_basic) m_basic->SaveToRecord(*copy);
    auto block = std::make_unique<DeviceRecord>(*copy);
    CodePage::WriteField(block->szUser, sizeof(block->szUser), login.m_strAccount);
    CodePage::WriteField(block->szPassword, sizeof(block->szPassword), login.m_strPassword);
    m_scheduler.PostSetRequest(std::move(block));
}

void COrvexDlg::OnOneKeySet() {
    const int selected = m_table.SelectedIndex();
    if (selected < 0) return;
    std::optional<DeviceRecord> copy = m_table.Entry(selected);
    if (!copy) return;
    if (copy->byNetMode == 1) {
        WarningBox(151);
        return;
    }
    if (ConfirmBox(152) != kIdOk) return;
    const NetCardItem* adapter = SelectedAdapter();
    if (!adapter) return;
    const std::wstring ip =
        OneKeyAddress(adapter->strIp, CodePage::FieldToWide(copy->szIp, sizeof(copy->szIp)));
    if (m_basic) {
        m_basic->SetNetAddresses(ip, adapter->strSubMask, adapter->strGateway, adapter->strPrimaryDns,
                                 adapter->strSecondaryDns);
    }
    CDlgLogin login;
    if (login.DoModal() != 1 || !StillShown(*copy)) return;
    auto block = std::make_unique<DeviceRecord>(*copy);
    CodePage::WriteField(block->szUser, sizeof(block->szUser), login.m_strAccount);
    CodePage::WriteField(block->szPassword, sizeof(block->szPassword), login.m_strPassword);
    CodePage::WriteField(block->szIp, sizeof(block->szIp), ip);
    CodePage::WriteField(block->szSubMask, sizeof(block->szSubMask), adapter->strSubMask);
    CodePage::WriteField(block->szGateway, sizeof(block->szGateway), adapter->strGateway);
    CodePage::WriteField(block->szPrimaryDns, sizeof(block->szPrimaryDns), adapter->strPrimaryDns);
    CodePage::WriteField(block->szSecondaryDns, sizeof(block->szSecondaryDns), adapter->strSecondaryDns);
    m_scheduler.PostSetRequest(std::move(block));
}

void COrvexDlg::OnExport() {
    const std::wstring path = UiServices::Current()->SaveFileName(L"ipcam.txt", L"*.txt");
    if (path.empty()) return;
    std::FILE* file = std::fopen(CodePage::WideToOem(path).c_str(), "w+b");
    if (!file) return;
    if (const auto entries = m_table.SnapshotIfIdle()) {
        const std::string lines = FormatExportLines(*entries);
        std::fwrite(lines.data(), 1, lines.size(), file);
    }
    std::fflush(file);
    std::fclose(file);
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
