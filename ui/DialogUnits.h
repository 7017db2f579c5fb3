#pragma once
#include <QFont>
#include <QRect>

namespace orvex {

// Dialog units to pixels with the dialog font's metrics, as the platform's MapDialogRect:
// horizontal base = average width of the 52 letters, vertical base = the font's height;
// x pixels = x * base / 4, y pixels = y * base / 8.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);
    DialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}
    QRect Map(int x, int y, int width, int height) const;
    int X(int units) const;
    int Y(int units) const;
    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

private:
    int m_baseX;
    int m_baseY;
};

// The font a template names ("MS Shell Dlg" maps to the desktop's sans-serif font, with a
// CJK fallback so Chinese renders).
QFont DialogFont(const char* face, int points);

}  // namespace orvex
