#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QStringList>

namespace orvex {

DialogUnits::DialogUnits(const QFont& font) {
    const QFontMetrics metrics(font);
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    m_baseX = (metrics.horizontalAdvance(letters) / 26 + 1) / 2;
    m_baseY = metrics.height();
}

int DialogUnits::X(int units) const { return (units * m_baseX + 2) / 4; }
int DialogUnits::Y(int units) const { return (units * m_baseY + 4) / 8; }

QRect DialogUnits::Map(int x, int y, int width, int height) const {
    const int left = X(x);
    const int top = Y(y);
    return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QFont DialogFont(const char* face, int points) {
    QFont font(QString::fromLatin1(face));
    if (QString::fromLatin1(face) == "MS Shell Dlg") {
        font = QFont();
        // Noto Sans CJK keeps the proportions of the original dialog font (6 and 7 units
        // wide at the page and window sizes) and shows Chinese as well as Latin text.
        QStringList families;
        families << "Noto Sans CJK SC" << "Noto Sans SC" << "DejaVu Sans" << "Liberation Sans";
        font.setFamilies(families);
    }
    // Windows points at 96 dpi; the platform's dialogs look the same size here.
    font.setPixelSize((points * 96 + 36) / 72);
    return font;
}

}  // namespace orvex
