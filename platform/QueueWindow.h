#pragma once
#include <memory>

#include "platform/MessageQueue.h"
#include "platform/WindowRegistry.h"

namespace platform {

// A window without a screen: its messages go into a queue that its owner pumps.
// Used by the command-line tools and the tests. Thread-safe.
class QueueWindow : public WindowTarget {
public:
    // Makes a queue window and registers it; the handle lives until Close.
    static std::shared_ptr<QueueWindow> Create();
    ~QueueWindow() override;

    HWND Handle() const { return m_hwnd; }
    MessageQueue& Queue() { return m_queue; }
    void Close();

    void OnPost(const Message& msg) override { m_queue.Post(msg); }
    LRESULT OnSend(const Message& msg) override;

private:
    QueueWindow() = default;
    HWND m_hwnd = 0;
    MessageQueue m_queue;
};

}  // namespace platform
