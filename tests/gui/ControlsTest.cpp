// The custom controls and the login dialog, offscreen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "pages/DlgLogin.h"
#include "ui/LimitEdit.h"
#include "ui/XPButton.h"
#include "tests/support/ScriptedUi.h"
#include "ui/DialogUnits.h"
#include "ui/IpAddressCtrl.h"
#include "ui/UiLanguage.h"

namespace orvex {
namespace {

QColor Rgb(int r, int g, int b) { return QColor(r, g, b); }

TEST(XPButton, GradientColoursOfTheFourLooks) {
    for (bool hover : {false, true}) {
        for (bool highlight : {false, true}) EXPECT_EQ(CXPButton::GradientColor(0, hover, highlight), Rgb(255, 255, 255));
    }
    EXPECT_EQ(CXPButton::GradientColor(63, false, false), Rgb(234, 234, 243));
    EXPECT_EQ(CXPButton::GradientColor(63, true, false), Rgb(240, 240, 243));
    EXPECT_EQ(CXPButton::GradientColor(63, false, true), Rgb(234, 234, 240));
    EXPECT_EQ(CXPButton::GradientColor(63, true, true), Rgb(240, 240, 234));
    EXPECT_EQ(CXPButton::GradientColor(30, false, false), Rgb(245, 245, 249));  // 255-10, 255-6
    EXPECT_EQ(CXPButton::GradientColor(30, true, true), Rgb(248, 248, 245));    // 255-7, 255-10
}

TEST(XPButton, GradientRowIndexNeverPasses63) {
    EXPECT_EQ(CXPButton::GradientIndex(0, 127), 0);
    EXPECT_EQ(CXPButton::GradientIndex(2, 127), 0);
    EXPECT_EQ(CXPButton::GradientIndex(64, 127), 31);
    EXPECT_EQ(CXPButton::GradientIndex(129, 127), 63);  // rows up to h + 2 are painted
    for (int y = 2; y <= 20 + 2; ++y) EXPECT_LE(CXPButton::GradientIndex(y, 20), 63);
    EXPECT_EQ(CXPButton::GradientIndex(20, 20), 63);  // from y = h on, colour 63
    EXPECT_EQ(CXPButton::GradientIndex(22, 20), 63);
}

TEST(XPButton, InnerBorderAndItsPens) {
    EXPECT_EQ(CXPButton::InsideBorder(false, false), CXPButton::Border::kNone);
    EXPECT_EQ(CXPButton::InsideBorder(false, true), CXPButton::Border::kFocus);
    EXPECT_EQ(CXPButton::InsideBorder(true, false), CXPButton::Border::kHot);
    EXPECT_EQ(CXPButton::InsideBorder(true, true), CXPButton::Border::kHot);
    const auto hot = CXPButton::BorderPens(CXPButton::Border::kHot);
    EXPECT_EQ(hot[0].color(), Rgb(250, 196, 88));
    EXPECT_EQ(hot[0].width(), 3);
    EXPECT_EQ(hot[3].color(), Rgb(229, 151, 0));
    EXPECT_EQ(hot[3].width(), 2);
    const auto focus = CXPButton::BorderPens(CXPButton::Border::kFocus);
    EXPECT_EQ(focus[0].color(), Rgb(153, 198, 252));
    EXPECT_EQ(focus[1].color(), Rgb(162, 189, 252));
    EXPECT_EQ(focus[2].color(), Rgb(162, 201, 255));
}

TEST(XPButton, PaintsItsGradientAndHover) {
    CXPButton button;
    button.setText("Find");
    button.resize(80, 24);
    const QImage plain = button.grab().toImage();
    // Rows from the inner top (2) down, each in its gradient colour; the inner height is 20.
    EXPECT_EQ(QColor(plain.pixelColor(3, 2)), CXPButton::GradientColor(CXPButton::GradientIndex(2, 20), false, false));
    EXPECT_EQ(QColor(plain.pixelColor(3, 10)), CXPButton::GradientColor(31, false, false));
    EXPECT_EQ(QColor(plain.pixelColor(3, 21)), CXPButton::GradientColor(63, false, false));
    QTest::mouseMove(&button, QPoint(10, 10));
    button.show();
    QTest::mouseMove(&button, QPoint(12, 12));
    EXPECT_TRUE(button.Hover());
}

TEST(LimitEdit, OnlyTheChosenCharactersAndBackspace) {
    CLimitEdit untouched;
    EXPECT_TRUE(untouched.Accepts(8));
    for (unsigned c : {48u, 97u, 32u, 0u, 127u, 0xFFFFu}) EXPECT_FALSE(untouched.Accepts(c)) << c;

    CLimitEdit digits;
    digits.m_nMinChar = '0';
    digits.m_nMaxChar = '9';
    QTest::keyClicks(&digits, "8a0 -9+x");
    EXPECT_EQ(digits.text(), "809");
    QTest::keyClick(&digits, Qt::Key_Backspace);
    EXPECT_EQ(digits.text(), "80");
    QTest::keyClick(&digits, Qt::Key_Tab);
    QTest::keyClick(&digits, Qt::Key_Return);
    EXPECT_EQ(digits.text(), "80");
    digits.insert("abc");  // pasted text is not filtered
    EXPECT_EQ(digits.text(), "80abc");

    CLimitEdit more;
    more.m_nCharCount = 2;
    more.m_aChars[0] = '.';
    more.m_aChars[1] = '-';
    more.m_aChars[2] = 'x';  // beyond the count: not allowed
    more.m_aRanges[1][0] = 'a';
    more.m_aRanges[1][1] = 'c';
    EXPECT_TRUE(more.Accepts('.'));
    EXPECT_TRUE(more.Accepts('-'));
    EXPECT_FALSE(more.Accepts('x'));
    EXPECT_TRUE(more.Accepts('b'));
    EXPECT_FALSE(more.Accepts('d'));
}

TEST(DialogUnits, MapLikeThePlatform) {
    const DialogUnits units(6, 13);
    EXPECT_EQ(units.Map(0, 0, 4, 8), QRect(0, 0, 6, 13));
    EXPECT_EQ(units.Map(75, 13, 106, 14), QRect(113, 21, 159, 23));
    const DialogUnits measured(DialogFont("MS Shell Dlg", 8));
    EXPECT_GT(measured.BaseX(), 3);
    EXPECT_GT(measured.BaseY(), 8);
}

TEST(IpAddressCtrl, DottedTextInAndOut) {
    IpAddressCtrl ip;
    ip.SetAddress(0);
    EXPECT_EQ(ip.Text(), L"0.0.0.0");
    ip.SetText(L"192.168.1.57");
    EXPECT_EQ(ip.Text(), L"192.168.1.57");
    ip.SetText(L"10.x.300.4");
    EXPECT_EQ(ip.Text(), L"10.0.0.4");
    ip.SetText(L"");
    EXPECT_EQ(ip.Text(), L"0.0.0.0");
}

TEST(LoginDialog, EnterAcceptsAdminWithAnEmptyPassword) {
    CDlgLogin login;
    orvextest::AnswerNextModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), "Validate Authentication");
        QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, Qt::Key_Return);
    });
    EXPECT_EQ(login.DoModal(), 1);
    EXPECT_EQ(login.m_strAccount, L"admin");
    EXPECT_EQ(login.m_strPassword, L"");
}

TEST(LoginDialog, TextsAreTrimmedAndCancelLeavesThemEmpty) {
    CDlgLogin login;
    orvextest::AnswerNextModal([](QWidget* modal) {
        auto* dialog = static_cast<CDlgLogin*>(modal);
        auto* account = dialog->ItemAs<QLineEdit>(1055);
        auto* password = dialog->ItemAs<QLineEdit>(1056);
        EXPECT_EQ(password->echoMode(), QLineEdit::Password);
        account->setText(" admin ");
        password->setText("  ");
        dialog->ItemAs<QPushButton>(1)->click();
    });
    ASSERT_EQ(login.DoModal(), 1);
    EXPECT_EQ(login.m_strAccount, L"admin");
    EXPECT_EQ(login.m_strPassword, L"");

    CDlgLogin cancelled;
    orvextest::AnswerNextModal([](QWidget* modal) {
        static_cast<CDlgLogin*>(modal)->ItemAs<QLineEdit>(1056)->setText("secret");
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(cancelled.DoModal(), 2);
    EXPECT_EQ(cancelled.m_strAccount, L"");
    EXPECT_EQ(cancelled.m_strPassword, L"");
}

}  // namespace
}  // namespace orvex
