#include "tools/camsim/SpoofFlood.h"

#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>

#include "discovery/DiscoveryCodec.h"
#include "platform/TextUtil.h"

namespace camsim {

void SpoofFlood::Start(int fd, Target target, unsigned rate, unsigned seconds) {
    if (m_thread.joinable() || fd < 0 || rate == 0) return;
    m_stop = false;
    m_running = true;
    m_thread = std::thread([this, fd, target, rate, seconds] { Run(fd, target, rate, seconds); });
}

void SpoofFlood::Stop() {
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
}

void SpoofFlood::Run(int fd, Target target, unsigned rate, unsigned seconds) {
    using Steady = std::chrono::steady_clock;
    orvex::DeviceRecord record;
    platform::PutFieldString(record.szName, "Spoof");
    platform::PutFieldString(record.szVersion, "1.7.15.4");
    record.wPort = 80;
    auto reply = orvex::BuildSearchReply(record);
    std::mt19937 random(std::random_device{}());
    const auto start = Steady::now();
    const auto end = start + std::chrono::seconds(seconds);
    double owed = 0;
    auto last = start;
    while (!m_stop && (seconds == 0 || Steady::now() < end)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const auto now = Steady::now();
        owed += rate * std::chrono::duration<double>(now - last).count();
        last = now;
        sockaddr_in to{};
        if (!target(&to)) continue;  // nobody has searched yet
        for (; owed >= 1; owed -= 1) {
            const std::uint32_t r = random();
            const std::uint8_t mac[6] = {0x02,
                                         0x5A,
                                         static_cast<std::uint8_t>(r >> 24),
                                         static_cast<std::uint8_t>(r >> 16),
                                         static_cast<std::uint8_t>(r >> 8),
                                         static_cast<std::uint8_t>(r)};
            char ip[16];
            std::snprintf(ip, sizeof(ip), "10.%u.%u.%u", (r >> 16) & 0xFF, (r >> 8) & 0xFF,
                          r & 0xFF);
            std::memcpy(reply.data() + 4 + offsetof(orvex::DeviceRecord, abyMac), mac, 6);
            std::memset(reply.data() + 4, 0, 16);
            std::memcpy(reply.data() + 4, ip, std::strlen(ip));
            sendto(fd, reply.data(), reply.size(), MSG_NOSIGNAL,
                   reinterpret_cast<const sockaddr*>(&to), sizeof(to));
            ++m_sent;
        }
    }
    m_running = false;
}

}  // namespace camsim
