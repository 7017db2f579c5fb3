#include "onvif/OnvifDiscovery.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "onvif/OnvifScopes.h"
#include "onvif/XAddr.h"

namespace orvex {
namespace {

using Clock = std::chrono::steady_clock;

// A UDP socket, closed with the object.
struct Socket {
    int fd = -1;
    Socket() = default;
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    ~Socket() {
        if (fd >= 0) close(fd);
    }
};

sockaddr_in Address(const std::string& ip, int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
    return a;
}

// A socket bound to `ip`:0 that multicasts from that adapter; -1 with errno on failure.
int MulticastSocket(const std::string& ip, int ttl) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const sockaddr_in local = Address(ip, 0);
    in_addr interface{};
    inet_pton(AF_INET, ip.c_str(), &interface);
    const unsigned char hops = static_cast<unsigned char>(ttl), loop = 1;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != 0 ||
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_IF, &interface, sizeof(interface)) != 0 ||
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_TTL, &hops, sizeof(hops)) != 0 ||
        setsockopt(fd, IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof(loop)) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

// The socket Hello and Bye arrive on: port `port`, the group joined on every adapter.
int AnnouncementSocket(const std::vector<ScanSource>& sources, int port) {
    const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    setsockopt(fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof(on));
    const sockaddr_in any = Address("0.0.0.0", port);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&any), sizeof(any)) != 0) {
        close(fd);
        return -1;
    }
    for (const ScanSource& source : sources) {
        ip_mreq join{};
        inet_pton(AF_INET, wsd::kGroup, &join.imr_multiaddr);
        inet_pton(AF_INET, source.ip.c_str(), &join.imr_interface);
        setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join));
    }
    return fd;
}

std::string Dotted(std::uint32_t value) {
    in_addr a{};
    a.s_addr = htonl(value);
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &a, text, sizeof(text));
    return text;
}

}  // namespace

OnvifDiscovery::OnvifDiscovery(Options options)
    : m_options(std::move(options)), m_messageId(WsdMessage::NewMessageId()) {}

bool OnvifDiscovery::Run(const std::atomic<int>* stop, std::string* error) {
    const std::string probe = WsdMessage::Probe(m_messageId, m_options.types);
    std::vector<Socket> sockets(m_options.sources.size());
    for (std::size_t i = 0; i < sockets.size(); ++i) {
        sockets[i].fd = MulticastSocket(m_options.sources[i].ip, m_options.ttl);
        if (sockets[i].fd < 0) {
            std::lock_guard<std::mutex> guard(m_lock);
            m_failures.push_back({i, 1, errno});
        }
    }
    Socket unicast, announcements;
    unicast.fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_options.announcements) announcements.fd = AnnouncementSocket(m_options.sources, m_options.port);

    // Who is probed by unicast: the hosts, then the range, one after another.
    std::vector<std::pair<std::string, int>> targets;
    for (const std::string& host : m_options.hosts) {
        const auto colon = host.find(':');
        targets.emplace_back(host.substr(0, colon),
                             colon == std::string::npos ? m_options.port : std::stoi(host.substr(colon + 1)));
    }
    const auto start = Clock::now();
    const auto end = start + std::chrono::milliseconds(static_cast<long long>(m_options.seconds * 1000));
    const auto pace = std::chrono::microseconds(1000000 / std::max(1, m_options.unicastPerSecond));
    std::uint32_t nextInRange = m_options.rangeFirst;
    std::size_t nextTarget = 0;
    auto unicastDue = start;
    int multicastSent = 0;
    bool anySent = false;
    char buffer[WsdMessage::kMaxBytes + 1];
    while (!(stop && stop->load() != 0)) {
        const auto now = Clock::now();
        if (now >= end) break;
        // Three multicast probes in the first second, the same message each time.
        while (multicastSent < 3 && now >= start + std::chrono::milliseconds(333 * multicastSent)) {
            const sockaddr_in group = Address(wsd::kGroup, m_options.port);
            for (std::size_t i = 0; i < sockets.size(); ++i) {
                if (sockets[i].fd < 0) continue;
                if (sendto(sockets[i].fd, probe.data(), probe.size(), MSG_NOSIGNAL,
                           reinterpret_cast<const sockaddr*>(&group), sizeof(group)) >= 0) {
                    anySent = true;
                } else if (multicastSent == 0) {
                    std::lock_guard<std::mutex> guard(m_lock);
                    m_failures.push_back({i, 2, errno});
                }
            }
            ++multicastSent;
        }
        // Unicast probes at their pace.
        while (unicast.fd >= 0 && now >= unicastDue &&
               (nextTarget < targets.size() || (m_options.rangeFirst != 0 && nextInRange <= m_options.rangeLast))) {
            const auto target = nextTarget < targets.size() ? targets[nextTarget++]
                                                            : std::make_pair(Dotted(nextInRange++), m_options.port);
            const sockaddr_in to = Address(target.first, target.second);
            if (sendto(unicast.fd, probe.data(), probe.size(), MSG_NOSIGNAL,
                       reinterpret_cast<const sockaddr*>(&to), sizeof(to)) >= 0)
                anySent = true;
            unicastDue += pace;
            if (nextInRange == 0) break;  // past 255.255.255.255
        }
        std::vector<pollfd> polled;
        std::vector<std::size_t> sourceOf;
        for (std::size_t i = 0; i < sockets.size(); ++i) {
            if (sockets[i].fd >= 0) {
                polled.push_back({sockets[i].fd, POLLIN, 0});
                sourceOf.push_back(i);
            }
        }
        for (const int fd : {unicast.fd, announcements.fd}) {
            if (fd >= 0) {
                polled.push_back({fd, POLLIN, 0});
                sourceOf.push_back(SIZE_MAX);
            }
        }
        const auto wake = std::min({end, unicastDue, start + std::chrono::milliseconds(333 * multicastSent),
                                    now + std::chrono::milliseconds(100)});
        const int wait = static_cast<int>(std::max<long long>(
            0, std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count()));
        if (poll(polled.data(), polled.size(), wait) <= 0) continue;
        for (std::size_t p = 0; p < polled.size(); ++p) {
            if (!(polled[p].revents & POLLIN)) continue;
            // Everything waiting on this socket, without blocking.
            for (;;) {
                sockaddr_in from{};
                socklen_t length = sizeof(from);
                const ssize_t n = recvfrom(polled[p].fd, buffer, sizeof(buffer), MSG_DONTWAIT,
                                           reinterpret_cast<sockaddr*>(&from), &length);
                if (n < 0) break;
                char ip[INET_ADDRSTRLEN];
                inet_ntop(AF_INET, &from.sin_addr, ip, sizeof(ip));
                std::size_t source = sourceOf[p];
                if (source == SIZE_MAX) {
                    source = 0;  // unicast or announcements: the adapter whose subnet holds it
                    for (std::size_t i = 0; i < m_options.sources.size(); ++i) {
                        const ScanSource& s = m_options.sources[i];
                        if (!s.mask.empty() && AdapterScan::InSubnet(ip, s.ip, s.mask)) {
                            source = i;
                            break;
                        }
                    }
                }
                Take(buffer, static_cast<std::size_t>(n), ip, source);
            }
        }
    }
    if (!anySent) *error = "no ONVIF probe could be sent from any adapter";
    return anySent;
}

void OnvifDiscovery::Take(const char* data, std::size_t size, const std::string& from,
                          std::size_t source) {
    std::vector<WsdMatch> matches;
    std::string why;
    const bool read = WsdMessage::Parse(data, size, &matches, &why);
    std::lock_guard<std::mutex> guard(m_lock);
    if (!read) {
        ++m_dropped[why];
        return;
    }
    for (const WsdMatch& match : matches) {
        const auto known = m_byEndpoint.find(match.endpoint);
        if (match.kind == WsdMatch::kBye) {
            if (known == m_byEndpoint.end()) continue;
            const std::size_t gone = known->second;
            m_cameras.erase(m_cameras.begin() + static_cast<std::ptrdiff_t>(gone));
            m_byEndpoint.erase(known);
            for (auto& [endpoint, index] : m_byEndpoint) {
                if (index > gone) --index;
            }
            continue;
        }
        // A Hello names no types at times; a ProbeMatch answered our probe's types.
        if (!match.types.empty() && !WsdMessage::Offers(match, m_options.types)) continue;
        if (known == m_byEndpoint.end() && m_cameras.size() >= kMaxCameras) {
            ++m_dropped["the list is full"];
            continue;
        }
        OnvifCamera camera;
        if (known != m_byEndpoint.end()) camera = m_cameras[known->second];
        camera.endpoint = match.endpoint;
        camera.ip = from;
        if (!match.xaddrs.empty()) camera.xaddrs = match.xaddrs;
        if (!match.types.empty()) camera.types = match.types;
        if (!match.scopes.empty()) camera.scopes = match.scopes;
        const XAddr first = camera.xaddrs.empty() ? XAddr{} : XAddr::Parse(camera.xaddrs[0]);
        camera.port = first.port;
        camera.xaddrIp = first.host != from ? first.host : "";
        const OnvifScopes scopes = OnvifScopes::Read(camera.scopes);
        camera.name = scopes.name;
        camera.hardware = scopes.hardware;
        camera.location = scopes.location;
        camera.mac = scopes.mac;
        if (known == m_byEndpoint.end()) {
            camera.source = source;
            const ScanSource* s = source < m_options.sources.size() ? &m_options.sources[source] : nullptr;
            camera.otherSubnet = s && !s->mask.empty() && !AdapterScan::InSubnet(from, s->ip, s->mask);
            m_byEndpoint[camera.endpoint] = m_cameras.size();
            m_cameras.push_back(camera);
        } else {
            m_cameras[known->second] = camera;
        }
    }
}

std::vector<OnvifCamera> OnvifDiscovery::Cameras() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cameras;
}

std::vector<ScanFailure> OnvifDiscovery::Failures() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_failures;
}

std::map<std::string, std::size_t> OnvifDiscovery::Dropped() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_dropped;
}

}  // namespace orvex
