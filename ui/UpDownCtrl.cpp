#include "ui/UpDownCtrl.h"

#include <QKeyEvent>
#include <QToolButton>

namespace orvex {

UpDownCtrl::UpDownCtrl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    m_up = new QToolButton(this);
    m_down = new QToolButton(this);
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    m_up->setAutoRepeat(true);
    m_down->setAutoRepeat(true);
    m_up->setObjectName("up");
    m_down->setObjectName("down");
    for (QToolButton* b : {m_up, m_down}) b->setFocusPolicy(Qt::NoFocus);
    connect(m_up, &QToolButton::clicked, this, [this] { emit Stepped(+1); });
    connect(m_down, &QToolButton::clicked, this, [this] { emit Stepped(-1); });
}

void UpDownCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up) {
        emit Stepped(+1);
    } else if (event->key() == Qt::Key_Down) {
        emit Stepped(-1);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void UpDownCtrl::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    m_up->setGeometry(0, 0, width(), half);
    m_down->setGeometry(0, half, width(), height() - half);
}

}  // namespace orvex
