#include "ui/LimitEdit.h"

#include <QKeyEvent>

namespace orvex {

CLimitEdit::CLimitEdit(QWidget* parent) : QLineEdit(parent) {
    constexpr unsigned int kAllOnes = ~0u;
    for (unsigned int& c : m_aChars) c = kAllOnes;
    m_nMinChar = kAllOnes;
    m_nMaxChar = kAllOnes;
    for (auto& range : m_aRanges) range[0] = range[1] = kAllOnes;
}

bool CLimitEdit::Accepts(unsigned int c) const {
    if (c >= m_nMinChar && c <= m_nMaxChar) return true;
    for (int i = 0; i < m_nCharCount && i < 5; ++i) {
        if (c == m_aChars[i]) return true;
    }
    for (const auto& range : m_aRanges) {
        if (c >= range[0] && c <= range[1]) return true;
    }
    return c == 8;  // backspace
}

void CLimitEdit::keyPressEvent(QKeyEvent* event) {
    // Only keys that type a character are filtered (as character messages are); Delete
    // and the cursor keys type none.
    const QString text = event->text();
    if (!text.isEmpty() && event->key() != Qt::Key_Delete && !Accepts(text.at(0).unicode())) {
        event->accept();  // dropped silently
        return;
    }
    QLineEdit::keyPressEvent(event);
}

}  // namespace orvex
