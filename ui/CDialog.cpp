#include "ui/CDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <stdexcept>

#include "ui/DialogMessageTarget.h"
#include "ui/IpAddressCtrl.h"
#include "ui/LimitEdit.h"
#include "ui/ReportList.h"
#include "ui/TabControl.h"
#include "ui/UiLanguage.h"
#include "ui/UpDownCtrl.h"
#include "ui/XPButton.h"

namespace orvex {
namespace {

const DialogTemplate& TemplateOf(int id) {
    const DialogTemplate* t = FindDialogTemplate(id);
    if (!t) throw std::invalid_argument("no dialog template " + std::to_string(id));
    return *t;
}

QString InitialText(const ControlTemplate& control) {
    if (control.textId != 0) return UiLanguage::LoadQ(control.textId);
    return control.text ? ToQString(control.text) : QString();
}

}  // namespace

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent),
      m_template(&TemplateOf(templateId)),
      m_units(DialogFont(m_template->fontFace, m_template->fontPoints)) {
    setFont(DialogFont(m_template->fontFace, m_template->fontPoints));
    m_target = std::make_shared<DialogMessageTarget>(
        this, [this](const platform::Message& msg) { return OnMessage(msg); },
        [this] { OnMessagesDrained(); });
    m_hwnd = platform::WindowRegistry::Register(m_target);
}

CDialog::~CDialog() {
    platform::WindowRegistry::Unregister(m_hwnd);
    for (const platform::Message& msg : m_target->TakeLeftovers()) {
        if (m_leftover) m_leftover(msg);
    }
}

void CDialog::SetLeftoverHandler(std::function<void(const platform::Message&)> handler) {
    m_leftover = std::move(handler);
}

void CDialog::PumpMessages() {
    m_target->Drain();
}
void CDialog::ReleaseSenders() {
    m_target->ReleaseSenders();
}

void CDialog::Build() {
    if (m_built) return;
    m_built = true;
    const QRect size = m_units.Map(0, 0, m_template->width, m_template->height);
    setFixedSize(size.width(), size.height());
    std::vector<QWidget*> frames;
    for (const ControlTemplate& control : m_template->controls) {
        QWidget* widget = CreateControl(control);
        const int height = control.kind == ControlKind::kDropDownList
                               ? widget->sizeHint().height()
                               : m_units.Map(0, 0, 0, control.height).height();
        const QRect r = m_units.Map(control.x, control.y, control.width, control.height);
        widget->setGeometry(r.x(), r.y(), r.width(), height);
        if (control.style & kStyleHidden) widget->hide();
        if (control.style & kStyleDisabled) widget->setEnabled(false);
        if (control.kind == ControlKind::kGroupBox) frames.push_back(widget);
        if (control.id != 0) m_items[control.id] = widget;
        m_order.push_back(widget);
        Connect(control, widget);
    }
    for (QWidget* frame : frames) frame->lower();  // group boxes stay behind their contents
}

QWidget* CDialog::CreateControl(const ControlTemplate& control) {
    const QString text = InitialText(control);
    switch (control.kind) {
        case ControlKind::kStatic: {
            auto* label = new QLabel(text, this);
            label->setWordWrap(control.height > 10);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::kIcon: {
            auto* label = new QLabel(this);
            label->setPixmap(QApplication::windowIcon().pixmap(32, 32));
            return label;
        }
        case ControlKind::kEdit: {
            QLineEdit* edit =
                (control.style & kStyleFiltered) ? new CLimitEdit(this) : new QLineEdit(this);
            edit->setReadOnly(control.style & kStyleReadOnly);
            if (control.style & kStylePassword) edit->setEchoMode(QLineEdit::Password);
            edit->setText(text);
            return edit;
        }
        case ControlKind::kGroupBox:
            return new QGroupBox(text, this);
        case ControlKind::kDropDownList:
            return new QComboBox(this);
        case ControlKind::kReportList:
            return new ReportList(this);
        case ControlKind::kTabControl:
            return new TabControl(this);
        case ControlKind::kIpAddress:
            return new IpAddressCtrl(this);
        case ControlKind::kUpDown:
            return new UpDownCtrl(this);
        case ControlKind::kListBox:
            return new QListWidget(this);
        case ControlKind::kRadio:
            return new QRadioButton(text, this);
        case ControlKind::kPushButton: {
            QPushButton* button =
                (control.style & kStyleOwnerDraw) ? new CXPButton(this) : new QPushButton(this);
            button->setText(text);
            // Where Enter is swallowed, a focused button must not take it either.
            button->setAutoDefault(!SwallowsEnterAndEscape());
            button->setDefault(control.style & kStyleDefault);
            return button;
        }
    }
    return new QWidget(this);
}

void CDialog::Connect(const ControlTemplate& control, QWidget* widget) {
    const int id = control.id;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        connect(combo, QOverload<int>::of(&QComboBox::activated), this,
                [this, id] { OnSelChange(id); });
    } else if (auto* tabs = qobject_cast<TabControl*>(widget)) {
        connect(tabs, &TabControl::SelectionChanged, this, [this, id] { OnSelChange(id); });
    } else if (auto* upDown = qobject_cast<UpDownCtrl*>(widget)) {
        connect(upDown, &UpDownCtrl::Stepped, this, [this, id](int delta) { OnUpDown(id, delta); });
    } else if (auto* list = qobject_cast<ReportList*>(widget)) {
        connect(list, &ReportList::Clicked, this, [this, id] { OnNotify(id, kNotifyClick); });
        connect(list, &ReportList::DoubleClicked, this,
                [this, id] { OnNotify(id, kNotifyDoubleClick); });
    }
}

int CDialog::DoModal() {
    Build();
    OnInitDialog();
    m_result = 2;
    QPointer<CDialog> alive(this);
    exec();
    return alive ? m_result : 2;  // destroyed while it ran (its owner went away)
}

void CDialog::CreateChild(QWidget* parent) {
    setParent(parent);
    setWindowFlags(Qt::Widget);
    Build();
    OnInitDialog();
    hide();
}

void CDialog::CreateModeless() {
    Build();
    OnInitDialog();
    show();
}

void CDialog::EndDialog(int result) {
    m_result = result;
    done(result);
}

QWidget* CDialog::Item(int id) const {
    const auto it = m_items.find(id);
    return it == m_items.end() ? nullptr : it->second;
}

std::wstring CDialog::ItemText(int id) const {
    QWidget* w = Item(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return FromQString(edit->text());
    if (auto* label = qobject_cast<QLabel*>(w)) return FromQString(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return FromQString(button->text());
    if (auto* group = qobject_cast<QGroupBox*>(w)) return FromQString(group->title());
    if (auto* combo = qobject_cast<QComboBox*>(w)) return FromQString(combo->currentText());
    if (auto* ip = qobject_cast<IpAddressCtrl*>(w)) return ip->Text();
    return L"";
}

void CDialog::SetItemText(int id, const std::wstring& text) {
    QWidget* w = Item(id);
    const QString q = ToQString(text);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        edit->setText(q);
        edit->setCursorPosition(0);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        label->setText(q);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(q);
    } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
        group->setTitle(q);
    } else if (auto* ip = qobject_cast<IpAddressCtrl*>(w)) {
        ip->SetText(text);
    }
}

void CDialog::EnableItem(int id, bool enable) {
    if (QWidget* w = Item(id)) w->setEnabled(enable);
}

bool CDialog::ItemEnabled(int id) const {
    QWidget* w = Item(id);
    return w && w->isEnabled();
}

void CDialog::ShowItem(int id, bool show) {
    if (QWidget* w = Item(id)) w->setVisible(show);
}

void CDialog::SetItemTextColor(int id, const QColor& color) {
    QWidget* w = Item(id);
    if (!w) return;
    QPalette palette = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, color);
        palette.setColor(group, QPalette::Text, color);
    }
    w->setPalette(palette);
}

void CDialog::SetWindowText(const std::wstring& text) {
    setWindowTitle(ToQString(text));
}

void CDialog::OnCommand(int id) {
    if (id == 1) OnOK();
    if (id == 2) OnCancel();
}

std::vector<CDialog::TabStop> CDialog::TabStops() const {
    std::vector<TabStop> stops;
    for (QWidget* control : m_order) {
        QWidget* target = control;
        if (auto* ip = qobject_cast<IpAddressCtrl*>(control)) target = ip->FirstField();
        if (auto* tabs = qobject_cast<TabControl*>(control)) target = tabs->Bar();
        if (target->focusPolicy() & Qt::TabFocus) stops.push_back({control, target});
    }
    return stops;
}

bool CDialog::focusNextPrevChild(bool next) {
    if (!isWindow()) return QDialog::focusNextPrevChild(next);  // a page: its window decides
    const std::vector<TabStop> stops = TabStops();
    if (stops.empty()) return false;
    const QWidget* focus = focusWidget();  // this window's, active or not
    const int count = static_cast<int>(stops.size());
    int current = -1;
    for (int i = 0; i < count && focus; ++i) {
        if (stops[i].control == focus || stops[i].control->isAncestorOf(focus)) current = i;
    }
    for (int step = 1; step <= count; ++step) {
        const int start = current < 0 ? (next ? -1 : count) : current;
        const int i = ((start + (next ? step : -step)) % count + count) % count;
        QWidget* target = stops[i].target;
        if (target->isVisibleTo(this) && target->isEnabled()) {
            target->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
            return true;
        }
    }
    return false;
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
        event->accept();
        if (SwallowsEnterAndEscape()) return;
        OnCommand(key == Qt::Key_Escape ? 2 : 1);
        return;
    }
    QDialog::keyPressEvent(event);
}

void CDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnCommand(2);  // the close box is command 2, which a page ignores
}

void CDialog::reject() {
    if (!SwallowsEnterAndEscape()) OnCommand(2);
}

}  // namespace orvex
