#pragma once
#include <QRect>
#include <QWidget>

class QTabBar;

namespace orvex {

// The tab control: a row of tabs over a framed client area. Pages are child windows the
// owner places in ClientRect and shows or hides on a selection change.
class TabControl : public QWidget {
    Q_OBJECT
public:
    explicit TabControl(QWidget* parent = nullptr);
    QTabBar* Bar() const { return m_bar; }
    // The client area, in the control's own coordinates (the whole control, as the
    // platform reports it; pages are inset from it by their owner).
    QRect ClientRect() const { return rect(); }

signals:
    void SelectionChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
};

}  // namespace orvex
