#include "platform/WakeSignal.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstdint>

namespace platform {

WakeSignal::WakeSignal() : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

WakeSignal::~WakeSignal() {
    if (m_fd >= 0) close(m_fd);
}

void WakeSignal::Signal() {
    const std::uint64_t one = 1;
    if (m_fd >= 0 && write(m_fd, &one, sizeof(one)) < 0) {
        // already signalled to the counter's limit: the waiter wakes anyway
    }
}

void WakeSignal::Drain() {
    std::uint64_t count = 0;
    if (m_fd >= 0 && read(m_fd, &count, sizeof(count)) < 0) {
        // nothing was pending
    }
}

}  // namespace platform

namespace platform {

void WakeSignal::Wait(std::chrono::microseconds timeout) const {
    pollfd pfd{m_fd, POLLIN, 0};
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(timeout.count() / 1000000);
    ts.tv_nsec = static_cast<long>((timeout.count() % 1000000) * 1000);
    ppoll(&pfd, 1, &ts, nullptr);
}

}  // namespace platform
