// Runs that must not start on nothing, and runs that must not hang when they cannot
// start: a camera swept while the login is open, a firmware path that does not fit the
// task's field, a thread the system refuses. Driven as a user drives the window.
#include <sys/stat.h>

#include <QLineEdit>
#include <QPushButton>

#include "resources/Resource.h"
#include "tests/gui/UpgradePagesFixture.h"

namespace orvex {
namespace {

class UpgradeGuards : public UpgradePages {
protected:
    void TearDown() override {
        platform::Thread::RefuseStarts(0, 0);
        UpgradePages::TearDown();
    }
    // The requests camera 1's web side has received so far.
    std::size_t WebRequests() { return fleet.Web(0).Requests().size(); }
    // Answers the login, sweeping camera 1 off the list while the dialog is open.
    void AnswerLoginWhileTheCameraLeaves() {
        AnswerNextModalOf<CDlgLogin>([this](CDlgLogin* login) {
            QTest::keyClicks(login->Item(IDC_LOGIN_PASSWORD), "pw");
            fleet.SetMuted(0, true);  // two searches without it: swept, the page cleared
            EXPECT_TRUE(SpinUntil([&] { return other->ItemText(IDC_OTHER_MAC).empty(); }, 8000));
            Click(login->Item(IDOK));
        });
    }
};

TEST_F(UpgradeGuards, ACameraSweptDuringTheLoginGetsNothing) {
    Select(1);
    ShowTab(1);
    const std::size_t before = WebRequests();
    bool dialogOpened = false;
    AnswerLoginWhileTheCameraLeaves();
    AnswerNextModalOf<CManualUpgd>(
        [&](CManualUpgd* dialog) {
            dialogOpened = true;
            Click(dialog->Item(IDCANCEL));
        },
        300);
    Click(other->Item(IDC_MANUAL_UPGRADE));
    SpinUntil([] { return false; }, 300);  // a dialog opening late would show by now
    EXPECT_FALSE(dialogOpened);

    // Set UID: the same.
    fleet.SetMuted(0, false);
    ASSERT_TRUE(SpinUntil([&] { return orvextest::RowOf(list, CameraIp(1)) >= 0; }, 8000));
    Select(1);
    TypeInto(other->Item(IDC_SET_UID_EDIT), "ORVX00000061ABC,DEFGHI");
    const std::size_t boxes = ui->Boxes().size();
    AnswerLoginWhileTheCameraLeaves();
    other->ItemAs<QPushButton>(IDC_SET_UID)->click();  // hidden: clicked as its command arrives
    SpinUntil([] { return false; }, 300);
    EXPECT_EQ(ui->Boxes().size(), boxes);  // no result: nothing ran
    EXPECT_EQ(WebRequests(), before);
}

TEST_F(UpgradeGuards, AFirmwarePathThatDoesNotFitIsRefusedBeforeAnythingStarts) {
    // Real files: 300 ASCII characters, and 90 Chinese ones (270 bytes in UTF-8).
    const std::string dir = "/tmp/orvex-long-" + std::to_string(getpid());
    const std::string longDir = dir + "/" + std::string(150, 'd');
    mkdir(dir.c_str(), 0700);
    mkdir(longDir.c_str(), 0700);
    std::string chinese;
    for (int i = 0; i < 90; ++i) chinese += "\xE5\x9B\xBA";  // 固
    const std::vector<std::string> paths = {longDir + "/" + std::string(130, 'f'), dir + "/" + chinese};
    for (const std::string& path : paths) std::ofstream(path) << orvextest::FirmwareImage("9.9.9.9");
    ASSERT_GE(paths[0].size(), 300u);
    Select(1);
    const std::size_t before = WebRequests();
    RunManual([&](CManualUpgd* dialog) {
        for (const std::string& path : paths) {
            ui->openPath = QString::fromStdString(path).toStdWString();
            Click(dialog->Item(IDC_MANUAL_OPEN));
            const int threads = platform::Thread::LiveCount();
            Click(dialog->Item(IDOK));
            EXPECT_TRUE(SawBox(IDS_PATH_TOO_LONG)) << path.size();
            EXPECT_EQ(platform::Thread::LiveCount(), threads);  // no worker
            EXPECT_TRUE(dialog->ItemEnabled(IDOK));
        }
        Click(dialog->Item(IDCANCEL));
    });
    EXPECT_EQ(WebRequests(), before);
    for (const std::string& path : paths) unlink(path.c_str());
    rmdir(longDir.c_str());
    rmdir(dir.c_str());
}

TEST_F(UpgradeGuards, ARefusedThreadEndsTheRunWithALineAndTheControlsComeBack) {
    // Set UID: a box says it failed, Set stays usable, nothing reached the camera.
    Select(1);
    ShowTab(1);
    TypeInto(other->Item(IDC_SET_UID_EDIT), "ORVX00000061ABC,DEFGHI");
    const std::size_t before = WebRequests();
    platform::Thread::RefuseStarts(0, 1);
    AnswerLogin("pw");
    other->ItemAs<QPushButton>(IDC_SET_UID)->click();  // hidden: clicked as its command arrives
    EXPECT_EQ(LastBox(), UiLanguage::Load(IDS_SET_UID_FAILED));
    EXPECT_TRUE(other->ItemEnabled(IDC_SET_UID));
    EXPECT_EQ(WebRequests(), before);

    // The smart page: the worker refused, then the tick refused after the worker started.
    ShowTab(2);
    TypeInto(smart->Item(IDC_SMART_PASSWORD), "pw");
    const int threads = platform::Thread::LiveCount();
    for (const int after : {0, 1}) {
        platform::Thread::RefuseStarts(after, 1);
        Click(smart->Item(IDC_SMART_UPGRADE));
        ASSERT_EQ(Log().size(), 1u) << after;
        EXPECT_TRUE(Log()[0].text.endsWith(UiLanguage::LoadQ(IDS_THREAD_REFUSED))) << after;
        EXPECT_TRUE(smart->ItemEnabled(IDC_SMART_UPGRADE));
        EXPECT_EQ(smart->m_bUpgrading, 0);
        EXPECT_EQ(platform::Thread::LiveCount(), threads) << "a started worker is joined";
    }

    // The manual dialog: the worker refused, then the same click again runs to its end.
    const std::string file = WriteFile("webui-guard", orvextest::FirmwareImage("1.7.16.1", 5000));
    files.push_back(file);
    ui->openPath = QString::fromStdString(file).toStdWString();
    bool ran = false;
    RunManual([&](CManualUpgd* dialog) {
        ran = true;
        Click(dialog->Item(IDC_MANUAL_OPEN));
        platform::Thread::RefuseStarts(0, 1);
        Click(dialog->Item(IDOK));
        EXPECT_EQ(dialog->ItemText(IDC_MANUAL_STATUS), UiLanguage::Load(IDS_THREAD_REFUSED));
        EXPECT_TRUE(dialog->ItemEnabled(IDOK));
        Click(dialog->Item(IDOK));
        EXPECT_FALSE(dialog->ItemEnabled(IDOK));
    });
    EXPECT_TRUE(ran);
    EXPECT_EQ(LastBox(), UiLanguage::Load(IDS_UPGRADE_COMPLETE));  // the dialog closed after it

    // And the smart page, refused twice above, runs a whole upgrade.
    EXPECT_TRUE(RunSmart(2));
    EXPECT_EQ(Statuses().back(), kStatusComplete);
}

}  // namespace
}  // namespace orvex
