// The main window with virtual cameras on loopback, offscreen, on a faster clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QThread>
#include <atomic>
#include <cstring>
#include <fstream>
#include <thread>

#include "discovery/AddressSplit.h"
#include "pages/DlgBasicInfo.h"
#include "tests/gui/MainWindowFixture.h"
#include "ui/IpAddressCtrl.h"

namespace orvex {
namespace {

using orvextest::AnswerNextModal;
using orvextest::TypeInto;

TEST_F(MainWindow, CamerasAppearWithLetterNameAddressAndPort) {
    ASSERT_TRUE(WaitForRows(3));
    const int door = RowOf("10.0.0.57");
    const int cafe = RowOf("10.0.0.58");
    ASSERT_GE(door, 0);
    ASSERT_GE(cafe, 0);
    EXPECT_EQ(list->item(door, 0)->text(), "T");
    EXPECT_EQ(list->item(door, 1)->text(), "Front door");
    EXPECT_EQ(list->item(door, 3)->text(), "80");
    EXPECT_EQ(list->item(cafe, 0)->text(), "F");
    EXPECT_EQ(list->item(cafe, 1)->text(), QString::fromUtf8("停车场 Café"));
    EXPECT_EQ(list->item(cafe, 3)->text(), "8080");
    EXPECT_EQ(list->item(RowOf("10.0.0.59"), 0)->text(), "C");
    EXPECT_EQ(Label(1019), L"Count:3");
    EXPECT_TRUE(window->ItemEnabled(1018));
    EXPECT_FALSE(window->ItemEnabled(1));     // nothing selected yet
    EXPECT_FALSE(window->ItemEnabled(1021));
    EXPECT_EQ(Label(1003), L"192.168.1.20");  // the first adapter's panel
    EXPECT_EQ(Label(1007), L"8.8.4.4");
}

TEST_F(MainWindow, RepliesMergeWithoutTouchingRowsAndARenameShowsAfterASweep) {
    ASSERT_TRUE(WaitForRows(3));
    std::vector<QTableWidgetItem*> items;
    for (int r = 0; r < 3; ++r) items.push_back(list->item(r, 1));
    const int searches = static_cast<int>(fleet.SearchTimes().size());
    ASSERT_TRUE(SpinUntil([&] { return static_cast<int>(fleet.SearchTimes().size()) >= searches + 3; }));
    for (int r = 0; r < 3; ++r) EXPECT_EQ(list->item(r, 1), items[static_cast<std::size_t>(r)]);  // untouched

    fleet.SetName(2, "Back yard");
    ASSERT_TRUE(SpinUntil([&] { return list->item(RowOf("10.0.0.59"), 1)->text() == "Back yard"; }));
    EXPECT_EQ(list->rowCount(), 3);
}

TEST_F(MainWindow, MovedCameraIsListedTwiceUntilItsOldEntryIsSwept) {
    ASSERT_TRUE(WaitForRows(3));
    fleet.SetAddress(0, "10.0.0.99");
    ASSERT_TRUE(WaitForRows(4));
    ASSERT_TRUE(SpinUntil([&] { return RowOf("10.0.0.57") < 0; }));
    EXPECT_EQ(list->rowCount(), 3);
    EXPECT_GE(RowOf("10.0.0.99"), 0);
}

TEST_F(MainWindow, SelectionFillsThePagesAndItsCameraLeavingClearsThem) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.58"));
    CDlgBasicInfo* basic = window->BasicPage();
    EXPECT_EQ(basic->ItemText(1025), L"停车场 Café");
    EXPECT_EQ(basic->ItemText(1029), L"8080");
    EXPECT_EQ(basic->ItemText(1026), L"http://10.0.0.58:8080");
    EXPECT_EQ(basic->ItemText(1027), L"ORVX000002ABCDE");
    EXPECT_EQ(basic->ItemText(1030), L"Dynamic IP");
    EXPECT_FALSE(basic->ItemEnabled(1031));  // dynamic: no addresses to edit
    EXPECT_TRUE(window->ItemEnabled(1));
    EXPECT_TRUE(window->ItemEnabled(1021));

    fleet.SetMuted(0, true);  // another camera leaves: the selection stays
    ASSERT_TRUE(WaitForRows(2));
    EXPECT_EQ(window->Table().SelectedIndex(), RowOf("10.0.0.58"));
    EXPECT_EQ(basic->ItemText(1025), L"停车场 Café");

    fleet.SetMuted(1, true);  // the selected camera leaves
    ASSERT_TRUE(WaitForRows(1));
    EXPECT_EQ(basic->ItemText(1025), L"");
    EXPECT_EQ(basic->ItemText(1029), L"0");
    EXPECT_FALSE(basic->ItemEnabled(1025));
    EXPECT_FALSE(window->ItemEnabled(1));
    EXPECT_FALSE(window->ItemEnabled(1021));

    fleet.SetMuted(2, true);  // the last one leaves
    ASSERT_TRUE(WaitForRows(0));
    EXPECT_EQ(Label(1019), L"Count:0");
    EXPECT_FALSE(window->ItemEnabled(1018));
}

TEST_F(MainWindow, AdapterChangeEmptiesTheListAndRestartsDiscovery) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(0);
    Choose(window->Item(1008), +1);
    EXPECT_EQ(list->rowCount(), 0);
    EXPECT_EQ(Label(1019), L"Count:0");
    EXPECT_EQ(Label(1003), L"192.168.1.57");
    EXPECT_FALSE(window->ItemEnabled(1));
    EXPECT_EQ(window->BasicPage()->ItemText(1025), L"");
    ASSERT_TRUE(WaitForRows(3));
}

TEST_F(MainWindow, ApplySendsTheEditedSettingsAndShowsTheReply) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    CDlgBasicInfo* basic = window->BasicPage();
    TypeInto(basic->Item(1029), "8081");
    TypeInto(basic->ItemAs<IpAddressCtrl>(1033)->FirstField(), "10.0.0.254");
    AnswerLogin(" admin ", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return fleet.SetRequests().size() == 1; }));
    DeviceRecord expected = Received(0);
    expected.wPort = 8081;
    std::memset(expected.szGateway, 0, 16);
    std::strcpy(expected.szGateway, "10.0.0.254");
    std::memset(expected.szUser, 0, 32);
    std::strcpy(expected.szUser, "admin");
    std::memset(expected.szPassword, 0, 32);
    EXPECT_EQ(fleet.SetRequests()[0].datagram, BuildSetRequest(ParamsOf(expected)));
    ASSERT_TRUE(SpinUntil([&] { return SawBox(123); }));  // "Set success"
}

TEST_F(MainWindow, ApplyAnswersForWrongLoginNoRightsAndAnOverlongAccount) {
    fleet.Stop();
    camsim::CameraFleet guarded;
    camsim::CameraConfig locked = Camera(7, "10.0.0.77", 80, "Locked", 0);
    locked.password = "right";
    guarded.AddCamera(locked);
    camsim::CameraConfig viewer = Camera(8, "10.0.0.78", 80, "Viewer", 0);
    viewer.mayChangeSettings = false;
    guarded.AddCamera(viewer);
    std::string error;
    ASSERT_TRUE(guarded.Start(&error)) << error;
    ASSERT_TRUE(WaitForRows(2));
    ClickRow(RowOf("10.0.0.77"));
    const QString longAccount(40, 'a');
    AnswerLogin(longAccount, "wrong");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return SawBox(124); }));
    const auto sent = guarded.SetRequests()[0].datagram;  // a copy: the list is a temporary
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sent.data()) + 4 + 232, 32),
              std::string(31, 'a') + '\0');  // cut, its terminating zero kept
    ClickRow(RowOf("10.0.0.78"));
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return SawBox(125); }));
    window.reset();
    guarded.Stop();
}

TEST_F(MainWindow, OneKeySetMovesAFixedCameraIntoTheAdaptersSubnet) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    AnswerLogin("admin", "");
    Click(1021);
    ASSERT_TRUE(SpinUntil([&] { return fleet.SetRequests().size() == 1; }));
    EXPECT_TRUE(SawBox(152));  // the question came first
    DeviceRecord expected = Received(0);
    const auto put = [](char* field, const char* text) {
        std::memset(field, 0, 16);
        std::strcpy(field, text);
    };
    put(expected.szIp, "192.168.1.57");
    put(expected.szSubMask, "255.255.255.0");
    put(expected.szGateway, "192.168.1.1");
    put(expected.szPrimaryDns, "8.8.8.8");
    put(expected.szSecondaryDns, "8.8.4.4");
    std::strcpy(expected.szUser, "admin");
    EXPECT_EQ(fleet.SetRequests()[0].datagram, BuildSetRequest(ParamsOf(expected)));
    EXPECT_EQ(window->BasicPage()->ItemText(1031), L"192.168.1.57");  // shown at once
    ASSERT_TRUE(SpinUntil([&] { return SawBox(123); }));
    // The camera answers from its new address: listed twice until the old entry goes.
    ASSERT_TRUE(SpinUntil([&] { return RowOf("192.168.1.57") >= 0; }));
}

TEST_F(MainWindow, OneKeySetRefusesDynamicCamerasAndStopsOnCancel) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.58"));
    Choose(window->BasicPage()->Item(1030), -1);  // page says Fixed: the table decides
    ASSERT_EQ(window->BasicPage()->ItemText(1030), L"Fixed IP");
    Click(1021);
    EXPECT_TRUE(SawBox(151));
    EXPECT_EQ(ui->Boxes().back().icon, BoxIcon::kWarning);
    ClickRow(RowOf("10.0.0.59"));
    ui->confirmAnswer = kIdCancel;
    Click(1021);
    EXPECT_TRUE(SawBox(152));
    ui->confirmAnswer = kIdOk;
    AnswerLogin("admin", "", false);  // the login cancelled
    Click(1021);
    QTest::qWait(300);
    EXPECT_TRUE(fleet.SetRequests().empty());
}

TEST(OneKeyAddress, ExamplesOfTheAddressRule) {
    EXPECT_EQ(OneKeyAddress(L"192.168.1.20", L"10.0.0.57"), L"192.168.1.57");
    EXPECT_EQ(OneKeyAddress(L"192.168.1.57", L"10.0.0.57"), L"192.168.1.58");
    EXPECT_EQ(OneKeyAddress(L"192.168.1.255", L"10.0.0.255"), L"192.168.1.188");
    EXPECT_EQ(SplitAddress(L" 10 . 2 .x3. 4a"), (std::array<int, 4>{10, 2, 0, 4}));
    EXPECT_EQ(SplitAddress(L"10.2."), (std::array<int, 4>{10, 2, -1, -1}));
    EXPECT_EQ(SplitAddress(L"10.2.3"), (std::array<int, 4>{10, 2, -1, -1}));
    EXPECT_EQ(SplitAddress(L"10"), (std::array<int, 4>{-1, -1, -1, -1}));
}

TEST_F(MainWindow, LanguageSwitchRelabelsEverythingAndKeepsTheState) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.59"));
    QWidget* language = window->Item(1000);
    Choose(language, +1);
    EXPECT_EQ(window->windowTitle(), "Orvex V1.0.0.7");
    EXPECT_EQ(Label(1009), L"网卡:");
    EXPECT_EQ(Label(1019), L"共有摄像机:3");
    EXPECT_EQ(Label(1), L"应用");
    EXPECT_TRUE(window->ItemEnabled(1018));
    EXPECT_EQ(list->horizontalHeaderItem(1)->text(), QString::fromUtf8("名称"));
    EXPECT_EQ(window->BasicPage()->ItemText(1037), L"名称:");
    EXPECT_EQ(window->BasicPage()->ItemText(1030), L"固定IP地址 (静态IP)");  // selection kept
    Choose(language, -1);
    EXPECT_EQ(Label(1009), L"Network Adapter:");
    EXPECT_EQ(window->BasicPage()->ItemText(1030), L"Fixed IP");
}

TEST_F(MainWindow, EnterRunsApplyOnlyWithACameraSelected) {
    ASSERT_TRUE(WaitForRows(3));
    QTest::keyClick(list, Qt::Key_Return);  // nothing selected: nothing happens
    QTest::qWait(100);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ClickRow(0);
    bool loginShown = false;
    AnswerNextModal([&](QWidget* modal) {
        loginShown = qobject_cast<CDlgLogin*>(modal) != nullptr;
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(loginShown);
    QTest::qWait(200);
    EXPECT_TRUE(fleet.SetRequests().empty());
}

TEST_F(MainWindow, ScreenshotsInEnglishAndChinese) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.58"));
    QDir().mkpath("screenshots");
    EXPECT_TRUE(window->grab().save("screenshots/main-en.png"));
    Choose(window->Item(1000), +1);
    EXPECT_TRUE(window->grab().save("screenshots/main-zh.png"));
    Choose(window->Item(1000), -1);
}

TEST_F(MainWindow, AboutBoxFromTheWindowMenu) {
    // The window menu offers the About item in the language of the start.
    QString item;
    std::function<void()> closeMenu = [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            if (!menu->actions().isEmpty()) item = menu->actions()[0]->text();
            menu->close();
            return;
        }
        QTimer::singleShot(5, closeMenu);
    };
    QTimer::singleShot(0, closeMenu);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), window->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(window.get(), &event);
    EXPECT_EQ(item, "About Orvex(&A)...");

    std::wstring title, version, ok;
    AnswerNextModal([&](QWidget* modal) {
        auto* about = qobject_cast<CDialog*>(modal);
        ASSERT_NE(about, nullptr);
        title = FromQString(about->windowTitle());
        for (QLabel* label : about->findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) version = FromQString(label->text());
        }
        ok = about->ItemText(1);
        about->ItemAs<QPushButton>(1)->click();
    });
    window->ShowAbout();
    EXPECT_EQ(title, L"About");
    EXPECT_EQ(version, L"V1.0.0.7");
    EXPECT_EQ(ok, L"OK");
}

TEST(MainWindowStart, NoAdapterShowsItsMessageOnceAndSearchesNothing) {
    platform::AdapterSource::Install(std::make_shared<FixedAdapters>(std::vector<platform::Adapter>{}));
    auto ui = std::make_shared<orvextest::ScriptedUi>();
    UiServices::Install(ui);
    UiLanguage::Set(kLanguageEnglish);
    {
        COrvexDlg window;
        window.CreateModeless();
        QTest::qWait(200);
        ASSERT_EQ(ui->Boxes().size(), 1u);
        EXPECT_EQ(ui->Boxes()[0].text, L"No network card information");
        EXPECT_EQ(ui->Boxes()[0].caption, L"Prompt");
        EXPECT_FALSE(window.Scheduler().IsRunning());
        EXPECT_EQ(window.ItemText(1003), L"");
        orvextest::Click(window.Item(1020));  // Find goes nowhere
        QTest::keyClick(window.Item(1017), Qt::Key_Return);  // Apply with nothing selected
        orvextest::Click(window.Item(1021));
        QTest::qWait(100);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(ui->Boxes().size(), 1u);
    }
    UiServices::Install(nullptr);
    platform::AdapterSource::Install(nullptr);
}

TEST(WindowHandles, DestroyingAWindowReleasesAThreadSendingToIt) {
    auto dialog = std::make_unique<CDialog>(100);
    dialog->CreateModeless();
    const platform::HWND hwnd = dialog->Handle();
    std::atomic<bool> returned{false};
    std::thread sender([&] {
        platform::WindowRegistry::Send(hwnd, 0x7FA, 0, 0);  // the window thread is not pumping
        returned = true;
    });
    QThread::msleep(100);
    EXPECT_FALSE(returned);
    dialog.reset();  // no deadlock: the waiting sender is let go
    sender.join();
    EXPECT_TRUE(returned);
    EXPECT_FALSE(platform::WindowRegistry::Post(hwnd, 0x7FA, 0, 0));
}

TEST(BasicPage, PortStepsAndPortsBeyond65535) {
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"65535", 1), L"65535");  // the most a port holds
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"99999", -1), L"65535");
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"0", -1), L"0");
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"", 1), L"1");
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"", -1), L"0");
    EXPECT_EQ(CDlgBasicInfo::StepPort(L"007", 0), L"7");
    CDlgBasicInfo page;
    page.CreateModeless();
    DeviceRecord record;
    std::strcpy(record.szIp, "10.0.0.5");
    std::strcpy(record.szName, "  Caf\xC3\xA9 \xE9\x97\xA8 ");
    record.wPort = 80;
    record.byNetMode = 0;
    record.abyReserved320[5] = 0x42;
    page.ShowDeviceInfo(&record);
    EXPECT_EQ(page.ItemText(1026), L"http://10.0.0.5");
    page.ItemAs<QLineEdit>(1029)->setText("70000");
    page.SetItemText(1035, L"1.2.3.4");
    DeviceRecord saved = record;
    page.SaveToRecord(saved);
    EXPECT_EQ(saved.wPort, 80);  // never wrapped into another port
    EXPECT_STREQ(saved.szName, "Caf\xC3\xA9 \xE9\x97\xA8");  // the camera's own bytes, trimmed
    EXPECT_STREQ(saved.szSecondaryDns, "1.2.3.4");
    EXPECT_EQ(saved.abyReserved320[5], 0x42);
    page.ItemAs<QLineEdit>(1029)->setText("65535");
    page.SaveToRecord(saved);
    EXPECT_EQ(saved.wPort, 65535);
    record.byNetMode = 7;  // neither mode: no selection, controls left enabled
    page.ShowDeviceInfo(&record);
    EXPECT_EQ(page.ItemText(1030), L"");
    EXPECT_TRUE(page.ItemEnabled(1031));
    page.SaveToRecord(saved);
    EXPECT_EQ(saved.byNetMode, 0);  // without a selection the mode stays as it was
}

}  // namespace
}  // namespace orvex
