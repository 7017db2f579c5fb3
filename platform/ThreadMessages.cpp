#include "platform/ThreadMessages.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>

#include "platform/MessageQueue.h"

namespace platform {
namespace {

struct Registry {
    std::mutex lock;
    std::map<DWORD, std::shared_ptr<MessageQueue>> queues;
};

Registry& Queues() {
    static Registry registry;
    return registry;
}

std::atomic<DWORD> g_nextThreadId{1000};

std::shared_ptr<MessageQueue> FindQueue(DWORD threadId) {
    Registry& r = Queues();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.queues.find(threadId);
    return it == r.queues.end() ? nullptr : it->second;
}

// A thread that made its own queue by peeking drops it when it ends.
struct AdHocQueueOwner {
    DWORD threadId = 0;
    ~AdHocQueueOwner() {
        if (threadId != 0) ThreadMessages::DestroyQueue(threadId);
    }
};

thread_local DWORD t_threadId = 0;
thread_local AdHocQueueOwner t_adHocQueue;

}  // namespace

DWORD ThreadMessages::NewThreadId() { return g_nextThreadId.fetch_add(1); }

DWORD ThreadMessages::CurrentThreadId() {
    if (t_threadId == 0) t_threadId = NewThreadId();
    return t_threadId;
}

void ThreadMessages::AdoptThreadId(DWORD threadId) { t_threadId = threadId; }

void ThreadMessages::CreateQueue(DWORD threadId) {
    Registry& r = Queues();
    std::lock_guard<std::mutex> guard(r.lock);
    auto& queue = r.queues[threadId];
    if (!queue) queue = std::make_shared<MessageQueue>();
}

std::deque<Message> ThreadMessages::DestroyQueue(DWORD threadId) {
    std::shared_ptr<MessageQueue> queue;
    {
        Registry& r = Queues();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.queues.find(threadId);
        if (it == r.queues.end()) return {};
        queue = std::move(it->second);
        r.queues.erase(it);
    }
    return queue->TakeAll();
}

bool ThreadMessages::Post(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    // The registry lock is held while posting so that a queue being destroyed
    // either receives the message before its leftovers are taken, or refuses it.
    Registry& r = Queues();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.queues.find(threadId);
    if (it == r.queues.end()) return false;
    it->second->Post(Message{message, wParam, lParam});
    return true;
}

std::optional<Message> ThreadMessages::Peek() {
    const DWORD self = CurrentThreadId();
    std::shared_ptr<MessageQueue> queue = FindQueue(self);
    if (!queue) {
        CreateQueue(self);
        t_adHocQueue.threadId = self;
        return std::nullopt;
    }
    return queue->Peek();
}

}  // namespace platform
