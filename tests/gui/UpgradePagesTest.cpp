// The Others page, the Smart Upgrade page and the manual upgrade dialog, driven with the
// mouse and the keyboard against virtual cameras and a firmware server, offscreen, on a
// clock twenty times faster.
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include "platform/TextUtil.h"
#include "tests/gui/UpgradePagesFixture.h"

namespace orvex {
namespace {

TEST_F(UpgradePages, SmartRunLogsEachPhaseOnceAndTheCameraComesBackUpgraded) {
    Select(1);
    ShowTab(2);
    EXPECT_EQ(smart->ItemText(1067), L"admin");
    EXPECT_EQ(smart->ItemText(1068), L"470319");
    EXPECT_EQ(smart->ItemText(1065), L"    " + UiLanguage::Load(178));
    EXPECT_EQ(smart->Item(1073)->palette().color(QPalette::Text), QColor(0, 0, 255));
    TypeInto(smart->Item(1068), "pw");
    Click(smart->Item(1069));

    // Follow the run: the button stays disabled until the run has ended, a counting line
    // grows in place, and a selection change meanwhile leaves the run alone.
    bool enabledEarly = false, countedInPlace = false, reselected = false;
    LogLine previous{0, ""};
    std::size_t previousSize = 0;
    ASSERT_TRUE(SpinUntil(
        [&] {
            const std::vector<LogLine> log = Log();
            const bool ended = !log.empty() && log.back().status == kStatusComplete;
            if (!ended && smart->ItemEnabled(1069)) enabledEarly = true;
            if (!log.empty()) {
                const LogLine& last = log.back();
                if (last.status == kStatusSystemRebooting && previous.status == last.status &&
                    log.size() == previousSize && last.text != previous.text) {
                    countedInPlace = true;
                }
                if (last.status == kStatusSystemRebooting && !reselected) {
                    Select(2);  // another camera: the running task stays on camera 1
                    reselected = true;
                }
                previous = last;
                previousSize = log.size();
            }
            return ended && smart->ItemEnabled(1069);
        },
        30000));
    EXPECT_FALSE(enabledEarly);
    EXPECT_TRUE(countedInPlace);
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 31, 35, 36, 38}));
    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d:");
    const std::vector<LogLine> log = Log();
    for (const LogLine& line : log) EXPECT_TRUE(stamp.match(line.text).hasMatch()) << line.text.toStdString();
    auto text = [&](std::size_t i) { return log[i].text.mid(20); };
    EXPECT_EQ(text(0), "Begin upgrade...");
    EXPECT_EQ(text(1), "The device is connected to normal");
    EXPECT_EQ(text(2), "The current device firmware version is 1.7.15.4");
    EXPECT_EQ(text(3), "The latest device firmware version is 1.7.15.9");
    EXPECT_TRUE(QRegularExpression("^Upgrade System Firmware\\.\\.\\.\\d+$").match(text(4)).hasMatch());
    EXPECT_TRUE(QRegularExpression("^System Firmware upgrade to complete reboot\\.\\.\\.\\d+$").match(text(5)).hasMatch());
    EXPECT_EQ(text(6), "This upgrade is completed");
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.9");
    EXPECT_EQ(fleet.Web(1).Config().version, "1.7.15.4");  // the camera selected meanwhile is untouched

    // The camera answers with its new version: the Others page shows it on the next click.
    ShowTab(1);
    ASSERT_TRUE(SpinUntil([&] {
        Select(1);
        return other->ItemText(1046) == L"1.7.15.9";
    }));
    EXPECT_EQ(other->ItemText(1047), L"02:4F:52:00:00:61");
    EXPECT_EQ(other->ItemText(1048), L"ddns1");
}

TEST_F(UpgradePages, SameVersionAsksAndCancelEndsWhileOkGoesOn) {
    auto settings = firmware.Current();
    settings.sameVersion = true;
    firmware.Change(settings);
    std::size_t linesWhenAsked = 0, linesWhenAnswered = 0;
    ui->whileOpen = [&](const orvextest::ScriptedUi::Box&) {
        linesWhenAsked = Log().size();
        QTest::qWait(300);  // several ticks while the question is open
        linesWhenAnswered = Log().size();
    };
    ui->confirmAnswer = kIdCancel;
    ASSERT_TRUE(RunSmart(1));
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 31, 28}));
    EXPECT_EQ(Log().back().text.mid(20), "Cancel the upgrade");
    ASSERT_FALSE(ui->Boxes().empty());
    EXPECT_EQ(ui->Boxes().back().text, UiLanguage::Load(190));
    EXPECT_EQ(ui->Boxes().back().icon, BoxIcon::kQuestion);
    EXPECT_EQ(linesWhenAsked, 4u);  // asked after the line of status 31
    EXPECT_EQ(linesWhenAnswered, 4u);
    EXPECT_EQ(fleet.Web(0).Config().version, "1.7.15.4");

    ui->confirmAnswer = kIdOk;
    ASSERT_TRUE(RunSmart(1));
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 31, 35, 36, 38}));
}

TEST_F(UpgradePages, FinalLinesForWrongLoginSilentServerAndUnreachableCamera) {
    ASSERT_TRUE(RunSmart(1, "wrong"));
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 3}));
    EXPECT_EQ(Log().back().text.mid(20), "ERROR Incorrect username or password");

    firmware.Stop();
    ASSERT_TRUE(RunSmart(1));
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 30}));
    EXPECT_EQ(Log().back().text.mid(20), "Failure to read the latest firmware version");

    fleet.Web(0).Stop();
    ASSERT_TRUE(RunSmart(1));
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 7}));
    EXPECT_EQ(Log().back().text.mid(20), "Unable to connect to the camera");
}

TEST_F(UpgradePages, DynamicCameraIsFollowedByMacAndAFixedOneIsNot) {
    for (std::size_t i : {0u, 1u}) {
        camsim::WebFaults faults = fleet.Web(i).Config().faults;
        faults.newIp = i == 0 ? "127.0.0.93" : "127.0.0.92";
        fleet.Web(i).SetFaults(faults);
    }
    ASSERT_TRUE(RunSmart(2));  // dynamic: found at its new address by MAC
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 31, 35, 36, 38}));
    EXPECT_EQ(fleet.Web(1).Config().ip, "127.0.0.92");
    EXPECT_EQ(fleet.Web(1).Config().version, "1.7.15.9");

    ASSERT_TRUE(RunSmart(1));  // fixed: asked at its old address until the wait ends
    EXPECT_EQ(Statuses(), (std::vector<int>{-1, 10, 29, 31, 35, 36, 7}));
    EXPECT_EQ(Log().back().text.mid(20), "Unable to connect to the camera");
}

TEST_F(UpgradePages, ManualUploadsReachTheCameraWhole) {
    std::string firmwareBytes = "ORVEXFW 1.7.15.8\n";
    for (int i = 0; i < 200000; ++i) firmwareBytes += static_cast<char>(i * 7 % 251);
    const std::string path = WriteFile("manual", firmwareBytes);
    files.push_back(path);
    ui->openPath = platform::Widen(path);
    Select(1);
    for (const int radio : {1059, 1060}) {
        bool checkedAtStart = false, upgradeDisabled = false;
        RunManual([&](CManualUpgd* dialog) {
            checkedAtStart = dialog->ItemAs<QRadioButton>(1059)->isChecked();
            if (radio == 1060) Click(dialog->Item(1060));
            Click(dialog->Item(1062));
            Click(dialog->Item(1));
            upgradeDisabled = !dialog->ItemEnabled(1);
        });
        EXPECT_TRUE(checkedAtStart);
        EXPECT_TRUE(upgradeDisabled);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // it closed itself after the box
        EXPECT_EQ(LastBox(), L"This upgrade is completed");
        EXPECT_EQ(ui->lastOpenFilter, L"Firmware(*.bin)|*.bin|");
        ASSERT_FALSE(fleet.Web(0).Uploads().empty());
        const auto upload = fleet.Web(0).Uploads().back();
        EXPECT_EQ(upload.cgi, radio == 1059 ? "upgrade_htmls.cgi" : "upgrade_firmware.cgi");
        EXPECT_TRUE(upload.bytes == firmwareBytes);
    }
    EXPECT_EQ(fleet.Web(0).Uploads().size(), 2u);
}

TEST_F(UpgradePages, ManualRefusesAnEmptyPathAndSendsWhatOpenReadThoughTheFileChanges) {
    Select(1);
    const std::size_t requests = fleet.Web(0).Requests().size();
    int threadsWithDialog = 0, threadsAfterClick = 0;
    RunManual([&](CManualUpgd* dialog) {
        threadsWithDialog = platform::Thread::LiveCount();
        Click(dialog->Item(1));
        threadsAfterClick = platform::Thread::LiveCount();
        Click(dialog->Item(2));
    });
    EXPECT_TRUE(SawBox(168));
    EXPECT_EQ(threadsAfterClick, threadsWithDialog);  // no worker started
    EXPECT_EQ(fleet.Web(0).Requests().size(), requests);

    // What Open read is what goes: a file removed or replaced after it changes nothing.
    for (const int radio : {1059, 1060}) {
        const std::string original = orvextest::FirmwareImage(radio == 1059 ? "2.4.10.4" : "1.7.15.8", 3000);
        const std::string path = WriteFile("gone", original);
        ui->openPath = platform::Widen(path);
        std::wstring statusBeforeUpgrade;
        RunManual([&](CManualUpgd* dialog) {
            Click(dialog->Item(radio));
            Click(dialog->Item(1062));
            statusBeforeUpgrade = dialog->ItemText(1064);
            if (radio == 1059) {
                unlink(path.c_str());
            } else {
                std::ofstream(path, std::ios::binary | std::ios::trunc) << "<html>changed</html>";
            }
            Click(dialog->Item(1));
        });
        EXPECT_EQ(LastBox(), L"This upgrade is completed");
        ASSERT_FALSE(fleet.Web(0).Uploads().empty());
        EXPECT_TRUE(fleet.Web(0).Uploads().back().bytes == original);
        const std::wstring summary = platform::Widen(path.substr(path.rfind('/') + 1)) + L": 3000 bytes, SHA-256 ";
        EXPECT_EQ(statusBeforeUpgrade.substr(0, summary.size()), summary) << statusBeforeUpgrade;
        EXPECT_EQ(statusBeforeUpgrade.size(), summary.size() + 64);
        unlink(path.c_str());
    }
    EXPECT_EQ(fleet.Web(0).Uploads().size(), 2u);
}

// Files that would brick a camera are refused when they are opened, in a box naming the
// file and the reason; Upgrade then has no file, and nothing reaches the camera.
TEST_F(UpgradePages, ManualRefusesFilesThatAreNotFirmware) {
    Select(1);
    const std::size_t requests = fleet.Web(0).Requests().size();
    const std::string big = WriteFile("big", "x");
    ASSERT_EQ(truncate(big.c_str(), 65LL * 1024 * 1024), 0);
    files.push_back(big);
    struct Case {
        std::string path;
        std::wstring reason;
    };
    std::vector<Case> cases = {
        {WriteFile("login.bin", "<!DOCTYPE html>\n<html><body>Sign in</body></html>"),
         L"This is a text file (looks like HTML), not firmware."},
        {WriteFile("reply.bin", "  {\"name\": \"1.7.16.0\"}"), L"This is a text file (looks like JSON), not firmware."},
        {WriteFile("empty.bin", ""), L"The file is empty."},
        {WriteFile("zeros.bin", std::string(4096, '\0')),
         L"Every byte of the file is 0x00: a blank or erased image, not firmware."},
        {big, L"The file is larger than 64 MB, more than any camera firmware."},
    };
    for (const Case& c : cases) files.push_back(c.path);
    RunManual([&](CManualUpgd* dialog) {
        for (const Case& c : cases) {
            ui->openPath = platform::Widen(c.path);
            Click(dialog->Item(1062));
            EXPECT_EQ(LastBox(), L"This file is not sent to the camera:\n" + platform::Widen(c.path) + L"\n" + c.reason);
            EXPECT_EQ(dialog->ItemText(1061), L"") << c.path;
            EXPECT_EQ(dialog->ItemText(1064), L"") << c.path;
            const int threads = platform::Thread::LiveCount();
            Click(dialog->Item(1));
            EXPECT_TRUE(SawBox(168));  // no file to upload
            EXPECT_EQ(platform::Thread::LiveCount(), threads);
        }
        Click(dialog->Item(2));
    });
    EXPECT_EQ(fleet.Web(0).Requests().size(), requests);
    EXPECT_TRUE(fleet.Web(0).Uploads().empty());
}

TEST_F(UpgradePages, SetUidThroughTheHiddenControls) {
    Select(1);
    ShowTab(1);
    auto* uid = other->ItemAs<QLineEdit>(1056);
    auto* set = other->ItemAs<QPushButton>(1057);
    EXPECT_FALSE(uid->isVisible());
    EXPECT_FALSE(set->isVisible());
    EXPECT_EQ(other->ItemText(1049), L"ORVX000061ABCDE");
    for (const auto& [typed, message] : std::vector<std::pair<QString, int>>{
             {"   ", 196},
             {"abcdefghijklmn,opqrstuv", 197},  // first comma at 14
             {"abcdefghijklmnop,qrstu", 197},   // first comma at 16
             {"abcdefghijklmn ,pqrstu", 197}}) {
        TypeInto(uid, typed);
        const std::size_t boxes = ui->Boxes().size();
        set->click();  // hidden: clicked as its command arrives
        ASSERT_EQ(ui->Boxes().size(), boxes + 1);
        EXPECT_EQ(LastBox(), UiLanguage::Load(message)) << typed.toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);  // no login asked for
    }

    const auto setUid = [&](const QString& password) {
        const std::size_t boxes = ui->Boxes().size();
        AnswerLogin(password);
        set->click();
        EXPECT_FALSE(set->isEnabled());
        EXPECT_TRUE(SpinUntil([&] { return ui->Boxes().size() > boxes; }, 10000));
        EXPECT_TRUE(set->isEnabled());
        return LastBox();
    };
    TypeInto(uid, " orvx00000061abc,defghi ");
    EXPECT_EQ(setUid("pw"), L"Set the UID successfully, please restart the device.");
    EXPECT_EQ(fleet.Web(0).Config().uid, "ORVX00000061ABC,DEFGHI");
    EXPECT_EQ(setUid("wrong"), L"ERROR Incorrect username or password");
    fleet.Web(0).Stop();
    EXPECT_EQ(setUid("pw"), L"Failed to set UID");

    fleet.SetMuted(0, true);  // the selected camera leaves the list
    ASSERT_TRUE(SpinUntil([&] { return other->ItemText(1046).empty(); }, 8000));
    EXPECT_FALSE(set->isEnabled());
    EXPECT_EQ(uid->text(), " orvx00000061abc,defghi ");  // what was typed stays

    // A task still running when the window goes: cut off, its result dropped.
    Select(2);
    AnswerLogin("pw");
    set->click();
    const std::size_t boxes = ui->Boxes().size();
    window.reset();
    EXPECT_EQ(platform::Thread::LiveCount(), threadsBefore);
    QTest::qWait(100);
    EXPECT_EQ(ui->Boxes().size(), boxes);
}

TEST_F(UpgradePages, ExitDuringAManualRunEndsItWithinASecond) {
    const std::string path = WriteFile("exit", orvextest::FirmwareImage("1.7.15.8"));
    files.push_back(path);
    ui->openPath = platform::Widen(path);
    Select(1);
    const int threadsOutside = platform::Thread::LiveCount();
    int threadsDuringRun = 0;
    QElapsedTimer sinceExit;
    RunManual([&](CManualUpgd* dialog) {
        Click(dialog->Item(1062));
        Click(dialog->Item(1));
        // Exit while the camera restarts (the engine waits there for 50 s).
        ASSERT_TRUE(SpinUntil([&] { return dialog->ItemText(1064).rfind(UiLanguage::Load(171), 0) == 0; }, 10000));
        EXPECT_EQ(dialog->Item(1064)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        threadsDuringRun = platform::Thread::LiveCount();
        sinceExit.start();
        Click(dialog->Item(2));
    });
    EXPECT_LT(sinceExit.elapsed(), 1000);
    EXPECT_EQ(threadsDuringRun, threadsOutside + 2);  // the worker and the tick
    EXPECT_EQ(platform::Thread::LiveCount(), threadsOutside);
    EXPECT_FALSE(SawBox(176));  // no final box after Exit
}

TEST_F(UpgradePages, ClosingTheWindowDuringASmartRunEndsItWithinASecond) {
    Select(1);
    ShowTab(2);
    TypeInto(smart->Item(1068), "pw");
    Click(smart->Item(1069));
    ASSERT_TRUE(SpinUntil([&] { return !Log().empty() && Log().back().status == kStatusSystemRebooting; }, 20000));
    EXPECT_GT(platform::Thread::LiveCount(), threadsBefore + 2);  // discovery, worker and tick
    QElapsedTimer sinceClose;
    sinceClose.start();
    Click(window->Item(2));  // Close; the window is destroyed as the program ends
    window.reset();
    EXPECT_LT(sinceClose.elapsed(), 1000);
    EXPECT_EQ(platform::Thread::LiveCount(), threadsBefore);
}

TEST_F(UpgradePages, TheWindowGoingAwayWhileTheQuestionIsOpenReleasesTheWorker) {
    auto settings = firmware.Current();
    settings.sameVersion = true;
    firmware.Change(settings);
    qint64 closing = -1;
    ui->whileOpen = [&](const orvextest::ScriptedUi::Box& box) {
        if (box.text != UiLanguage::Load(190)) return;
        QElapsedTimer timer;
        timer.start();
        window.reset();  // the worker waits for this box's answer meanwhile
        closing = timer.elapsed();
    };
    Select(1);
    ShowTab(2);
    TypeInto(smart->Item(1068), "pw");
    Click(smart->Item(1069));
    ASSERT_TRUE(SpinUntil([&] { return window == nullptr; }, 20000));
    EXPECT_GE(closing, 0);
    EXPECT_LT(closing, 1000);
    EXPECT_EQ(platform::Thread::LiveCount(), threadsBefore);
}

// Screenshots for people to look at: the Others page, a finished smart run and the manual
// dialog during a run, in both languages.
TEST_F(UpgradePages, ScreenshotsOfThePagesAndTheManualDialog) {
    const std::string path = WriteFile("shot", orvextest::FirmwareImage("1.7.15.8"));
    files.push_back(path);
    ui->openPath = platform::Widen(path);
    QDir().mkpath("screenshots");
    for (const char* language : {"en", "zh"}) {
        if (std::string(language) == "zh") {
            QTest::keyClick(window->Item(1000), Qt::Key_Down);  // the language combo
            ASSERT_EQ(UiLanguage::Current(), kLanguageChinese);
        }
        ASSERT_TRUE(RunSmart(1));
        EXPECT_EQ(Statuses().back(), kStatusComplete);
        EXPECT_TRUE(window->grab().save(QString("screenshots/smart-%1.png").arg(language)));
        Select(2);  // camera 1 stays undisturbed for the next smart run
        RunManual([&](CManualUpgd* dialog) {
            Click(dialog->Item(1062));
            Click(dialog->Item(1));
            ASSERT_TRUE(SpinUntil([&] { return !dialog->ItemText(1064).empty(); }, 10000));
            EXPECT_TRUE(dialog->grab().save(QString("screenshots/manual-%1.png").arg(language)));
            Click(dialog->Item(2));
        });
        EXPECT_TRUE(window->grab().save(QString("screenshots/others-%1.png").arg(language)));
    }
    QTest::keyClick(window->Item(1000), Qt::Key_Up);
}

}  // namespace
}  // namespace orvex
