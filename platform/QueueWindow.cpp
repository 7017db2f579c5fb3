#include "platform/QueueWindow.h"

namespace platform {

std::shared_ptr<QueueWindow> QueueWindow::Create() {
    std::shared_ptr<QueueWindow> window(new QueueWindow());
    window->m_hwnd = WindowRegistry::Register(window);
    return window;
}

QueueWindow::~QueueWindow() = default;

void QueueWindow::Close() { WindowRegistry::Unregister(m_hwnd); }

LRESULT QueueWindow::OnSend(const Message& msg) {
    m_queue.Post(msg);
    return 0;
}

}  // namespace platform
