#include "ui/XPButton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace orvex {
namespace {

constexpr int kEdge = 2;  // the platform's edge width and height

QPen EdgePen(int width, int r, int g, int b) {
    QPen pen(QColor(r, g, b), width);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

}  // namespace

CXPButton::CXPButton(QWidget* parent) : QPushButton(parent), m_penBorder(Qt::black, 1) {
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
}

QColor CXPButton::GradientColor(int i, bool hover, bool highlight) {
    if (hover && highlight) return QColor(255 - i / 4, 255 - i / 4, 255 - i / 3);
    if (hover) return QColor(255 - i / 4, 255 - i / 4, 255 - i / 5);
    if (highlight) return QColor(255 - i / 3, 255 - i / 3, 255 - i / 4);
    return QColor(255 - i / 3, 255 - i / 3, 255 - i / 5);
}

int CXPButton::GradientIndex(int y, int h) {
    if (h <= 0) return 63;
    const int index = 63 * y / h;
    return index < 63 ? index : 63;
}

CXPButton::Border CXPButton::InsideBorder(bool hover, bool focus) {
    if (!hover && !focus) return Border::kNone;
    return focus && !hover ? Border::kFocus : Border::kHot;
}

std::array<QPen, 4> CXPButton::BorderPens(Border border) {
    if (border == Border::kFocus) {
        return {EdgePen(3, 153, 198, 252), EdgePen(3, 162, 189, 252), EdgePen(2, 162, 201, 255),
                EdgePen(2, 162, 201, 255)};
    }
    return {EdgePen(3, 250, 196, 88), EdgePen(3, 251, 202, 106), EdgePen(2, 252, 210, 121),
            EdgePen(2, 229, 151, 0)};
}

void CXPButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_bTracking) {
        // The hover notification follows after 1 ms: at once, as far as a user can tell.
        m_bTracking = true;
        m_bHover = true;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void CXPButton::leaveEvent(QEvent* event) {
    m_bHover = false;
    m_bTracking = false;
    update();
    QPushButton::leaveEvent(event);
}

void CXPButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    painter.setPen(m_penBorder);
    painter.setBrush(Qt::white);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRoundedRect(r.adjusted(0, 0, -1, -1), 2.5, 2.5);

    m_bFocus = hasFocus();
    m_bHighlight = m_bFocus || isDown() || isDefault();
    const QRect inner(r.left() + kEdge, r.top() + kEdge, r.width() - 2 * kEdge,
                      r.height() - 2 * kEdge);
    DrawGradient(painter, inner);
    if (m_bHover || m_bFocus) DrawInsideBorder(painter, inner);

    painter.setFont(font());
    const QFontMetrics metrics(font());
    QString shown = text();
    shown.remove('&');
    const int width = metrics.horizontalAdvance(shown);
    const int height = metrics.height();
    int x = (inner.left() + inner.right() + 1) / 2 - width / 2;
    int y = (inner.top() + inner.bottom() + 1) / 2 - height / 2;
    if (isDown()) {
        ++x;
        ++y;
    }
    const QRect textRect(x, y, width, height);
    if (isEnabled()) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
    } else {
        // Embossed: a light copy one pixel down and right under a grey one.
        painter.setPen(Qt::white);
        painter.drawText(textRect.translated(1, 1),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
        painter.setPen(QColor(128, 128, 128));
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic, text());
    }
}

void CXPButton::DrawGradient(QPainter& painter, const QRect& inner) {
    const int h = inner.height();
    const int right = inner.width() + 2;
    for (int y = inner.top(); y <= h + 2; ++y) {
        painter.fillRect(QRect(inner.left(), y, right - inner.left(), 1),
                         GradientColor(GradientIndex(y, h), m_bHover, m_bHighlight));
    }
}

void CXPButton::DrawInsideBorder(QPainter& painter, const QRect& inner) {
    const Border border = InsideBorder(m_bHover, m_bFocus);
    const auto pens = BorderPens(border);
    const int l = inner.left();
    const int t = inner.top();
    const int rr = inner.left() + inner.width();
    const int b = inner.top() + inner.height();
    painter.save();
    painter.setPen(pens[0]);
    painter.drawLine(l, b - 1, l, t + 1);
    painter.setPen(pens[1]);
    painter.drawLine(rr - 1, b - 1, rr - 1, t);
    painter.setPen(pens[2]);
    painter.drawLine(l - 1, t, rr - 1, t);
    painter.setPen(pens[3]);
    painter.drawLine(l, b, rr - 1, b);
    painter.restore();
    if (border == Border::kFocus) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = inner;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

}  // namespace orvex
