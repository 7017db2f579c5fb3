#pragma once
#include <QString>

class QTableWidget;
class QWidget;

namespace orvex {
class TabControl;
}

namespace orvextest {

// What a user does with the mouse and the keyboard, sent to the real widgets.
void Click(QWidget* widget);
// Selects what the edit holds (Ctrl+A) and types the text over it.
void TypeInto(QWidget* edit, const QString& text);
void ClickRow(QTableWidget* list, int row);
// The row whose IP column reads `ip`, or -1.
int RowOf(QTableWidget* list, const QString& ip);
void ClickTab(orvex::TabControl* tabs, int index);

}  // namespace orvextest
