#include "ui/WorkerBox.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace orvex {

WorkerBox::WorkerBox() : m_state(std::make_shared<State>()) {}

int WorkerBox::Show(const std::wstring& text, const std::wstring& caption, BoxIcon icon) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread()) {
        return UiServices::Current()->MessageBox(text, caption, icon);
    }
    auto request = std::make_shared<Request>();
    std::shared_ptr<State> state = m_state;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        if (state->withdrawn) return kIdCancel;
        request->generation = state->generation;
    }
    // The box lives on the user-interface thread and touches only the shared state, so it
    // may outlive the window that asked for it.
    QMetaObject::invokeMethod(
        app,
        [state, request, text, caption, icon] {
            {
                std::lock_guard<std::mutex> guard(state->lock);
                if (state->withdrawn || state->generation != request->generation) return;
            }
            const int answer = UiServices::Current()->MessageBox(text, caption, icon);
            std::lock_guard<std::mutex> guard(state->lock);
            request->answer = answer;
            request->done = true;
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> guard(state->lock);
    state->changed.wait(guard, [&] { return request->done || state->generation != request->generation; });
    return request->done ? request->answer : kIdCancel;
}

void WorkerBox::Withdraw() {
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->withdrawn = true;
    ++m_state->generation;
    m_state->changed.notify_all();
}

void WorkerBox::Reopen() {
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->withdrawn = false;
}

}  // namespace orvex
