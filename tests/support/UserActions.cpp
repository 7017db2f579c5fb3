#include "tests/support/UserActions.h"

#include <QTabBar>
#include <QTableWidget>
#include <QTest>

#include "ui/TabControl.h"

namespace orvextest {

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

void TypeInto(QWidget* edit, const QString& text) {
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty()) {
        QTest::keyClick(edit, Qt::Key_Delete);
        return;
    }
    QTest::keyClicks(edit, text);
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
