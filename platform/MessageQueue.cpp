#include "platform/MessageQueue.h"

#include "platform/Clock.h"

namespace platform {

void MessageQueue::Post(const Message& msg) {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_messages.push_back(msg);
    }
    m_posted.notify_one();
}

std::optional<Message> MessageQueue::Peek() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_messages.empty()) return std::nullopt;
    Message msg = m_messages.front();
    m_messages.pop_front();
    return msg;
}

std::optional<Message> MessageQueue::Wait(DWORD clockMs) {
    std::unique_lock<std::mutex> guard(m_lock);
    if (!m_posted.wait_for(guard, Clock::RealDuration(clockMs),
                           [this] { return !m_messages.empty(); })) {
        return std::nullopt;
    }
    Message msg = m_messages.front();
    m_messages.pop_front();
    return msg;
}

std::deque<Message> MessageQueue::TakeAll() {
    std::lock_guard<std::mutex> guard(m_lock);
    std::deque<Message> all;
    all.swap(m_messages);
    return all;
}

}  // namespace platform
