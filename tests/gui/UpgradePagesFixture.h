#pragma once
// The window with two virtual cameras (one fixed, one dynamic address), their web sides
// and a firmware server, offscreen, on a clock twenty times faster; the Others page, the
// Smart Upgrade page and the manual upgrade dialog as a user drives them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QListWidget>
#include <QTableWidget>
#include <QTest>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/OrvexDlg.h"
#include "tests/support/FirmwareImage.h"
#include "pages/DlgLogin.h"
#include "pages/DlgOtherInfo.h"
#include "pages/DlgSmartUpgd.h"
#include "pages/ManualUpgd.h"
#include "platform/Thread.h"
#include "resources/StringTable.h"
#include "tests/support/FixedAdapters.h"
#include "tests/support/NetnsCommand.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestClock.h"
#include "tests/support/UserActions.h"
#include "tools/camsim/CameraFleet.h"
#include "tools/camsim/FirmwareServer.h"
#include "ui/TabControl.h"
#include "ui/UiLanguage.h"

namespace orvex {


using orvextest::AnswerNextModalOf;
using orvextest::Click;
using orvextest::SpinUntil;
using orvextest::TypeInto;

struct LogLine {
    int status;
    QString text;
};

inline camsim::CameraConfig UpgradeCamera(int n, int netMode) {
    camsim::CameraConfig c;
    c.ip = "127.0.0." + std::to_string(60 + n);
    c.port = static_cast<std::uint16_t>(8060 + n);
    c.mac = {0x02, 0x4F, 0x52, 0x00, 0x00, static_cast<std::uint8_t>(0x60 + n)};
    c.name = "Camera " + std::to_string(n);
    c.version = "1.7.15.4";
    c.uid = "ORVX0000" + std::to_string(60 + n) + "ABCDE";
    c.ddnsPassword = "ddns" + std::to_string(n);
    c.password = "pw";
    c.netMode = static_cast<std::uint8_t>(netMode);
    c.faults.slowReplyMs = 1500;  // every phase lasts long enough for a tick to see it
    return c;
}

inline std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = "/tmp/orvex-" + name + "-" + std::to_string(getpid()) + ".bin";
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

class UpgradePages : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("ORVEX_FIRMWARE_HOST", "127.0.0.80", 1);
        ASSERT_TRUE(orvextest::Ip("addr add 192.168.1.20/32 dev lo"));
        platform::AdapterSource::Install(std::make_shared<orvextest::FixedAdapters>(
            std::vector<platform::Adapter>{orvextest::MakeAdapter("eth0", "192.168.1.20", 2)}));
        ui = std::make_shared<orvextest::ScriptedUi>();
        UiServices::Install(ui);
        UiLanguage::Set(kLanguageEnglish);
        fleet.AddCamera(UpgradeCamera(1, 0));
        fleet.AddCamera(UpgradeCamera(2, 1));
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        ASSERT_TRUE(fleet.StartWeb(&error)) << error;
        ASSERT_TRUE(firmware.Start(&error)) << error;
        threadsBefore = platform::Thread::LiveCount();
        window = std::make_unique<COrvexDlg>();
        window->CreateModeless();
        list = window->ItemAs<QTableWidget>(1017);
        smart = window->SmartPage();
        other = window->OtherPage();
        ASSERT_TRUE(SpinUntil([&] { return list->rowCount() == 2; }, 8000));
    }
    void TearDown() override {
        ui->whileOpen = nullptr;
        window.reset();
        firmware.Stop();
        fleet.Stop();
        UiServices::Install(nullptr);
        platform::AdapterSource::Install(nullptr);
        orvextest::Ip("addr del 192.168.1.20/32 dev lo");
        for (const std::string& path : files) unlink(path.c_str());
    }

    void Select(int camera) { orvextest::ClickRow(list, orvextest::RowOf(list, CameraIp(camera))); }
    static QString CameraIp(int camera) { return QString("127.0.0.%1").arg(60 + camera); }
    void ShowTab(int index) { orvextest::ClickTab(window->ItemAs<TabControl>(1022), index); }
    std::vector<LogLine> Log() {
        std::vector<LogLine> lines;
        auto* log = smart->ItemAs<QListWidget>(1073);
        for (int i = 0; i < log->count(); ++i) {
            lines.push_back({log->item(i)->data(Qt::UserRole).toInt(), log->item(i)->text()});
        }
        return lines;
    }
    std::vector<int> Statuses() {
        std::vector<int> statuses;
        for (const LogLine& line : Log()) statuses.push_back(line.status);
        return statuses;
    }
    // Types the password on the smart page, clicks Upgrade Firmware and waits until the
    // run has ended and 0x7FB was handled.
    bool RunSmart(int camera, const QString& password = "pw", int ms = 30000) {
        Select(camera);
        ShowTab(2);
        TypeInto(smart->Item(1068), password);
        Click(smart->Item(1069));
        if (smart->ItemEnabled(1069)) return false;  // disabled from the click on
        const bool ended = SpinUntil([&] { return smart->m_bUpgrading == 0; }, ms);
        if (!ended) {
            for (const LogLine& line : Log()) ADD_FAILURE() << "log: " << line.text.toStdString();
        }
        return ended;
    }
    // Answers the login that a command of the Others page opens.
    void AnswerLogin(const QString& password) {
        AnswerNextModalOf<CDlgLogin>([password](CDlgLogin* login) {
            QTest::keyClicks(login->Item(1056), password);
            Click(login->Item(1));
        });
    }
    // Manual Upgrade on the Others page: the login, then the dialog, which `drive` works
    // with; returns when the dialog has closed.
    void RunManual(const std::function<void(CManualUpgd*)>& drive) {
        ShowTab(1);
        AnswerLogin("pw");
        AnswerNextModalOf<CManualUpgd>([drive](CManualUpgd* dialog) { drive(dialog); });
        Click(other->Item(1054));
    }
    bool SawBox(int id) {
        for (const auto& box : ui->Boxes()) {
            if (box.text == UiLanguage::Load(id) && box.caption == UiLanguage::Load(117)) return true;
        }
        return false;
    }
    std::wstring LastBox() { return ui->Boxes().empty() ? L"" : ui->Boxes().back().text; }

    orvextest::ScopedTimeScale fast{20};
    camsim::CameraFleet fleet;
    camsim::FirmwareServer firmware{camsim::FirmwareServer::Settings{}};
    std::shared_ptr<orvextest::ScriptedUi> ui;
    std::unique_ptr<COrvexDlg> window;
    QTableWidget* list = nullptr;
    CDlgSmartUpgd* smart = nullptr;
    CDlgOtherInfo* other = nullptr;
    int threadsBefore = 0;
    std::vector<std::string> files;
};

}  // namespace orvex
