#include "platform/UdpSocket.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

bool SetIntOption(int fd, int level, int name, int value) {
    return setsockopt(fd, level, name, &value, sizeof(value)) == 0;
}

bool SetTimeOption(int fd, int name, int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = (ms % 1000) * 1000;
    return setsockopt(fd, SOL_SOCKET, name, &tv, sizeof(tv)) == 0;
}

}  // namespace

std::shared_ptr<UdpSocket> UdpSocket::Create() {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    if (fd < 0) return nullptr;
    return std::shared_ptr<UdpSocket>(new UdpSocket(fd));
}

UdpSocket::~UdpSocket() { close(m_fd); }

bool UdpSocket::SetBroadcast(bool on) { return SetIntOption(m_fd, SOL_SOCKET, SO_BROADCAST, on); }
bool UdpSocket::SetReceiveBuffer(int bytes) {
    return SetIntOption(m_fd, SOL_SOCKET, SO_RCVBUF, bytes);
}
bool UdpSocket::SetSendTimeout(int ms) { return SetTimeOption(m_fd, SO_SNDTIMEO, ms); }
bool UdpSocket::SetReceiveTimeout(int ms) { return SetTimeOption(m_fd, SO_RCVTIMEO, ms); }
bool UdpSocket::SetReuseAddress(bool on) {
    return SetIntOption(m_fd, SOL_SOCKET, SO_REUSEADDR, on);
}

bool UdpSocket::Bind(in_addr_t address, std::uint16_t port) {
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(port);
    return bind(m_fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) == 0;
}

std::uint16_t UdpSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t len = sizeof(local);
    if (getsockname(m_fd, reinterpret_cast<sockaddr*>(&local), &len) != 0) return 0;
    return ntohs(local.sin_port);
}

long UdpSocket::SendTo(const void* data, std::size_t size, const sockaddr_in& to) {
    return sendto(m_fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                  sizeof(to));
}

long UdpSocket::RecvFrom(void* buffer, std::size_t size, sockaddr_in* from) {
    sockaddr_in ignored{};
    socklen_t len = sizeof(sockaddr_in);
    sockaddr_in* peer = from ? from : &ignored;
    return recvfrom(m_fd, buffer, size, 0, reinterpret_cast<sockaddr*>(peer), &len);
}

int UdpSocket::ReceiveWaiting(Datagram* datagrams, int count) {
    constexpr int kMost = 64;
    if (count > kMost) count = kMost;
    mmsghdr messages[kMost] = {};
    iovec parts[kMost] = {};
    for (int i = 0; i < count; ++i) {
        parts[i] = {datagrams[i].data, datagrams[i].capacity};
        messages[i].msg_hdr.msg_iov = &parts[i];
        messages[i].msg_hdr.msg_iovlen = 1;
    }
    const int got = recvmmsg(m_fd, messages, static_cast<unsigned>(count), MSG_DONTWAIT, nullptr);
    if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? 0 : -1;
    for (int i = 0; i < got; ++i) datagrams[i].size = messages[i].msg_len;
    return got;
}

int UdpSocket::WaitReadable(std::chrono::microseconds timeout) const {
    pollfd pfd{m_fd, POLLIN, 0};
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(timeout.count() / 1000000);
    ts.tv_nsec = static_cast<long>((timeout.count() % 1000000) * 1000);
    const int rc = ppoll(&pfd, 1, &ts, nullptr);
    if (rc < 0) return errno == EINTR ? 0 : -1;
    if (rc == 0) return 0;
    if (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) return -1;
    return (pfd.revents & POLLIN) ? 1 : 0;
}

void UdpSocket::Shutdown() { shutdown(m_fd, SHUT_RDWR); }

bool ParseIpv4(const std::string& text, in_addr_t* address) {
    in_addr parsed{};
    if (inet_pton(AF_INET, text.c_str(), &parsed) != 1) return false;
    *address = parsed.s_addr;
    return true;
}

std::string FormatIpv4(in_addr_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = address;
    inet_ntop(AF_INET, &a, text, sizeof(text));
    return text;
}

}  // namespace platform
