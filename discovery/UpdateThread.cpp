#include "discovery/UpdateThread.h"

#include <cstdint>

#include "cgi/TraceMsg.h"
#include "discovery/DiscoveryMessages.h"
#include "discovery/Lanprobe.h"
#include "platform/Clock.h"
#include "platform/ThreadMessages.h"

namespace orvex {

using platform::Clock;
using platform::DWORD;

namespace {

void FreeSetRequest(const platform::Message& msg) {
    if (msg.message == kMsgSendSetRequest) delete reinterpret_cast<DeviceRecord*>(msg.wParam);
}

}  // namespace

CUpdateThread::~CUpdateThread() { Stop(); }

bool CUpdateThread::Start(platform::HWND window, CLanprobe* prober) {
    if (m_thread) return false;
    m_hWindow = window;
    m_pProber = prober;
    m_bStop = 0;
    auto thread = std::make_unique<platform::Thread>();
    if (!thread->Start([this] { return SchedulerProc(this); }, FreeSetRequest)) return false;
    m_dwThreadId = thread->Id();
    m_thread = std::move(thread);
    return true;
}

void CUpdateThread::Stop() {
    if (!m_thread) return;
    m_bStop = 1;
    do {
        platform::ThreadMessages::Post(m_dwThreadId, platform::WM_QUIT, 0, 0);
        Clock::Sleep(100);
    } while (m_thread->ExitCode() == platform::kStillActive);
    m_thread->Join();
    m_thread.reset();
}

bool CUpdateThread::PostSearchNow() {
    return m_thread && platform::ThreadMessages::Post(m_dwThreadId, kMsgSearchNow, 0, 0);
}

bool CUpdateThread::PostSetRequest(std::unique_ptr<DeviceRecord> block) {
    if (!m_thread || !block) return false;
    const auto wParam = reinterpret_cast<platform::WPARAM>(block.get());
    if (!platform::ThreadMessages::Post(m_dwThreadId, kMsgSendSetRequest, wParam, 0)) return false;
    block.release();  // the scheduler owns it now
    return true;
}

void CUpdateThread::PostToWindow(platform::UINT message, platform::WPARAM wParam) {
    platform::WindowRegistry::Post(m_hWindow, message, wParam, 0);
}

DWORD CUpdateThread::SchedulerProc(CUpdateThread* self) {
    DWORD due = Clock::TickCount();
    DWORD now = due;
    int pairCount = 0;
    while (self->m_bStop == 0) {
        if (auto msg = platform::ThreadMessages::Peek()) {
            if (msg->message == platform::WM_QUIT) break;
            if (msg->message == kMsgSearchNow) {
                due = now;
                pairCount = 1;
            } else if (msg->message == kMsgSendSetRequest) {
                auto* block = reinterpret_cast<DeviceRecord*>(msg->wParam);
                CLanprobe* prober = self->m_pProber;
                if (block && prober) {
                    const bool sent = prober->SendSetParams(ParamsOf(*block));
                    if (!sent && self->m_hWindow != 0) self->PostToWindow(kMsgDiscovery, kSendFailed);
                    due = now;
                    pairCount = 1;
                }
                delete block;
            }
        }
        now = Clock::TickCount();
        // Compared as a signed difference so that the wrap of the 32-bit tick count
        // does not turn into a burst of searches.
        if (static_cast<std::int32_t>(now - due) < 0) {
            Clock::Sleep(50);
            continue;
        }
        CLanprobe* prober = self->m_pProber;
        if (prober && self->m_hWindow != 0) {
            const int result = prober->SendSearch();
            if (result != 0) {
                self->PostToWindow(kMsgDiscovery, static_cast<platform::WPARAM>(result));
            } else if (++pairCount >= 2) {
                pairCount = 0;
                Clock::Sleep(200);
                self->PostToWindow(kMsgSweepCameras, 0);
            }
        }
        due = now + 2000;
    }
    TraceMsg("\n exit update thread");
    return 0;
}

}  // namespace orvex
