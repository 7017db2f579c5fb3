#include "upgrade/DelayFunc.h"

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"

namespace orvex {

using platform::Clock;
using platform::DWORD;

CDelayFunc::~CDelayFunc() { ReleaseTimer(); }

platform::BOOL CDelayFunc::InitTimer(void* owner) {
    TraceMsg("\r\n---CDelayFunc::InitTimer---begin---");
    m_pOwner = owner;
    m_hEvent = std::make_unique<platform::ManualResetEvent>(false);
    m_hEvent->Reset();
    m_bStop = 0;
    auto thread = std::make_unique<platform::Thread>();
    if (!thread->Start([this] { return ThreadTimer(this); })) return platform::FALSE;
    m_hThread = std::move(thread);
    TraceMsg("\r\n---CDelayFunc::InitTimer---end-----");
    return platform::TRUE;
}

void CDelayFunc::ReleaseTimer() {
    TraceMsg("\r\n---CDelayFunc::ReleaseTimer---begin1---");
    if (m_hThread) {
        TraceMsg("\r\n---CDelayFunc::ReleaseTimer---begin2---");
        m_bStop = 1;
        m_hEvent->Set();  // a paused thread wakes up to see the stop
        m_hThread->Join();
        m_hThread.reset();
    }
    m_hEvent.reset();
    TraceMsg("\r\n---CDelayFunc::ReleaseTimer---end---");
}

void CDelayFunc::Resume() {
    m_bRestart = 1;
    if (m_hEvent) m_hEvent->Set();
}

void CDelayFunc::Pause() {
    m_bRestart = 0;
    if (m_hEvent) m_hEvent->Reset();
}

bool CDelayFunc::Ended() const {
    return !m_hThread || m_hThread->ExitCode() != platform::kStillActive;
}

DWORD CDelayFunc::ThreadTimer(CDelayFunc* self) {
    self->ProcessTimer();
    TraceMsg("\r\n---Exit CDelayFunc::ThreadTimer---");
    return 0;
}

bool CDelayFunc::ProcessTimer() {
    DWORD last = 0;
    while (m_bStop == 0) {
        m_hEvent->Wait();
        if (m_bStop != 0) break;
        DWORD elapsed = 0;
        if (m_bRestart.exchange(0) != 0) {
            last = Clock::TickCount();
        } else {
            elapsed = Clock::TickCount() - last;
        }
        if (elapsed >= 1000) {
            TimerProc callback = m_pfnTimer;
            void* user = m_pUser;
            if (callback && user && callback(user) != 0) return false;
            last = Clock::TickCount();
        } else {
            Clock::Sleep(5);
        }
    }
    TraceMsg("\r\n---Break CDelayFunc::ProcessTimer---");
    return true;
}

}  // namespace orvex
