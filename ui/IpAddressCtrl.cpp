#include "ui/IpAddressCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QValidator>
#include <algorithm>
#include <QKeyEvent>
#include <QLabel>

#include "ui/UiLanguage.h"

namespace orvex {
namespace {

// One field of the control: digits only, and never above 255 (a larger number is taken
// down to 255 as it is typed, so the field holds 0 to 255 at all times).
class OctetValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        if (input.isEmpty()) return Intermediate;
        if (input.size() > 3) return Invalid;
        for (const QChar c : input) {
            if (c < '0' || c > '9') return Invalid;
        }
        if (input.toInt() > 255) {
            input = "255";
            pos = 3;
        }
        return Acceptable;
    }
};

int FieldValue(const QLineEdit* field) {
    bool ok = false;
    const int value = field->text().toInt(&ok);
    return ok ? std::clamp(value, 0, 255) : 0;
}

}  // namespace

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(new OctetValidator(field));
        field->installEventFilter(this);
        field->setObjectName(QString("field%1").arg(i));
        // The control is one tab stop: Tab reaches its first field only.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        m_fields[i] = field;
        layout->addWidget(field, 1);
        if (i < 3) layout->addWidget(new QLabel(".", this));
        if (i < 3) {
            // The third digit typed moves on to the next field.
            connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
                if (text.size() == 3 && m_fields[i]->cursorPosition() == 3) FocusField(i + 1);
            });
        }
    }
    setFocusProxy(m_fields[0]);
}

void IpAddressCtrl::FocusField(std::size_t index) {
    m_fields[index]->setFocus(Qt::TabFocusReason);
    m_fields[index]->selectAll();
}

std::wstring IpAddressCtrl::Text() const {
    std::wstring text;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) text += L".";
        text += std::to_wstring(FieldValue(m_fields[i]));
    }
    return text;
}

void IpAddressCtrl::SetText(const std::wstring& dotted) {
    const QStringList parts = ToQString(dotted).split('.');
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const QString part = static_cast<int>(i) < parts.size() ? parts[static_cast<int>(i)].trimmed() : QString();
        bool ok = false;
        const int value = part.toInt(&ok);
        m_fields[i]->setText(ok && value >= 0 && value <= 255 ? QString::number(value) : QString());
    }
}

void IpAddressCtrl::SetAddress(std::uint32_t hostOrder) {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setText(QString::number((hostOrder >> (24 - 8 * i)) & 0xFF));
    }
}

void IpAddressCtrl::SetFieldFont(const QFont& font) {
    for (QLineEdit* field : m_fields) field->setFont(font);
}

bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        for (std::size_t i = 0; i + 1 < m_fields.size(); ++i) {
            // A dot, or a full field, moves on to the next field.
            if (watched == m_fields[i] && key->text() == ".") {
                FocusField(i + 1);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void IpAddressCtrl::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Window);
    }
    QWidget::changeEvent(event);
}

}  // namespace orvex
