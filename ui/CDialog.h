#pragma once
#include <QDialog>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/Message.h"
#include "platform/WindowRegistry.h"
#include "resources/DialogTemplate.h"
#include "ui/DialogUnits.h"

namespace orvex {

class DialogMessageTarget;

// A dialog built from a template: controls placed by converting dialog units with the
// dialog font's metrics and reached by id; commands, selection changes and list
// notifications arrive as virtual calls; a window handle that any thread may post or
// send messages to (they are handled on the user-interface thread, in order).
class CDialog : public QDialog {
    Q_OBJECT
public:
    enum Notify { kNotifyClick, kNotifyDoubleClick };

    explicit CDialog(int templateId, QWidget* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally; returns the value given to EndDialog (2 when closed).
    int DoModal();
    // Creates the dialog as a child page of `parent`, hidden.
    void CreateChild(QWidget* parent);
    // Creates and shows the dialog without a nested event loop (a test drives it).
    void CreateModeless();
    void EndDialog(int result);

    QWidget* Item(int id) const;
    template <typename T>
    T* ItemAs(int id) const {
        return qobject_cast<T*>(Item(id));
    }
    std::wstring ItemText(int id) const;
    void SetItemText(int id, const std::wstring& text);
    void EnableItem(int id, bool enable);
    bool ItemEnabled(int id) const;
    void ShowItem(int id, bool show);
    // The text colour of a label, edit or list (the dialog's colour handling).
    void SetItemTextColor(int id, const QColor& color);
    void SetWindowText(const std::wstring& text);
    platform::HWND Handle() const { return m_hwnd; }
    const DialogUnits& Units() const { return m_units; }
    const DialogTemplate& Template() const { return *m_template; }

    // A control Tab stops at, and the widget inside it that takes the focus.
    struct TabStop {
        QWidget* control;
        QWidget* target;
    };
    // The controls Tab moves through, in template order (disabled and hidden ones are
    // passed over when Tab moves).
    virtual std::vector<TabStop> TabStops() const;

    // Handles every message waiting in the window's queue (tests call it to flush).
    void PumpMessages();
    // From now on, messages sent from other threads are not waited for (they return 0).
    // For a window about to join a thread that may send to it.
    void ReleaseSenders();

protected:
    virtual bool OnInitDialog() { return true; }
    // A button (or radio) click; 1 and 2 end the dialog by default.
    virtual void OnCommand(int id);
    virtual void OnOK() { EndDialog(1); }
    virtual void OnCancel() { EndDialog(2); }
    virtual void OnSelChange(int /*id*/) {}
    virtual void OnNotify(int /*id*/, Notify /*code*/) {}
    virtual void OnUpDown(int /*id*/, int /*delta*/) {}
    virtual platform::LRESULT OnMessage(const platform::Message& /*msg*/) { return 0; }
    // After a turn of the event loop that handled messages, once none is waiting.
    virtual void OnMessagesDrained() {}
    // Pages swallow Enter and Escape.
    virtual bool SwallowsEnterAndEscape() const { return false; }
    // Receives each posted message still queued when the window goes away.
    void SetLeftoverHandler(std::function<void(const platform::Message&)> handler);

    void keyPressEvent(QKeyEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void Build();
    QWidget* CreateControl(const ControlTemplate& control);
    void Connect(const ControlTemplate& control, QWidget* widget);

    const DialogTemplate* m_template;
    DialogUnits m_units;
    std::map<int, QWidget*> m_items;
    std::vector<QWidget*> m_order;  // every control, in template order
    bool m_built = false;
    int m_result = 2;
    platform::HWND m_hwnd = 0;
    std::shared_ptr<DialogMessageTarget> m_target;
    std::function<void(const platform::Message&)> m_leftover;
};

}  // namespace orvex
