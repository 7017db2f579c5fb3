#include "ui/DialogMessageTarget.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QThread>

namespace orvex {

DialogMessageTarget::DialogMessageTarget(QObject* window, Dispatch dispatch)
    : m_window(window), m_dispatch(std::move(dispatch)) {}

void DialogMessageTarget::ScheduleDrainLocked() {
    if (m_closed || !m_window) return;
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
    for (;;) {
        Pending item;
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_closed || m_queue.empty()) return;
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
    }
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
