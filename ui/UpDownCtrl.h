#pragma once
#include <QWidget>

class QToolButton;

namespace orvex {

// The up-down control: two arrow buttons (and the arrow keys) that report a step of +1 or
// -1. It keeps no value of its own.
class UpDownCtrl : public QWidget {
    Q_OBJECT
public:
    explicit UpDownCtrl(QWidget* parent = nullptr);

signals:
    void Stepped(int delta);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
};

}  // namespace orvex
