// The main window's answers to what users and networks really do: addresses typed key by
// key, floods of results while a box is open, an export while the list is busy. Driven
// with the mouse and the keyboard; what reaches the virtual cameras is checked.
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <fstream>
#include <map>
#include <thread>

#include "discovery/DiscoveryMessages.h"
#include "pages/DlgBasicInfo.h"
#include "platform/WindowRegistry.h"
#include "resources/Resource.h"
#include "tests/gui/MainWindowFixture.h"
#include "ui/IpAddressCtrl.h"

namespace orvex {
namespace {

using orvextest::TypeInto;

// A set request's text field at `offset` of its 320-byte block.
std::string Field(const camsim::CameraFleet::SetRequestSeen& request, std::size_t offset) {
    return reinterpret_cast<const char*>(request.datagram.data()) + 4 + offset;
}

TEST_F(MainWindow, AddressesTypedKeyByKeyAreSentAsTyped) {
    // Wrong password: the camera records each request and keeps its settings.
    ASSERT_TRUE(WaitForRows(3));
    const std::vector<QString> addresses = {"192.168.1.100", "10.0.0.1", "127.0.5.12", "1.2.3.4"};
    const int controls[] = {IDC_BASIC_IP, IDC_BASIC_MASK, IDC_BASIC_GATEWAY, IDC_BASIC_DNS1, IDC_BASIC_DNS2};
    const std::size_t offsets[] = {0, 16, 32, 48, 64};
    CDlgBasicInfo* basic = window->BasicPage();
    for (std::size_t round = 0; round < addresses.size(); ++round) {
        ClickRow(RowOf("10.0.0.57"));
        for (std::size_t c = 0; c < 5; ++c) {
            const QString& typed = addresses[(round + c) % addresses.size()];
            TypeInto(basic->ItemAs<IpAddressCtrl>(controls[c])->FirstField(), typed);
            EXPECT_EQ(ToQString(basic->ItemText(controls[c])).toStdString(), typed.toStdString()) << controls[c];
        }
        AnswerLogin("admin", "not the password");
        Click(IDOK);
        ASSERT_TRUE(SpinUntil([&] { return fleet.SetRequests().size() == round + 1; }));
        for (std::size_t c = 0; c < 5; ++c) {
            EXPECT_EQ(Field(fleet.SetRequests()[round], offsets[c]), addresses[(round + c) % addresses.size()].toStdString());
        }
    }
}

TEST_F(MainWindow, AddressFieldsGoBackOnBackspaceAndTakeAPastedAddress) {
    ASSERT_TRUE(WaitForRows(3));
    ClickRow(RowOf("10.0.0.57"));
    auto* gateway = window->BasicPage()->ItemAs<IpAddressCtrl>(IDC_BASIC_GATEWAY);
    TypeInto(gateway->FirstField(), "10.20.");  // the third field now has the focus
    QLineEdit* third = gateway->findChild<QLineEdit*>("field2");
    ASSERT_EQ(window->focusWidget(), third);
    TypeInto(third, "");  // emptied
    orvextest::PressKey(window.get(), Qt::Key_Backspace);  // back to the second field
    EXPECT_EQ(window->focusWidget(), gateway->findChild<QLineEdit*>("field1"));
    orvextest::PressKey(window.get(), Qt::Key_Backspace);  // and an ordinary Backspace there
    EXPECT_EQ(gateway->findChild<QLineEdit*>("field1")->text(), "2");

    QApplication::clipboard()->setText(" 172.16.254.3 ");
    orvextest::PressKey(window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->BasicPage()->ItemText(IDC_BASIC_GATEWAY), L"172.16.254.3");
    QApplication::clipboard()->setText("1.2.3");  // not an address: nothing changes
    orvextest::PressKey(window.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(window->BasicPage()->ItemText(IDC_BASIC_GATEWAY), L"172.16.254.3");
}

// Counts the message boxes shown, by their text.
class BoxCounter : public QObject {
public:
    std::map<QString, int> shown;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) ++shown[box->text()];
        }
        return false;
    }
    static std::vector<QMessageBox*> Open(int textId) {
        std::vector<QMessageBox*> boxes;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible() && box->text() == UiLanguage::LoadQ(textId)) boxes.push_back(box);
        }
        return boxes;
    }
};

TEST_F(MainWindow, ResultsThatFloodInWhileABoxIsOpenShowOneBoxOfEachKind) {
    fleet.SetMuted(2, true);
    ASSERT_TRUE(WaitForRows(2));
    UiServices::Install(nullptr);  // the desktop's own boxes, each with its event loop
    BoxCounter counter;
    qApp->installEventFilter(&counter);
    const auto post = [&](platform::WPARAM code) {
        platform::WindowRegistry::Post(window->Handle(), kMsgDiscovery, code, 0);
    };
    bool done = false;
    const auto opened = [](int textId) {
        return [textId]() -> QWidget* {
            const auto boxes = BoxCounter::Open(textId);
            return boxes.empty() ? nullptr : boxes[0];
        };
    };
    // 1. With the first search-failure box open: hundreds of set results and failures.
    orvextest::WhenFound(opened(IDS_SEARCH_SEND_FAILED), [&](QWidget*) {
        for (int i = 0; i < 300; ++i) {
            post(i % 3 == 0 ? kSetBadLogin : kSetSuccess);
            post(kSendFailed);
        }
        post(kSetNoRights);
        fleet.SetMuted(2, false);
    }, 10000);
    // 2. One set box opens on top; the window still works below both boxes.
    orvextest::WhenFound(opened(IDS_BAD_LOGIN), [&](QWidget* box) {
        EXPECT_TRUE(SpinUntil([&] { return list->rowCount() == 3; }, 8000));
        EXPECT_EQ(BoxCounter::Open(IDS_SEARCH_SEND_FAILED).size(), 1u);
        EXPECT_EQ(BoxCounter::Open(IDS_SET_SUCCESS).size() + BoxCounter::Open(IDS_NO_RIGHTS).size(), 0u);
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
    }, 15000);
    // 3. Closed, the newest set result that came meanwhile shows once; then no more.
    orvextest::WhenFound(opened(IDS_NO_RIGHTS), [&](QWidget* box) {
        static_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
        QTimer::singleShot(300, [&] {
            EXPECT_EQ(BoxCounter::Open(IDS_SET_SUCCESS).size() + BoxCounter::Open(IDS_NO_RIGHTS).size(), 0u);
            for (QMessageBox* search : BoxCounter::Open(IDS_SEARCH_SEND_FAILED)) search->button(QMessageBox::Ok)->click();
            done = true;
        });
    }, 15000);
    post(kSendFailed);
    ASSERT_TRUE(SpinUntil([&] { return done; }, 20000));
    SpinUntil([] { return false; }, 200);
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(counter.shown[UiLanguage::LoadQ(IDS_SEARCH_SEND_FAILED)], 1);
    EXPECT_EQ(counter.shown[UiLanguage::LoadQ(IDS_BAD_LOGIN)], 1);  // the first set result
    EXPECT_EQ(counter.shown[UiLanguage::LoadQ(IDS_SET_SUCCESS)], 0);
    EXPECT_EQ(counter.shown[UiLanguage::LoadQ(IDS_NO_RIGHTS)], 1);  // the newest, once
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, ExportWaitsForABusyListAndSaysWhenItCannotWrite) {
    ASSERT_TRUE(WaitForRows(3));
    const std::string path = "/tmp/orvex-busy-export-" + std::to_string(getpid()) + ".txt";
    ui->savePath = std::wstring(path.begin(), path.end());
    // Held past the wait: nothing is written, the user is told.
    ASSERT_TRUE(window->Table().TryBeginBusy());
    Click(IDC_EXPORT);
    EXPECT_TRUE(SawBox(IDS_LIST_BUSY));
    EXPECT_NE(access(path.c_str(), F_OK), 0);
    // Held for a moment, as a tick's lookup holds it: Export waits and writes the list.
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        window->Table().EndBusy();
    });
    Click(IDC_EXPORT);
    release.join();
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
    unlink(path.c_str());
    // A file that cannot be written.
    ui->savePath = L"/nonexistent/dir/ipcam.txt";
    const std::size_t boxes = ui->Boxes().size();
    Click(IDC_EXPORT);
    ASSERT_EQ(ui->Boxes().size(), boxes + 1);
    EXPECT_EQ(ui->Boxes().back().text, UiLanguage::Load(IDS_EXPORT_FAILED));
}

TEST_F(MainWindow, SendFailureShowsItsMessage) {
    ASSERT_TRUE(WaitForRows(3));
    ASSERT_TRUE(orvextest::Ip("addr del 192.168.1.20/32 dev lo"));
    ASSERT_TRUE(SpinUntil([&] { return SawBox(IDS_SEARCH_SEND_FAILED); }));
    EXPECT_EQ(list->rowCount(), 3);  // no sweep while sending fails
}

TEST_F(MainWindow, ExportWritesFixedColumnLinesAndDoubleClickOpensTheBrowser) {
    fleet.SetMuted(1, true);
    ASSERT_TRUE(WaitForRows(2));
    const std::string path = "/tmp/orvex-export-" + std::to_string(getpid()) + ".txt";
    ui->savePath = std::wstring(path.begin(), path.end());
    Click(IDC_EXPORT);
    EXPECT_EQ(ui->lastSaveInitialName, L"ipcam.txt");
    std::ifstream in(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::string door = "T       Front door          10.0.0.57           80      02:4F:52:00:00:01   \r\n";
    const std::string house = "C       Warehouse           10.0.0.59           81      02:4F:52:00:00:03   \r\n";
    const bool doorFirst = RowOf("10.0.0.57") == 0;
    EXPECT_EQ(text, doorFirst ? "1       " + door + "2       " + house : "1       " + house + "2       " + door);
    unlink(path.c_str());

    fleet.SetMuted(1, false);
    ASSERT_TRUE(WaitForRows(3));
    for (const auto& [ip, url] : std::vector<std::pair<QString, std::string>>{
             {"10.0.0.57", "http://10.0.0.57"}, {"10.0.0.58", "http://10.0.0.58:8080"}}) {
        const QRect rect = list->visualItemRect(list->item(RowOf(ip), 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
        ASSERT_FALSE(ui->Opened().empty());
        EXPECT_EQ(ui->Opened().back(), url);
    }
    const std::size_t opened = ui->Opened().size();
    const QPoint beside(5, list->viewport()->height() - 5);  // below every row
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, beside);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, beside);
    EXPECT_EQ(ui->Opened().size(), opened);  // no row selected: nothing opens
    EXPECT_FALSE(window->ItemEnabled(IDOK));
}

}  // namespace
}  // namespace orvex
