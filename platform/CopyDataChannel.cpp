#include "platform/CopyDataChannel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kMaxDatagram = 64 * 1024;

socklen_t AbstractAddress(const std::string& name, sockaddr_un* address) {
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    const std::size_t len = std::min(name.size(), sizeof(address->sun_path) - 1);
    std::memcpy(address->sun_path + 1, name.data(), len);  // leading zero: abstract
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + len);
}

void PutLittleEndian(unsigned char* out, DWORD value) {
    for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(value >> (8 * i));
}

DWORD GetLittleEndian(const unsigned char* in) {
    return DWORD{in[0]} | DWORD{in[1]} << 8 | DWORD{in[2]} << 16 | DWORD{in[3]} << 24;
}

// One sending socket per thread, closed when the thread ends.
class SenderSocket {
public:
    ~SenderSocket() {
        if (m_fd >= 0) close(m_fd);
    }
    int Get() {
        if (m_fd < 0) {
            m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
            if (m_fd >= 0) {
                // A viewer that stops reading must not hang the program for good.
                timeval tv{1, 0};
                setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof(tv));
            }
        }
        return m_fd;
    }

private:
    int m_fd = -1;
};

thread_local SenderSocket t_sender;

}  // namespace

bool CopyDataChannel::Send(const std::string& className, DWORD dwData, const void* data,
                           DWORD cbData) {
    const int fd = t_sender.Get();
    if (fd < 0) return false;
    std::vector<unsigned char> datagram(kHeaderSize + cbData);
    PutLittleEndian(datagram.data(), dwData);
    PutLittleEndian(datagram.data() + 4, cbData);
    if (cbData > 0) std::memcpy(datagram.data() + kHeaderSize, data, cbData);
    sockaddr_un address{};
    const socklen_t len = AbstractAddress(className, &address);
    const ssize_t sent = sendto(fd, datagram.data(), datagram.size(), MSG_NOSIGNAL,
                                reinterpret_cast<const sockaddr*>(&address), len);
    return sent >= 0 || (errno != ECONNREFUSED && errno != ENOENT);
}

CopyDataListener::~CopyDataListener() { Close(); }

bool CopyDataListener::Open(const std::string& className) {
    Close();
    m_fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) return false;
    sockaddr_un address{};
    const socklen_t len = AbstractAddress(className, &address);
    if (bind(m_fd, reinterpret_cast<const sockaddr*>(&address), len) != 0) {
        Close();
        return false;
    }
    return true;
}

void CopyDataListener::Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
}

std::optional<CopyDataListener::Record> CopyDataListener::Receive(
    std::chrono::milliseconds timeout) {
    if (m_fd < 0) return std::nullopt;
    pollfd pfd{m_fd, POLLIN, 0};
    if (poll(&pfd, 1, static_cast<int>(timeout.count())) <= 0) return std::nullopt;
    std::vector<unsigned char> datagram(kMaxDatagram);
    const ssize_t got = recv(m_fd, datagram.data(), datagram.size(), 0);
    if (got < static_cast<ssize_t>(kHeaderSize)) return std::nullopt;
    Record record;
    record.dwData = GetLittleEndian(datagram.data());
    const std::size_t declared = GetLittleEndian(datagram.data() + 4);
    const std::size_t available = static_cast<std::size_t>(got) - kHeaderSize;
    record.data.assign(reinterpret_cast<const char*>(datagram.data() + kHeaderSize),
                       std::min(declared, available));
    return record;
}

}  // namespace platform
