#pragma once
#include <netinet/in.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// An IPv4 UDP socket. The descriptor is closed only when the last shared owner lets go,
// so a thread still waiting on it can never touch a reused descriptor; Shutdown wakes
// such a waiter. Calls on one socket may come from several threads.
class UdpSocket {
public:
    static std::shared_ptr<UdpSocket> Create();
    ~UdpSocket();
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;

    bool SetBroadcast(bool on);
    bool SetReceiveBuffer(int bytes);
    bool SetSendTimeout(int ms);
    bool SetReceiveTimeout(int ms);
    bool SetReuseAddress(bool on);
    // Binds to the address (dotted text already parsed, network order) and port.
    bool Bind(in_addr_t address, std::uint16_t port);
    std::uint16_t LocalPort() const;

    // Returns the bytes sent or -1; never raises SIGPIPE.
    long SendTo(const void* data, std::size_t size, const sockaddr_in& to);
    long RecvFrom(void* buffer, std::size_t size, sockaddr_in* from);
    // One buffer of ReceiveWaiting: its bytes and capacity in, the datagram's size out.
    struct Datagram {
        std::uint8_t* data;
        std::size_t capacity;
        std::size_t size;
    };
    // Takes up to `count` datagrams that are already waiting, in one call and without
    // waiting (a datagram longer than its buffer is cut); returns how many were taken, 0
    // when none was waiting, -1 on failure.
    int ReceiveWaiting(Datagram* datagrams, int count);
    // 1 readable, 0 time-out, -1 failure (including a socket that was shut down).
    int WaitReadable(std::chrono::microseconds timeout) const;
    void Shutdown();
    int Descriptor() const { return m_fd; }

private:
    explicit UdpSocket(int fd) : m_fd(fd) {}
    const int m_fd;
};

// Parses dotted IPv4 text strictly (four decimal numbers 0..255); false otherwise.
bool ParseIpv4(const std::string& text, in_addr_t* address);
std::string FormatIpv4(in_addr_t address);

}  // namespace platform
