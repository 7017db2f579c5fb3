#pragma once
#include <QLineEdit>

namespace orvex {

// An edit that lets only chosen characters be typed: a primary range, up to five single
// characters and three further ranges, plus backspace. Pasted text is not filtered.
// Until its owner sets them, every bound is all ones, so only backspace passes.
class CLimitEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CLimitEdit(QWidget* parent = nullptr);
    // True when the typed character code passes the filter.
    bool Accepts(unsigned int c) const;

    unsigned int m_aChars[5];
    int m_nCharCount = 0;
    unsigned int m_nMinChar;
    unsigned int m_nMaxChar;
    unsigned int m_aRanges[3][2];

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orvex
