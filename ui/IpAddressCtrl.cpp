#include "ui/IpAddressCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>

#include "ui/UiLanguage.h"

namespace orvex {

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
        field->setValidator(new QIntValidator(0, 255, field));
        field->installEventFilter(this);
        field->setObjectName(QString("field%1").arg(i));
        m_fields[i] = field;
        layout->addWidget(field, 1);
        if (i < 3) layout->addWidget(new QLabel(".", this));
    }
    setFocusProxy(m_fields[0]);
}

std::wstring IpAddressCtrl::Text() const {
    std::wstring text;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (i > 0) text += L".";
        bool ok = false;
        const int value = m_fields[i]->text().toInt(&ok);
        text += std::to_wstring(ok ? value : 0);
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
                m_fields[i + 1]->setFocus();
                m_fields[i + 1]->selectAll();
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
