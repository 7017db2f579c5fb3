#pragma once
#include <atomic>
#include <memory>

#include "platform/ManualResetEvent.h"
#include "platform/Thread.h"
#include "platform/Types.h"

namespace orvex {

// Runs a callback about once a second on a thread of its own. The owner starts or
// resumes ticking with Resume and pauses with Pause; a nonzero return of the callback
// ends the thread. Thread safety: the owner's thread drives it; the callback runs on the
// tick thread. ReleaseTimer must not be called from the callback.
class CDelayFunc {
public:
    using TimerProc = int (*)(void* pUser);

    CDelayFunc() = default;
    virtual ~CDelayFunc();
    CDelayFunc(const CDelayFunc&) = delete;
    CDelayFunc& operator=(const CDelayFunc&) = delete;

    // Creates the event and the thread, which starts paused.
    platform::BOOL InitTimer(void* owner);
    // Ends and joins the thread.
    void ReleaseTimer();
    // Start or resume: the next tick comes 1000 ms from now.
    void Resume();
    void Pause();
    bool HasThread() const { return m_hThread != nullptr; }
    // True once the thread has ended (by its callback or ReleaseTimer).
    bool Ended() const;

    void* m_pOwner = nullptr;
    std::atomic<int> m_bStop{0};
    std::atomic<int> m_bRestart{1};
    std::atomic<TimerProc> m_pfnTimer{nullptr};
    std::atomic<void*> m_pUser{nullptr};

private:
    static platform::DWORD ThreadTimer(CDelayFunc* self);
    // Returns false when the callback ended the routine.
    bool ProcessTimer();

    std::unique_ptr<platform::Thread> m_hThread;
    std::unique_ptr<platform::ManualResetEvent> m_hEvent;
};

}  // namespace orvex
