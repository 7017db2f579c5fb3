#pragma once
#include <QString>
#include <Qt>

class QTableWidget;
class QWidget;

namespace orvex {
class TabControl;
}

namespace orvextest {

// What a user does with the mouse and the keyboard, sent to the real widgets.
void Click(QWidget* widget);
// Clicks into the edit, selects what it holds and types the text over
// it; each key goes where the focus is then (a field may move it on).
void TypeInto(QWidget* edit, const QString& text);
// Types the text, each key to the widget that has the focus in the window.
void TypeKeys(QWidget* window, const QString& text);
void PressKey(QWidget* window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
void ClickRow(QTableWidget* list, int row);
// The row whose IP column reads `ip`, or -1.
int RowOf(QTableWidget* list, const QString& ip);
void ClickTab(orvex::TabControl* tabs, int index);

}  // namespace orvextest
