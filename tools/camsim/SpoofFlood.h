#pragma once
#include <netinet/in.h>

#include <atomic>
#include <functional>
#include <thread>

namespace camsim {

// A device on the network that answers with ever-new identities: search replies from
// cameras that do not exist, each with a random MAC and address, sent through a socket
// the caller owns to whoever searched last. Start and Stop from one thread; the counters
// may be read from any.
class SpoofFlood {
public:
    // Where the replies go: false while nobody has searched yet.
    using Target = std::function<bool(sockaddr_in* to)>;

    ~SpoofFlood() { Stop(); }
    // `rate` replies a second (real time) for `seconds`, or until Stop when 0.
    void Start(int fd, Target target, unsigned rate, unsigned seconds);
    void Stop();
    std::size_t Sent() const { return m_sent; }
    bool Running() const { return m_running; }

private:
    void Run(int fd, Target target, unsigned rate, unsigned seconds);

    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<std::size_t> m_sent{0};
    std::atomic<bool> m_running{false};
};

}  // namespace camsim
