#include "tests/support/ScriptedUi.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <memory>

namespace orvextest {

int ScriptedUi::MessageBox(const std::wstring& text, const std::wstring& caption, orvex::BoxIcon icon) {
    const Box box{text, caption, icon};
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_boxes.push_back(box);
    }
    if (whileOpen) whileOpen(box);
    return icon == orvex::BoxIcon::kQuestion ? confirmAnswer : orvex::kIdOk;
}

std::wstring ScriptedUi::SaveFileName(const std::wstring& initialName, const std::wstring& filter) {
    lastSaveInitialName = initialName;
    lastSaveFilter = filter;
    return savePath;
}

std::wstring ScriptedUi::OpenFileName(const std::wstring& filter) {
    lastOpenFilter = filter;
    return openPath;
}

void ScriptedUi::ShellOpen(const std::string& target) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_opened.push_back(target);
}

std::vector<ScriptedUi::Box> ScriptedUi::Boxes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_boxes;
}

std::vector<std::string> ScriptedUi::Opened() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_opened;
}

bool SpinUntil(const std::function<bool()>& condition, int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void WhenFound(std::function<QWidget*()> found, std::function<void(QWidget*)> act, int timeoutMs) {
    auto* timer = new QTimer(qApp);
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, found, act, started, timeoutMs] {
        if (QWidget* widget = found()) {
            timer->stop();
            timer->deleteLater();
            act(widget);
        } else if (timeoutMs > 0 && started->elapsed() > timeoutMs) {
            timer->stop();  // nothing came: no handler is left for a later test
            timer->deleteLater();
        }
    });
    timer->start(5);
}

void AnswerNextModal(std::function<void(QWidget*)> answer) {
    WhenFound([] { return QApplication::activeModalWidget(); }, std::move(answer));
}

}  // namespace orvextest
