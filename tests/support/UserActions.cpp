#include "tests/support/UserActions.h"

#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include "ui/TabControl.h"

namespace orvextest {

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

void TypeInto(QWidget* edit, const QString& text) {
    if (edit->isVisible()) QTest::mouseClick(edit, Qt::LeftButton, {}, QPoint(edit->width() - 2, edit->height() / 2));
    // End, then Shift+Home selects the whole text (filtered edits drop Ctrl+A).
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
    if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
    if (!edit->isVisible()) {  // a hidden control: its keys go to it directly
        QTest::keyClicks(edit, text);
        return;
    }
    TypeKeys(edit->window(), text);
}

void TypeKeys(QWidget* window, const QString& text) {
    for (const QChar c : text) {
        QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
        QTest::keyClick(focus, c.toLatin1());
    }
}

void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QWidget* focus = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(focus, key, modifiers);
}

void ClickRow(QTableWidget* list, int row) {
    const QRect rect = list->visualItemRect(list->item(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

int RowOf(QTableWidget* list, const QString& ip) {
    for (int r = 0; r < list->rowCount(); ++r) {
        if (list->item(r, 2) && list->item(r, 2)->text() == ip) return r;
    }
    return -1;
}

void ClickTab(orvex::TabControl* tabs, int index) {
    QTest::mouseClick(tabs->Bar(), Qt::LeftButton, {}, tabs->Bar()->tabRect(index).center());
}

}  // namespace orvextest
