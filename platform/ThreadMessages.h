#pragma once
#include <deque>
#include <optional>

#include "platform/Message.h"

namespace platform {

// Per-thread message queues addressed by thread id, as the platform's thread messages.
// Thread-safe.
class ThreadMessages {
public:
    // Id of the calling thread; threads not started by Thread get one on first use.
    static DWORD CurrentThreadId();
    // Queues a message for the thread; false when that thread has no queue (not running).
    static bool Post(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam);
    // Takes the calling thread's oldest message without waiting (creating its queue).
    static std::optional<Message> Peek();

    // Used by Thread: a new id, its queue made before the thread runs, removed when it ends.
    static DWORD NewThreadId();
    static void CreateQueue(DWORD threadId);
    static std::deque<Message> DestroyQueue(DWORD threadId);
    static void AdoptThreadId(DWORD threadId);
};

}  // namespace platform
