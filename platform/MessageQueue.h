#pragma once
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

#include "platform/Message.h"

namespace platform {

// A first-in first-out queue of messages that any thread may post to. Thread-safe.
class MessageQueue {
public:
    void Post(const Message& msg);
    // Takes the oldest message without waiting.
    std::optional<Message> Peek();
    // Takes the oldest message, waiting at most `clockMs` clock milliseconds.
    std::optional<Message> Wait(DWORD clockMs);
    // Takes every message still queued.
    std::deque<Message> TakeAll();

private:
    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<Message> m_messages;
};

}  // namespace platform
