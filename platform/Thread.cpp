#include "platform/Thread.h"

#include <system_error>

#include "platform/ThreadMessages.h"

namespace platform {
namespace {

std::atomic<int> g_live{0};
std::atomic<int> g_refuse{0};

// True when a start is to fail (a test's refusal); takes one refusal.
bool TakeRefusal() {
    int left = g_refuse.load();
    while (left > 0 && !g_refuse.compare_exchange_weak(left, left - 1)) {
    }
    return left > 0;
}

}  // namespace

int Thread::LiveCount() { return g_live.load(); }

void Thread::RefuseNextStarts(int count) { g_refuse = count; }

Thread::~Thread() { Join(); }

bool Thread::Start(Procedure procedure, LeftoverHandler leftovers) {
    if (m_thread.joinable() || TakeRefusal()) return false;
    const DWORD id = ThreadMessages::NewThreadId();
    ThreadMessages::CreateQueue(id);
    m_id = id;
    m_exitCode = kStillActive;
    try {
        m_thread = std::thread([this, id, procedure = std::move(procedure),
                                leftovers = std::move(leftovers)] {
            ThreadMessages::AdoptThreadId(id);
            const DWORD code = procedure();
            for (const Message& msg : ThreadMessages::DestroyQueue(id)) {
                if (leftovers) leftovers(msg);
            }
            m_exitCode = code;
        });
    } catch (const std::system_error&) {
        ThreadMessages::DestroyQueue(id);
        m_id = 0;
        return false;
    }
    ++g_live;
    return true;
}

void Thread::Join() {
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id()) {
        m_thread.join();
        --g_live;
    }
}

}  // namespace platform
