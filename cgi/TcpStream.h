#pragma once
#include <netinet/in.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

namespace orvex {

// The one TCP socket of an exchange. The descriptor is closed under a lock, so that a
// Shutdown from another thread can never hit a descriptor reused elsewhere.
// Thread safety: Shutdown may be called from any thread; the rest from the exchange's.
class TcpStream {
public:
    TcpStream() = default;
    ~TcpStream() { Close(); }
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // A new IPv4 TCP socket (closing any earlier one); false when none can be created.
    bool Open();
    int Fd() const;
    void Close();
    // Wakes every blocked call on the socket at once (the exchange closes it itself).
    void Shutdown();
    // Sends everything, resending after a partial send or a signal; `more` says more of
    // the request follows (MSG_MORE). Never raises SIGPIPE.
    bool SendAll(const char* data, std::size_t size, bool more = false);
    bool SetBlocking(bool blocking);
    // Send and receive time-outs in clock seconds; no Nagle delay.
    void SetTimeouts(int seconds);
    void NoDelay();
    // Waits in 50 ms slices for the socket to be writable (a connection without a pending
    // error) or to hold more than `minimum` readable bytes, at most `timeoutSeconds` clock
    // seconds; false at the time-out, on an error or once `abort` is set.
    static bool WaitReady(int socket, bool forWrite, int minimum, int timeoutSeconds,
                          const std::atomic<std::uint8_t>& abort);
    // A dotted address or a name the resolver knows.
    static bool Resolve(const char* host, in_addr* address);

private:
    mutable std::mutex m_lock;
    int m_fd = -1;
};

}  // namespace orvex
