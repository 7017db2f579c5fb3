#include "ui/TabControl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace orvex {

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
    m_bar = new QTabBar(this);
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    connect(m_bar, &QTabBar::currentChanged, this, &TabControl::SelectionChanged);
}

void TabControl::resizeEvent(QResizeEvent*) {
    m_bar->setGeometry(0, 0, width(), m_bar->sizeHint().height());
}

void TabControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, m_bar->sizeHint().height() - 1, 0, 0);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

}  // namespace orvex
