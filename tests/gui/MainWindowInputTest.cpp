// The main window in a user's hands: each fault a new user met with the mouse and the
// keyboard, driven the same way, with what reaches the virtual cameras.
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <fstream>
#include <sstream>

#include <json/json.h>

#include "fleet/SiteLock.h"
#include "pages/DlgBasicInfo.h"
#include "pages/DlgOtherInfo.h"
#include "pages/DlgSmartUpgd.h"
#include "pages/ManualUpgd.h"
#include "tests/gui/MainWindowFixture.h"
#include "ui/IpAddressCtrl.h"
#include "ui/TabControl.h"

namespace orvex {
namespace {

using orvextest::PressKey;
using orvextest::TypeInto;
using orvextest::TypeKeys;

// The MAC bytes of the camera a set request is addressed to.
std::array<std::uint8_t, 6> MacOf(const camsim::CameraFleet::SetRequestSeen& request) {
    std::array<std::uint8_t, 6> mac{};
    std::copy_n(request.datagram.begin() + 4 + 80, 6, mac.begin());
    return mac;
}

std::string Field(const camsim::CameraFleet::SetRequestSeen& request, std::size_t offset) {
    return reinterpret_cast<const char*>(request.datagram.data()) + 4 + offset;
}

int PortOf(const camsim::CameraFleet::SetRequestSeen& request) {
    return request.datagram[4 + 86] | (request.datagram[4 + 87] << 8);
}

QLineEdit* AddressField(CDlgBasicInfo* page, int id, int field) {
    return page->Item(id)->findChild<QLineEdit*>(QString("field%1").arg(field));
}

TEST_F(MainWindow, NothingIsSentForACameraThatLeftWhileTheLoginWasOpen) {
    ASSERT_TRUE(WaitForRows(3));
    const auto leaves = [&] {
        fleet.SetMuted(0, true);  // two searches without it: swept, the pages cleared
        EXPECT_TRUE(SpinUntil([&] { return window->BasicPage()->ItemText(1025).empty(); }, 8000));
    };
    ClickRow(RowOf("10.0.0.57"));
    AnswerLogin("admin", "", true, leaves);
    Click(1);  // Apply
    fleet.SetMuted(0, false);
    ASSERT_TRUE(SpinUntil([&] { return RowOf("10.0.0.57") >= 0; }, 8000));
    ClickRow(RowOf("10.0.0.57"));
    AnswerLogin("admin", "", true, leaves);
    Click(1021);  // One Key Set
    EXPECT_TRUE(SawBox(152));

    // A camera that stays gets its request at once: nothing above was merely late.
    ClickRow(RowOf("10.0.0.59"));
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return !fleet.SetRequests().empty(); }));
    ASSERT_EQ(fleet.SetRequests().size(), 1u);
    EXPECT_EQ(MacOf(fleet.SetRequests()[0]), fleet.Camera(2).mac);
    EXPECT_EQ(Field(fleet.SetRequests()[0], 0), "10.0.0.59");
}

TEST_F(MainWindow, AddressFieldsHold0To255AndMoveOnAsTheyAreTyped) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    CDlgBasicInfo* basic = window->BasicPage();
    TypeInto(AddressField(basic, 1033, 0), "999");  // taken down to 255, then the next field
    EXPECT_EQ(AddressField(basic, 1033, 0)->text(), "255");
    EXPECT_EQ(window->focusWidget(), AddressField(basic, 1033, 1));
    TypeKeys(window.get(), "1.2.");  // a dot moves on as well
    EXPECT_EQ(window->focusWidget(), AddressField(basic, 1033, 3));
    TypeKeys(window.get(), "2569");  // 256 becomes 255; a fourth digit is refused
    EXPECT_EQ(AddressField(basic, 1033, 3)->text(), "255");
    EXPECT_EQ(basic->ItemText(1033), L"255.1.2.255");
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return !fleet.SetRequests().empty(); }));
    EXPECT_EQ(Field(fleet.SetRequests()[0], 32), "255.1.2.255");
}

// The change journal's lines, as the window wrote them in this test run.
std::vector<std::string> JournalLines() {
    std::ifstream in(std::string(std::getenv("XDG_STATE_HOME")) + "/orvex/journal.jsonl");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST_F(MainWindow, AnAppliedChangeIsJournaledOnceWithTheCamerasAnswer) {
    ASSERT_TRUE(WaitForRows(3));
    const std::size_t before = JournalLines().size();
    ClickRow(RowOf("10.0.0.59"));
    TypeInto(AddressField(window->BasicPage(), 1031, 3), "77");
    for (int i = 0; i < 2; ++i) {  // applied twice before the camera answers: one change
        AnswerLogin("admin", "");
        Click(1);
    }
    // Written before it was sent, and again with the camera's answer.
    ASSERT_TRUE(SpinUntil([&] { return JournalLines().size() == before + 2; }, 8000));
    ASSERT_TRUE(SpinUntil([&] { return fleet.SetRequests().size() == 2; }));
    Json::Value entry, result;
    std::istringstream(JournalLines()[before]) >> entry;
    std::istringstream(JournalLines().back()) >> result;
    EXPECT_EQ(entry["program"].asString(), "orvex");
    EXPECT_EQ(entry["action"].asString(), "set");
    EXPECT_EQ(entry["phase"].asString(), "sent");
    EXPECT_EQ(entry["adapter"].asString(), "192.168.1.20");
    EXPECT_EQ(entry["mac"].asString(), MacText(fleet.Record(2)));
    EXPECT_EQ(entry["ip"].asString(), "10.0.0.59");
    EXPECT_EQ(entry["changes"]["ip"]["new"].asString(), "10.0.0.77");
    // The empty secondary DNS goes out as the address control reads it, 0.0.0.0; nothing
    // else was touched.
    EXPECT_EQ(entry["changes"].getMemberNames(), (std::vector<std::string>{"dns2", "ip"})) << entry;
    EXPECT_EQ(result["phase"].asString(), "result");
    EXPECT_EQ(result["id"], entry["id"]);
    EXPECT_EQ(result["result"].asString(), "success");
    EXPECT_EQ(result["result_code"].asString(), "0x8000");
    EXPECT_EQ(fleet.Camera(2).ip, "10.0.0.77");
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_EQ(JournalLines().size(), before + 2);  // the second reply adds nothing
}

TEST_F(MainWindow, ApplyWhileAnotherOrvexChangesCamerasSendsNothingAndSaysWhy) {
    ASSERT_TRUE(WaitForRows(3));
    SiteLock other;  // another Orvex, changing cameras through the same adapter
    std::string error;
    ASSERT_TRUE(other.Acquire({"192.168.1.20"}, 0, nullptr, &error)) << error;
    const std::size_t before = JournalLines().size();
    ClickRow(RowOf("10.0.0.57"));
    TypeInto(window->BasicPage()->Item(1029), "8081");
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] {
        for (const auto& box : ui->Boxes()) {
            if (box.text.find(UiLanguage::Load(203)) == 0 &&
                box.text.find(L"another Orvex is changing cameras on 192.168.1.20 (pid ") !=
                    std::wstring::npos)
                return true;
        }
        return false;
    }));
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    EXPECT_TRUE(fleet.SetRequests().empty());
    EXPECT_EQ(JournalLines().size(), before);
    // Once the other has finished, the same Apply goes out.
    other.Release();
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return fleet.SetRequests().size() == 1; }));
}

TEST_F(MainWindow, TheRowClickedIsTheCameraActedOn) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(0);
    const QRect last = list->visualItemRect(list->item(2, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, last.center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, list->visualItemRect(list->item(0, 0)).center());
    ClickRow(1);
    const auto selected = list->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected[0].row(), 1);
    const QString ip = list->item(1, 2)->text();
    EXPECT_EQ(ToQString(window->BasicPage()->ItemText(1031)), ip);
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return !fleet.SetRequests().empty(); }));
    EXPECT_EQ(QString::fromStdString(Field(fleet.SetRequests()[0], 0)), ip);

    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(5, list->viewport()->height() - 5));
    EXPECT_TRUE(list->selectionModel()->selectedRows().isEmpty());  // a click beside the rows
    EXPECT_EQ(window->BasicPage()->ItemText(1025), L"");
    EXPECT_FALSE(window->ItemEnabled(1));
}

// The id of the control that has the focus: "1017" on the window, "129:1029" on a page.
std::string FocusedControl(COrvexDlg* window) {
    QWidget* focus = window->focusWidget();
    const std::pair<const CDialog*, std::string> dialogs[] = {
        {window->BasicPage(), "129:"}, {window->OtherPage(), "130:"}, {window->SmartPage(), "132:"}, {window, ""}};
    for (const auto& [dialog, prefix] : dialogs) {
        for (const ControlTemplate& control : dialog->Template().controls) {
            QWidget* item = dialog->Item(control.id);
            if (control.id != 0 && item && (item == focus || item->isAncestorOf(focus))) {
                return prefix + std::to_string(control.id);
            }
        }
    }
    return "?";
}

TEST_F(MainWindow, TabMovesThroughTheControlsInTemplateOrder) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));  // fixed: its address controls take part
    std::vector<std::string> order;
    for (int i = 0; i < 26; ++i) {
        PressKey(window.get(), Qt::Key_Tab);
        order.push_back(FocusedControl(window.get()));
    }
    const std::vector<std::string> expected = {
        "1018",     "1000",     "1022",     "129:1025", "129:1029", "129:1028", "129:1030",
        "129:1031", "129:1032", "129:1033", "129:1034", "129:1035", "129:1027", "129:1026",
        "129:1036", "1021",     "1020",     "1",        "2",        "1008",     "1003",
        "1004",     "1005",     "1006",     "1007",     "1017"};
    EXPECT_EQ(order, expected);
    PressKey(window.get(), Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(FocusedControl(window.get()), "1007");

    orvextest::ClickTab(window->ItemAs<TabControl>(1022), 1);  // the Others page: hidden rows left out
    order.clear();
    for (int i = 0; i < 9; ++i) {  // on from 1007, where the focus still is
        PressKey(window.get(), Qt::Key_Tab);
        order.push_back(FocusedControl(window.get()));
    }
    EXPECT_EQ(order, (std::vector<std::string>{"1017", "1018", "1000", "1022", "130:1046", "130:1047", "130:1048",
                                               "130:1054", "1021"}));
}

TEST_F(MainWindow, EnterAndEscapeInsideAPageOrTheManualDialogChangeNothing) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    CDlgBasicInfo* basic = window->BasicPage();
    QTest::mouseClick(basic->Item(1026), Qt::LeftButton);
    PressKey(window.get(), Qt::Key_Tab);
    ASSERT_EQ(FocusedControl(window.get()), "129:1036");  // the page's Open button
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) PressKey(window.get(), key);
    EXPECT_TRUE(ui->Opened().empty());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no Apply either

    orvextest::ClickTab(window->ItemAs<TabControl>(1022), 2);
    CDlgSmartUpgd* smart = window->SmartPage();
    QTest::mouseClick(smart->Item(1068), Qt::LeftButton);
    PressKey(window.get(), Qt::Key_Tab);
    ASSERT_EQ(FocusedControl(window.get()), "132:1069");
    PressKey(window.get(), Qt::Key_Return);
    EXPECT_EQ(smart->ItemAs<QListWidget>(1073)->count(), 0);  // no run started
    EXPECT_TRUE(smart->ItemEnabled(1069));

    orvextest::ClickTab(window->ItemAs<TabControl>(1022), 1);
    bool stayedOpen = false;
    AnswerLogin("admin", "");
    orvextest::AnswerNextModalOf<CManualUpgd>([&](CManualUpgd* dialog) {
        QTest::mouseClick(dialog->Item(1061), Qt::LeftButton);
        PressKey(dialog, Qt::Key_Tab);  // onto Open
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) PressKey(dialog, key);
        stayedOpen = dialog->isVisible() && ui->lastOpenFilter.empty();
        orvextest::Click(dialog->Item(2));
    });
    orvextest::Click(window->OtherPage()->Item(1054));
    EXPECT_TRUE(stayedOpen);
}

TEST_F(MainWindow, ThePortHoldsAt65535AndWhatIsShownIsSent) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    CDlgBasicInfo* basic = window->BasicPage();
    TypeInto(basic->Item(1029), "70000");  // the last digit would pass 65535: refused
    EXPECT_EQ(basic->ItemText(1029), L"7000");
    TypeInto(basic->Item(1029), "655359");
    EXPECT_EQ(basic->ItemText(1029), L"65535");
    auto* up = basic->Item(1028)->findChild<QToolButton*>("up");
    auto* down = basic->Item(1028)->findChild<QToolButton*>("down");
    orvextest::Click(up);
    EXPECT_EQ(basic->ItemText(1029), L"65535");
    orvextest::Click(down);
    EXPECT_EQ(basic->ItemText(1029), L"65534");
    AnswerLogin("admin", "");
    Click(1);
    ASSERT_TRUE(SpinUntil([&] { return !fleet.SetRequests().empty(); }));
    EXPECT_EQ(PortOf(fleet.SetRequests()[0]), 65534);
}

TEST_F(MainWindow, QtsOwnDialogsSpeakTheInterfaceLanguage) {
    ASSERT_TRUE(WaitForRows(3));
    UiServices::Install(nullptr);  // the desktop's own save dialog
    QDir().mkpath("screenshots");
    const auto exportButtons = [&](bool screenshot) {
        QStringList texts;
        orvextest::AnswerNextModalOf<QFileDialog>([&](QFileDialog* dialog) {
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) texts << button->text();
            if (screenshot) {
                EXPECT_TRUE(dialog->grab().save("screenshots/save-zh.png"));
            }
            dialog->reject();
        });
        Click(1018);
        return texts.join('|');
    };
    Choose(window->Item(1000), +1);
    EXPECT_TRUE(exportButtons(true).contains(QString::fromUtf8("取消"))) << exportButtons(false).toStdString();
    QMenu* menu = window->ItemAs<QLineEdit>(1003)->createStandardContextMenu();
    QStringList actions;
    for (QAction* action : menu->actions()) actions << action->text();
    delete menu;
    EXPECT_TRUE(actions.join('|').contains(QString::fromUtf8("复制"))) << actions.join('|').toStdString();
    Choose(window->Item(1000), -1);
    EXPECT_TRUE(exportButtons(false).contains("Cancel"));
}

}  // namespace
}  // namespace orvex
