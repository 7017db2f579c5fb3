#include "cgi/TcpStream.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "cgi/TraceMsg.h"
#include "platform/Clock.h"

namespace orvex {

using platform::Clock;
using platform::DWORD;

namespace {

constexpr DWORD kSliceMs = 50;

}  // namespace

bool TcpStream::Open() {
    Close();
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    std::lock_guard<std::mutex> guard(m_lock);
    m_fd = fd;
    return true;
}

int TcpStream::Fd() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_fd;
}

void TcpStream::Close() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

void TcpStream::Shutdown() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_fd >= 0) shutdown(m_fd, SHUT_RDWR);
}

bool TcpStream::SendAll(const char* data, std::size_t size, bool more) {
    const int fd = Fd();
    const int flags = MSG_NOSIGNAL | (more ? MSG_MORE : 0);
    std::size_t sent = 0;
    while (sent < size) {
        const ssize_t n = send(fd, data + sent, size - sent, flags);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

bool TcpStream::SetBlocking(bool blocking) {
    const int fd = Fd();
    const int flags = fcntl(fd, F_GETFL, 0);
    if (flags < 0) return false;
    return fcntl(fd, F_SETFL, blocking ? (flags & ~O_NONBLOCK) : (flags | O_NONBLOCK)) == 0;
}

void TcpStream::SetTimeouts(int seconds) {
    const auto real = platform::Clock::RealDuration(static_cast<platform::DWORD>(seconds) * 1000);
    timeval tv{};
    tv.tv_sec = static_cast<time_t>(real.count() / 1000000);
    tv.tv_usec = static_cast<suseconds_t>(real.count() % 1000000);
    const int fd = Fd();
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof(tv));
}

void TcpStream::NoDelay() {
    const int on = 1;
    setsockopt(Fd(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
}

bool TcpStream::Resolve(const char* host, in_addr* address) {
    if (inet_aton(host, address) != 0) return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) return false;
    *address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

bool TcpStream::WaitReady(int socket, bool forWrite, int minimum, int timeoutSeconds,
                          const std::atomic<std::uint8_t>& abort) {
    const DWORD idleLimit = static_cast<DWORD>(timeoutSeconds) * 1000 / kSliceMs;
    const DWORD limitMs = static_cast<DWORD>(timeoutSeconds) * 1000;
    DWORD idle = 0;
    const DWORD start = Clock::TickCount();
    const auto slice = Clock::RealDuration(kSliceMs);
    while (abort == 0) {
        Clock::Sleep(1);
        pollfd pfd{socket, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        timespec ts{};
        ts.tv_sec = static_cast<time_t>(slice.count() / 1000000);
        ts.tv_nsec = static_cast<long>((slice.count() % 1000000) * 1000);
        const int rc = ppoll(&pfd, 1, &ts, nullptr);
        if (rc < 0) {
            if (errno == EINTR) continue;
            TraceMsg("\n WaitValidConnect error");
            return false;
        }
        bool ready = rc > 0;
        if (ready && forWrite) {
            // A refused or reset attempt also reads as writable here: only a connection
            // without a pending error counts, as a writable socket did on the original
            // platform. Otherwise this slice passes idle.
            int error = 0;
            socklen_t len = sizeof(error);
            getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &len);
            if (error != 0 || (pfd.revents & (POLLERR | POLLHUP))) {
                ready = false;
                Clock::Sleep(kSliceMs);
            }
        }
        if (!ready) {
            if (++idle >= idleLimit) return false;
            continue;
        }
        if (forWrite) return true;
        int pending = 0;
        if (ioctl(socket, FIONREAD, &pending) == 0 && pending > minimum) return true;
        if (static_cast<DWORD>(Clock::TickCount() - start) >= limitMs) return false;
    }
    return false;
}

}  // namespace orvex
