#include "tools/camsim/OnvifResponder.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "onvif/WsdMessage.h"
#include "onvif/XmlText.h"
#include "tools/camsim/OnvifService.h"

namespace camsim {
namespace {

using Steady = std::chrono::steady_clock;
namespace wsd = orvex::wsd;

// Where WS-Discovery's Hello and Bye go: the multicast group on its port.
sockaddr_in GroupAddress() {
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(wsd::kPort);
    inet_pton(AF_INET, wsd::kGroup, &group.sin_addr);
    return group;
}

// A scope value as a URI path segment: everything but letters, digits and -._~ as %XX.
std::string Encoded(const std::string& text) {
    std::string out;
    for (const unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            char hex[4];
            std::snprintf(hex, sizeof(hex), "%%%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Mac(const CameraConfig& c) {
    char text[18];
    std::snprintf(text, sizeof(text), "%02X:%02X:%02X:%02X:%02X:%02X", c.mac[0], c.mac[1], c.mac[2],
                  c.mac[3], c.mac[4], c.mac[5]);
    return text;
}

// The parts every message of a camera shares: its endpoint, types, scopes and XAddrs.
std::string Description(const CameraConfig& c) {
    const std::string host = c.onvif.xaddrHost.empty() ? c.ip : c.onvif.xaddrHost;
    return "<a:EndpointReference><a:Address>" + OnvifResponder::Endpoint(c) +
           "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter tds:Device</d:Types>"
           "<d:Scopes>onvif://www.onvif.org/type/video_encoder onvif://www.onvif.org/name/" +
           orvex::XmlText::Escaped(Encoded(c.name)) + " onvif://www.onvif.org/hardware/" + orvex::XmlText::Escaped(Encoded(c.onvif.hardware)) +
           " onvif://www.onvif.org/location/" + orvex::XmlText::Escaped(Encoded(c.onvif.location)) +
           " onvif://www.onvif.org/MacAddress/" + Mac(c) + "</d:Scopes><d:XAddrs>" + OnvifService::Url(host, c.port) +
           "</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion>";
}

std::string Envelope(const std::string& action, const std::string& messageId, const std::string& extraHeader,
                     const std::string& body) {
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope xmlns:s=\"") + wsd::kSoap12 +
           "\" xmlns:a=\"" + wsd::kAddressing + "\" xmlns:d=\"" + wsd::kDiscovery + "\" xmlns:dn=\"" +
           wsd::kNetwork + "\" xmlns:tds=\"" + wsd::kDevice + "\"><s:Header><a:MessageID>" + messageId +
           "</a:MessageID>" + extraHeader + "<a:Action>" + wsd::kDiscovery + "/" + action + "</a:Action>" +
           "</s:Header><s:Body>" + body + "</s:Body></s:Envelope>";
}

}  // namespace

OnvifResponder::~OnvifResponder() {
    Stop();
}

std::string OnvifResponder::Endpoint(const CameraConfig& c) {
    char text[64];
    std::snprintf(text, sizeof(text), "urn:uuid:0a4f5200-0000-4000-8000-%02x%02x%02x%02x%02x%02x", c.mac[0],
                  c.mac[1], c.mac[2], c.mac[3], c.mac[4], c.mac[5]);
    return text;
}

std::string OnvifResponder::ProbeMatches(const CameraConfig& camera, const std::string& relatesTo,
                                         const std::string& messageId) {
    return Envelope("ProbeMatches", messageId,
                    "<a:RelatesTo>" + orvex::XmlText::Escaped(relatesTo) + "</a:RelatesTo><a:To>" + wsd::kAnonymous + "</a:To>",
                    "<d:ProbeMatches><d:ProbeMatch>" + Description(camera) + "</d:ProbeMatch></d:ProbeMatches>");
}

std::string OnvifResponder::Announcement(const CameraConfig& camera, bool hello) {
    const std::string body = hello ? "<d:Hello>" + Description(camera) + "</d:Hello>"
                                   : "<d:Bye><a:EndpointReference><a:Address>" + Endpoint(camera) +
                                         "</a:Address></a:EndpointReference></d:Bye>";
    return Envelope(hello ? "Hello" : "Bye", orvex::WsdMessage::NewMessageId(),
                    std::string("<a:To>") + wsd::kTo + "</a:To>", body);
}

bool OnvifResponder::Start(const std::vector<CameraConfig>& cameras, const std::string& interfaceIp,
                           std::string* error, Current current, const std::string& device) {
    for (std::size_t i = 0; i < cameras.size(); ++i) {
        if (!cameras[i].onvif.enabled) continue;
        m_cameras.push_back(cameras[i]);
        m_indices.push_back(i);
    }
    m_current = std::move(current);
    if (m_cameras.empty()) return true;
    m_interface = interfaceIp;
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int on = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    setsockopt(m_fd, SOL_SOCKET, SO_REUSEPORT, &on, sizeof(on));
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_port = htons(wsd::kPort);
    ip_mreq join{};
    inet_pton(AF_INET, wsd::kGroup, &join.imr_multiaddr);
    inet_pton(AF_INET, interfaceIp.c_str(), &join.imr_interface);
    in_addr out{};
    inet_pton(AF_INET, interfaceIp.c_str(), &out);
    // Joined on the cameras' interface, or on the default one when that is not local.
    const auto joined = [&] {
        if (setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join)) == 0) return true;
        join.imr_interface.s_addr = htonl(INADDR_ANY);
        out.s_addr = htonl(INADDR_ANY);
        return setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof(join)) == 0;
    };
    const auto onDevice = [&] {
        return device.empty() || setsockopt(m_fd, SOL_SOCKET, SO_BINDTODEVICE, device.c_str(),
                                            static_cast<socklen_t>(device.size())) == 0;
    };
    if (m_fd < 0 || !onDevice() || bind(m_fd, reinterpret_cast<sockaddr*>(&any), sizeof(any)) != 0 || !joined() ||
        (out.s_addr != htonl(INADDR_ANY) &&
         setsockopt(m_fd, IPPROTO_IP, IP_MULTICAST_IF, &out, sizeof(out)) != 0)) {
        *error = std::string("ONVIF discovery on UDP 3702: ") + std::strerror(errno);
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
        return false;
    }
    const sockaddr_in group = GroupAddress();
    for (const CameraConfig& c : m_cameras) SendFrom(c.ip, group, Announcement(c, true));
    m_thread = std::thread([this] { Run(); });
    return true;
}

void OnvifResponder::Stop() {
    if (m_fd < 0) return;
    m_stop = true;
    if (m_thread.joinable()) m_thread.join();
    const sockaddr_in group = GroupAddress();
    for (const CameraConfig& c : m_cameras) SendFrom(c.ip, group, Announcement(c, false));
    close(m_fd);
    m_fd = -1;
}

void OnvifResponder::SendFrom(const std::string& fromIp, const sockaddr_in& to, const std::string& text) {
    // The source address is the camera's own, chosen per datagram.
    char control[CMSG_SPACE(sizeof(in_pktinfo))] = {};
    iovec part{const_cast<char*>(text.data()), text.size()};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_in*>(&to);
    message.msg_namelen = sizeof(to);
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof(control);
    cmsghdr* header = CMSG_FIRSTHDR(&message);
    header->cmsg_level = IPPROTO_IP;
    header->cmsg_type = IP_PKTINFO;
    header->cmsg_len = CMSG_LEN(sizeof(in_pktinfo));
    in_pktinfo info{};
    inet_pton(AF_INET, fromIp.c_str(), &info.ipi_spec_dst);
    std::memcpy(CMSG_DATA(header), &info, sizeof(info));
    sendmsg(m_fd, &message, MSG_NOSIGNAL);
}

void OnvifResponder::FollowMoves() {
    const auto now = Steady::now();
    if (!m_current || now < m_nextFollow) return;
    m_nextFollow = now + std::chrono::milliseconds(250);
    const sockaddr_in group = GroupAddress();
    for (std::size_t i = 0; i < m_cameras.size(); ++i) {
        const CameraConfig now = m_current(m_indices[i]);
        if (now.ip == m_cameras[i].ip && now.port == m_cameras[i].port) continue;
        m_cameras[i].ip = now.ip;
        m_cameras[i].port = now.port;
        SendFrom(now.ip, group, Announcement(m_cameras[i], true));
    }
}

void OnvifResponder::Run() {
    char buffer[orvex::WsdMessage::kMaxBytes + 1];
    const std::vector<orvex::WsdType> offered = orvex::WsdMessage::CameraTypes();
    while (!m_stop) {
        FollowMoves();
        const auto now = Steady::now();
        while (!m_due.empty() && m_due.begin()->first <= now) {
            const Due due = m_due.begin()->second;
            m_due.erase(m_due.begin());
            const CameraConfig& c = m_cameras[due.camera];
            SendFrom(c.ip, due.to,
                     ProbeMatches(c, due.relatesTo,
                                  c.onvif.reuseMessageId ? due.relatesTo : orvex::WsdMessage::NewMessageId()));
        }
        int wait = 50;
        if (!m_due.empty()) {
            wait = static_cast<int>(std::clamp<long long>(
                std::chrono::duration_cast<std::chrono::milliseconds>(m_due.begin()->first - now).count(), 0, 50));
        }
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, wait) <= 0) continue;
        sockaddr_in from{};
        socklen_t length = sizeof(from);
        const ssize_t n = recvfrom(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &length);
        if (n <= 0) continue;
        std::string messageId, why;
        std::vector<orvex::WsdType> types;
        if (!orvex::WsdMessage::ParseProbe(buffer, static_cast<std::size_t>(n), &messageId, &types, &why)) continue;
        ++m_probes;
        bool wanted = types.empty();
        for (const auto& t : types) {
            for (const auto& o : offered) wanted = wanted || t == o;
        }
        if (!wanted) continue;
        for (std::size_t i = 0; i < m_cameras.size(); ++i) {
            const unsigned most = m_cameras[i].onvif.maxDelayMs;
            const auto delay = std::chrono::milliseconds(most ? m_random() % (most + 1) : 0);
            m_due.emplace(Steady::now() + delay, Due{i, from, messageId});
        }
    }
}

}  // namespace camsim
