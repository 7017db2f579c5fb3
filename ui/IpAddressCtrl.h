#pragma once
#include <QLineEdit>
#include <QWidget>
#include <array>
#include <string>

namespace orvex {

// The IP address control: four fields of 0..255 with dots between them. Its window text is
// the dotted form; an empty field reads as 0. It is one tab stop; a "." or a third digit
// moves on to the next field.
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
    void FocusField(std::size_t index);
    std::array<QLineEdit*, 4> m_fields{};
};

}  // namespace orvex
