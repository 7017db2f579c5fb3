#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>

namespace orvex {

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const double s = size / 32.0;
        p.setPen(QPen(QColor(20, 40, 90), 1.5 * s));
        p.setBrush(QColor(60, 110, 200));
        p.drawRoundedRect(QRectF(3 * s, 9 * s, 20 * s, 14 * s), 3 * s, 3 * s);
        p.drawPolygon(QPolygonF({QPointF(23 * s, 13 * s), QPointF(29 * s, 10 * s),
                                 QPointF(29 * s, 22 * s), QPointF(23 * s, 19 * s)}));
        p.setBrush(QColor(230, 240, 255));
        p.drawEllipse(QPointF(13 * s, 16 * s), 4.5 * s, 4.5 * s);
        p.setBrush(QColor(20, 40, 90));
        p.drawEllipse(QPointF(13 * s, 16 * s), 2 * s, 2 * s);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace orvex
