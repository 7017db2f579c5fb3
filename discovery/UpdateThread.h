#pragma once
#include <atomic>
#include <memory>

#include "discovery/DeviceRecord.h"
#include "platform/Thread.h"
#include "platform/WindowRegistry.h"

namespace orvex {

class CLanprobe;

// The search scheduler: one search every 2000 ms, queued set requests, and a sweep
// request to the window 200 ms after every second successful search. The owner's thread
// starts and stops it and talks to it only through thread messages.
class CUpdateThread {
public:
    CUpdateThread() = default;
    virtual ~CUpdateThread();
    CUpdateThread(const CUpdateThread&) = delete;
    CUpdateThread& operator=(const CUpdateThread&) = delete;

    // Starts the thread; false when it cannot be created.
    bool Start(platform::HWND window, CLanprobe* prober);
    // Stop flag, then WM_QUIT every 100 ms until the thread has ended, then join.
    void Stop();
    bool IsRunning() const { return m_thread != nullptr; }
    platform::DWORD ThreadId() const { return m_dwThreadId; }

    // Find: the next search is due at once. False when no scheduler runs.
    bool PostSearchNow();
    // Queues a set request with the record's first 320 bytes; the scheduler frees it.
    // False (and the block freed here) when no scheduler runs.
    bool PostSetRequest(std::unique_ptr<DeviceRecord> block);

private:
    static platform::DWORD SchedulerProc(CUpdateThread* self);
    void PostToWindow(platform::UINT message, platform::WPARAM wParam);

    std::unique_ptr<platform::Thread> m_thread;
    std::atomic<platform::DWORD> m_dwThreadId{0};
    std::atomic<platform::HWND> m_hWindow{0};
    std::atomic<CLanprobe*> m_pProber{nullptr};
    std::atomic<int> m_bStop{0};
};

}  // namespace orvex
