#pragma once
#include <QLineEdit>
#include <QWidget>

class QKeyEvent;
#include <array>
#include <string>

namespace orvex {

// The IP address control: four fields of 0..255 with dots between them. Its window text is
// the dotted form; an empty field reads as 0. It is one tab stop. It types as people type
// addresses: a third digit moves on to the next field; a "." (or a space) moves on only
// from a field that holds digits and does nothing right after a move made by a third
// digit; Backspace in an empty field goes back to the previous one; a dotted address
// pasted into any field fills all four.
class IpAddressCtrl : public QWidget {
    Q_OBJECT
public:
    explicit IpAddressCtrl(QWidget* parent = nullptr);
    std::wstring Text() const;
    // Takes dotted text; fields that do not read as numbers are left empty.
    void SetText(const std::wstring& dotted);
    void SetAddress(std::uint32_t hostOrder);
    void SetFieldFont(const QFont& font);
    // The field Tab gives the focus to.
    QWidget* FirstField() const { return m_fields[0]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void FocusField(std::size_t index, bool selectAll = true);
    // A key pressed in field `index`; true when the control took it.
    bool TakeKey(std::size_t index, const QKeyEvent& key);
    // Pastes the clipboard into field `index`: a dotted address fills all four fields.
    void PasteInto(std::size_t index);
    void ShowContextMenu(std::size_t index, const QPoint& globalPos);
    std::size_t IndexOf(const QObject* field) const;

    std::array<QLineEdit*, 4> m_fields{};
    // The field a third digit has just moved on to, where a "." is then ignored; -1 none.
    int m_advancedTo = -1;
};

}  // namespace orvex
