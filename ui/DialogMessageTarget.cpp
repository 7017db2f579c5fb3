#include "ui/DialogMessageTarget.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace orvex {

DialogMessageTarget::DialogMessageTarget(QObject* window, Dispatch dispatch, std::function<void()> drained)
    : m_window(window), m_dispatch(std::move(dispatch)), m_drained(std::move(drained)) {}

void DialogMessageTarget::ScheduleDrainLocked() {
    if (m_closed || !m_window || m_drainScheduled) return;
    m_drainScheduled = true;
    QMetaObject::invokeMethod(m_window, [this] { Drain(); }, Qt::QueuedConnection);
}

void DialogMessageTarget::OnPost(const platform::Message& msg) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_queue.push_back(Pending{msg, nullptr});
    ScheduleDrainLocked();
}

platform::LRESULT DialogMessageTarget::OnSend(const platform::Message& msg) {
    if (m_window && QThread::currentThread() == m_window->thread()) {
        Drain();  // whatever was posted before goes first
        return m_dispatch(msg);
    }
    auto wait = std::make_shared<SendWait>();
    std::unique_lock<std::mutex> guard(m_lock);
    if (m_closed || m_released) return 0;
    m_queue.push_back(Pending{msg, wait});
    ScheduleDrainLocked();
    m_changed.wait(guard, [&] { return wait->done || m_closed || m_released; });
    return wait->done ? wait->result : 0;
}

void DialogMessageTarget::OnUnregistered() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_closed = true;
    m_changed.notify_all();
}

void DialogMessageTarget::ReleaseSenders() {
    std::lock_guard<std::mutex> guard(m_lock);
    m_released = true;
    m_changed.notify_all();
}

void DialogMessageTarget::Drain() {
    {
        // Messages posted from now on ask for another drain: a handler may run a nested
        // event loop (a message box), and what arrives meanwhile is handled there.
        std::lock_guard<std::mutex> guard(m_lock);
        m_drainScheduled = false;
    }
    bool handled = false;
    for (;;) {
        Pending item;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_closed) return;
            if (m_queue.empty()) break;
            item = m_queue.front();
            m_queue.pop_front();
        }
        const platform::LRESULT result = m_dispatch(item.msg);
        if (item.wait) {
            std::lock_guard<std::mutex> guard(m_lock);
            item.wait->done = true;
            item.wait->result = result;
            m_changed.notify_all();
        }
        handled = true;
    }
    if (handled && m_drained) m_drained();
}

std::deque<platform::Message> DialogMessageTarget::TakeLeftovers() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::deque<platform::Message> left;
    for (const Pending& p : m_queue) {
        if (!p.wait) left.push_back(p.msg);
    }
    m_queue.clear();
    return left;
}

}  // namespace orvex
