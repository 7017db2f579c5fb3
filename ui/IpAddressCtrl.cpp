#include "ui/IpAddressCtrl.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QValidator>
#include <algorithm>

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
                if (text.size() == 3 && m_fields[i]->cursorPosition() == 3) {
                    FocusField(i + 1);
                    m_advancedTo = static_cast<int>(i + 1);
                }
            });
        }
    }
    setFocusProxy(m_fields[0]);
}

void IpAddressCtrl::FocusField(std::size_t index, bool selectAll) {
    m_fields[index]->setFocus(Qt::TabFocusReason);
    if (selectAll) {
        m_fields[index]->selectAll();
    } else {
        m_fields[index]->deselect();
        m_fields[index]->end(false);
    }
}

std::size_t IpAddressCtrl::IndexOf(const QObject* field) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == field) return i;
    }
    return m_fields.size();
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
        const QString part =
            static_cast<int>(i) < parts.size() ? parts[static_cast<int>(i)].trimmed() : QString();
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

bool IpAddressCtrl::TakeKey(std::size_t index, const QKeyEvent& key) {
    const bool advanced = m_advancedTo == static_cast<int>(index);
    m_advancedTo = -1;
    if (key.matches(QKeySequence::Paste)) {
        PasteInto(index);
        return true;
    }
    if (key.text() == "." || key.text() == " ") {
        // Moves on only from a field that holds digits, and not right after a third digit
        // has moved on already (the "." of "127.").
        if (!advanced && index + 1 < m_fields.size() && !m_fields[index]->text().isEmpty())
            FocusField(index + 1);
        return true;
    }
    if (key.key() == Qt::Key_Backspace && index > 0 && m_fields[index]->text().isEmpty()) {
        FocusField(index - 1, false);
        return true;
    }
    return false;
}

void IpAddressCtrl::PasteInto(std::size_t index) {
    const QString text = QApplication::clipboard()->text().trimmed();
    static const QRegularExpression dotted("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$");
    const QRegularExpressionMatch match = dotted.match(text);
    if (match.hasMatch()) {
        for (std::size_t i = 0; i < m_fields.size(); ++i) {
            const int value = std::min(match.captured(static_cast<int>(i) + 1).toInt(), 255);
            m_fields[i]->setText(QString::number(value));
        }
        FocusField(m_fields.size() - 1, false);
        return;
    }
    m_fields[index]->paste();  // digits go in as typed ones do; anything else is refused
}

void IpAddressCtrl::ShowContextMenu(std::size_t index, const QPoint& globalPos) {
    // The field's own menu, with its Paste going through PasteInto.
    QMenu* menu = m_fields[index]->createStandardContextMenu();
    for (QAction* action : menu->actions()) {
        if (action->objectName() != "edit-paste") continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, [this, index] { PasteInto(index); });
    }
    menu->exec(globalPos);
    delete menu;
}

bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const std::size_t index = IndexOf(watched);
    if (index < m_fields.size()) {
        if (event->type() == QEvent::KeyPress && TakeKey(index, *static_cast<QKeyEvent*>(event)))
            return true;
        if (event->type() == QEvent::MouseButtonPress) m_advancedTo = -1;
        if (event->type() == QEvent::ContextMenu) {
            ShowContextMenu(index, static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
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
