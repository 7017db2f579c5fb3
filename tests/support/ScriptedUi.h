#pragma once
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ui/UiServices.h"

namespace orvextest {

// The desktop as a test scripts it: boxes are noted and answered, file dialogs return the
// path set beforehand, the shell's "open" is noted.
class ScriptedUi : public orvex::UiServices {
public:
    struct Box {
        std::wstring text;
        std::wstring caption;
        orvex::BoxIcon icon;
    };
    int MessageBox(const std::wstring& text, const std::wstring& caption, orvex::BoxIcon icon) override;
    std::wstring SaveFileName(const std::wstring& initialName, const std::wstring& filter) override;
    std::wstring OpenFileName(const std::wstring& filter) override;
    void ShellOpen(const std::string& target) override;

    std::vector<Box> Boxes();
    std::vector<std::string> Opened();
    int confirmAnswer = orvex::kIdOk;
    // Runs while a box is open, on the thread that shows it (a test acts meanwhile).
    std::function<void(const Box&)> whileOpen;
    std::wstring savePath;
    std::wstring openPath;
    std::wstring lastOpenFilter;
    std::wstring lastSaveInitialName;
    std::wstring lastSaveFilter;

private:
    std::mutex m_lock;
    std::vector<Box> m_boxes;
    std::vector<std::string> m_opened;
};

// Runs the event loop until the condition holds (or the real time-out passes).
bool SpinUntil(const std::function<bool()>& condition, int milliseconds = 5000);
// Calls `act` once, on the user-interface thread, as soon as `found` returns a widget
// (polled every 5 ms); gives up after `timeoutMs` real milliseconds when that is positive.
void WhenFound(std::function<QWidget*()> found, std::function<void(QWidget*)> act, int timeoutMs = 0);
// Answers the next modal dialog that opens with `answer` (called with the dialog).
void AnswerNextModal(std::function<void(QWidget*)> answer);
// Answers the next modal dialog of class T that opens (within `timeoutMs`, when positive).
template <typename T>
void AnswerNextModalOf(std::function<void(T*)> answer, int timeoutMs = 0) {
    WhenFound([] { return static_cast<QWidget*>(qobject_cast<T*>(QApplication::activeModalWidget())); },
              [answer](QWidget* modal) { answer(static_cast<T*>(modal)); }, timeoutMs);
}

}  // namespace orvextest
