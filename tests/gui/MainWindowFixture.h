#pragma once
// The main window with three virtual cameras on loopback, offscreen, on a faster clock,
// and what a user does with it.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "app/OrvexDlg.h"
#include "discovery/DiscoveryCodec.h"
#include "pages/DlgLogin.h"
#include "resources/StringTable.h"
#include "tests/support/FixedAdapters.h"
#include "tests/support/NetnsCommand.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TestClock.h"
#include "tests/support/UserActions.h"
#include "tools/camsim/CameraFleet.h"
#include "ui/UiLanguage.h"

namespace orvex {

using orvextest::FixedAdapters;
using orvextest::MakeAdapter;
using orvextest::SpinUntil;

inline camsim::CameraConfig Camera(int n, const char* ip, std::uint16_t port, const std::string& name, int netMode) {
    camsim::CameraConfig c;
    c.ip = ip;
    c.port = port;
    c.name = name;
    c.netMode = static_cast<std::uint8_t>(netMode);
    c.mac = {0x02, 0x4F, 0x52, 0x00, 0x00, static_cast<std::uint8_t>(n)};
    c.version = n == 1 ? "1.2.15.4" : n == 2 ? "1.7.15.4" : "1.7.60.4";
    c.uid = "ORVX00000" + std::to_string(n) + "ABCDE";
    return c;
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* ip : {"192.168.1.20", "192.168.1.57"}) {
            ASSERT_TRUE(orvextest::Ip(std::string("addr add ") + ip + "/32 dev lo"));
        }
        platform::AdapterSource::Install(std::make_shared<FixedAdapters>(std::vector<platform::Adapter>{
            MakeAdapter("eth0", "192.168.1.20", 2), MakeAdapter("eth1", "192.168.1.57", 3)}));
        ui = std::make_shared<orvextest::ScriptedUi>();
        UiServices::Install(ui);
        UiLanguage::Set(kLanguageEnglish);
        fleet.AddCamera(Camera(1, "10.0.0.57", 80, "Front door", 0));
        fleet.AddCamera(Camera(2, "10.0.0.58", 8080, "\xE5\x81\x9C\xE8\xBD\xA6\xE5\x9C\xBA Caf\xC3\xA9", 1));
        fleet.AddCamera(Camera(3, "10.0.0.59", 81, "Warehouse", 0));
        std::string error;
        ASSERT_TRUE(fleet.Start(&error)) << error;
        window = std::make_unique<COrvexDlg>();
        window->CreateModeless();
        window->activateWindow();
        list = window->ItemAs<QTableWidget>(1017);
    }
    void TearDown() override {
        window.reset();
        fleet.Stop();
        UiServices::Install(nullptr);
        platform::AdapterSource::Install(nullptr);
        for (const char* ip : {"192.168.1.20", "192.168.1.57"}) {
            orvextest::Ip(std::string("addr del ") + ip + "/32 dev lo");
        }
    }
    bool WaitForRows(int rows, int ms = 8000) {
        return SpinUntil([&] { return list->rowCount() == rows; }, ms);
    }
    int RowOf(const QString& ip) { return orvextest::RowOf(list, ip); }
    void ClickRow(int row) { orvextest::ClickRow(list, row); }
    // Answers the login dialog that the next command opens: types the account and the
    // password, then clicks OK or Cancel. `meanwhile` runs while the dialog is open.
    void AnswerLogin(const QString& account, const QString& password, bool ok = true,
                     std::function<void()> meanwhile = {}) {
        orvextest::AnswerNextModalOf<CDlgLogin>([=](CDlgLogin* login) {
            orvextest::TypeInto(login->Item(1055), account);
            orvextest::TypeInto(login->Item(1056), password);
            if (meanwhile) meanwhile();
            orvextest::Click(login->Item(ok ? 1 : 2));
        });
    }
    void Click(int id) { orvextest::Click(window->Item(id)); }
    // Chooses the next (+1) or previous (-1) entry of a drop-down list with the keyboard.
    static void Choose(QWidget* combo, int step) { QTest::keyClick(combo, step > 0 ? Qt::Key_Down : Qt::Key_Up); }
    std::wstring Label(int id) { return window->ItemText(id); }
    bool SawBox(int id) {
        for (const auto& box : ui->Boxes()) {
            if (box.text == UiLanguage::Load(id) && box.caption == UiLanguage::Load(117)) return true;
        }
        return false;
    }
    // The record the camera sends, as the listener decodes it.
    DeviceRecord Received(std::size_t index) {
        const auto reply = BuildSearchReply(fleet.Record(index));
        return DecodeReply(reply.data(), reply.size()).record;
    }

    orvextest::ScopedTimeScale fast{10};
    camsim::CameraFleet fleet;
    std::shared_ptr<orvextest::ScriptedUi> ui;
    std::unique_ptr<COrvexDlg> window;
    QTableWidget* list = nullptr;
};

}  // namespace orvex
