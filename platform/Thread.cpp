#include "platform/Thread.h"

#include <mutex>
#include <system_error>

#include "platform/ThreadMessages.h"

namespace platform {
namespace {

std::atomic<int> g_live{0};
std::mutex g_refusalLock;
std::thread::id g_refusingThread;
int g_startsBeforeRefusal = 0;
int g_refusals = 0;

// True when this start is to fail (a test's refusal).
bool TakeRefusal() {
    std::lock_guard<std::mutex> guard(g_refusalLock);
    if (g_refusals == 0 || std::this_thread::get_id() != g_refusingThread) return false;
    if (g_startsBeforeRefusal > 0) {
        --g_startsBeforeRefusal;
        return false;
    }
    --g_refusals;
    return true;
}

}  // namespace

int Thread::LiveCount() {
    return g_live.load();
}

void Thread::RefuseStarts(int after, int count) {
    std::lock_guard<std::mutex> guard(g_refusalLock);
    g_refusingThread = std::this_thread::get_id();
    g_startsBeforeRefusal = after;
    g_refusals = count;
}

Thread::~Thread() {
    Join();
}

bool Thread::Start(Procedure procedure, LeftoverHandler leftovers) {
    if (m_thread.joinable() || TakeRefusal()) return false;
    const DWORD id = ThreadMessages::NewThreadId();
    ThreadMessages::CreateQueue(id);
    m_id = id;
    m_exitCode = kStillActive;
    try {
        m_thread = std::thread(
            [this, id, procedure = std::move(procedure), leftovers = std::move(leftovers)] {
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
