#pragma once
#include <QColor>
#include <QPen>
#include <QPushButton>
#include <array>

namespace orvex {

// A push button that paints itself: a rounded black outline, a 64-step vertical gradient
// chosen by hover and highlight, an orange inner border while the mouse hovers, a blue one
// and a focus rectangle while it has the focus, and centred text that moves one pixel
// right and down while pressed.
class CXPButton : public QPushButton {
    Q_OBJECT
public:
    explicit CXPButton(QWidget* parent = nullptr);

    enum class Border { kNone, kFocus, kHot };
    // Colour i (0..63) of the gradient for the state.
    static QColor GradientColor(int index, bool hover, bool highlight);
    // Colour index of row y of an inner rectangle of height h.
    static int GradientIndex(int y, int h);
    // Which inner border (and so which pens) a paint uses.
    static Border InsideBorder(bool hover, bool focus);
    // The pens of the inner border, left, right, top and bottom.
    static std::array<QPen, 4> BorderPens(Border border);

    bool Hover() const { return m_bHover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    virtual void DrawGradient(QPainter& painter, const QRect& inner);
    virtual void DrawInsideBorder(QPainter& painter, const QRect& inner);

private:
    QPen m_penBorder;
    bool m_bHover = false;
    bool m_bTracking = false;
    bool m_bFocus = false;
    bool m_bHighlight = false;
};

}  // namespace orvex
