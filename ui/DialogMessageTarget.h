#pragma once
#include <QPointer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/WindowTarget.h"

class QObject;

namespace orvex {

// The message queue of one window: posts and sends from any thread are queued and handled
// on the window's own thread, in order. A send from another thread waits for its result,
// unless the window goes away or releases its senders first (then it returns 0).
class DialogMessageTarget : public platform::WindowTarget {
public:
    using Dispatch = std::function<platform::LRESULT(const platform::Message&)>;

    // `drained` runs on the window's thread after a turn that handled messages, once the
    // queue is empty (a window catches up on what it deferred).
    DialogMessageTarget(QObject* window, Dispatch dispatch, std::function<void()> drained = {});

    void OnPost(const platform::Message& msg) override;
    platform::LRESULT OnSend(const platform::Message& msg) override;
    void OnUnregistered() override;

    // On the window's thread: handles everything queued.
    void Drain();
    void ReleaseSenders();
    // The posted messages never handled (after the window has gone).
    std::deque<platform::Message> TakeLeftovers();

private:
    struct SendWait {
        bool done = false;
        platform::LRESULT result = 0;
    };
    struct Pending {
        platform::Message msg;
        std::shared_ptr<SendWait> wait;  // null for a posted message
    };
    void ScheduleDrainLocked();

    QPointer<QObject> m_window;
    Dispatch m_dispatch;
    std::function<void()> m_drained;
    bool m_drainScheduled = false;  // a queued drain that has not started takes every post
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Pending> m_queue;
    bool m_closed = false;
    bool m_released = false;
};

}  // namespace orvex
