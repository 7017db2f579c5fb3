#include "fleet/OnvifSetCameras.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fleet/BatchRunner.h"
#include "fleet/SetPlanner.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

std::uint32_t Address(const std::string& text) {
    in_addr a{};
    return inet_pton(AF_INET, text.c_str(), &a) == 1 ? ntohl(a.s_addr) : 0;
}

}  // namespace

std::vector<OnvifSetCamera> OnvifSetCameras::Read(const std::vector<OnvifTarget>& targets, const OnvifLogin& login,
                                                  int parallel, const std::atomic<int>* stop) {
    std::vector<OnvifSetCamera> cameras(targets.size());
    BatchRunner::Run(targets.size(), parallel, stop, [&](std::size_t i) {
        OnvifSetCamera& c = cameras[i];
        c.target = targets[i];
        XAddr service;
        service.host = c.target.host;
        service.port = c.target.port;
        service.path = c.target.path;
        service.valid = true;
        OnvifDevice device(service, login);
        c.read = device.ReadClock(&c.clockOffset, &c.why) && device.ReadNetwork(&c.network, &c.why);
        if (c.read && SetPlanner::NormalMac(c.network.mac).empty()) {
            c.read = false;
            c.why = "the device reports no MAC address ('" + c.network.mac + "')";
        }
    });
    return cameras;
}

NetSettings OnvifSetCameras::SettingsOf(const OnvifNetwork& n, int port) {
    NetSettings s;
    s.ip = n.ip;
    s.mask = n.mask;
    s.gateway = n.gateway;
    s.dns1 = n.dns1;
    s.dns2 = n.dns2;
    s.port = port;
    s.netMode = n.dhcp ? 1 : 0;
    return s;
}

ScannedCamera OnvifSetCameras::Scanned(const OnvifSetCamera& c, const std::vector<ScanSource>& sources) {
    ScannedCamera scanned;
    DeviceRecord& r = scanned.record;
    platform::PutFieldString(r.szIp, c.network.ip);
    platform::PutFieldString(r.szSubMask, c.network.mask);
    platform::PutFieldString(r.szGateway, c.network.gateway);
    platform::PutFieldString(r.szPrimaryDns, c.network.dns1);
    platform::PutFieldString(r.szSecondaryDns, c.network.dns2);
    ParseMacText(SetPlanner::NormalMac(c.network.mac), r.abyMac);
    r.wPort = static_cast<std::uint16_t>(c.target.port);
    r.byNetMode = c.network.dhcp ? 1 : 0;
    r.nMode = 1;  // a reply filled it
    const std::uint32_t ip = Address(c.network.ip);
    scanned.otherSubnet = true;
    for (std::size_t s = 0; s < sources.size(); ++s) {
        const std::uint32_t mask = Address(sources[s].mask);
        if ((Address(sources[s].ip) & mask) == (ip & mask)) {
            scanned.source = s;
            scanned.otherSubnet = false;
            break;
        }
    }
    return scanned;
}

bool OnvifSetCameras::Answers(const std::string& ip, int port, double seconds) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return false;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<std::uint16_t>(port));
    peer.sin_addr.s_addr = htonl(Address(ip));
    bool connected = connect(fd, reinterpret_cast<sockaddr*>(&peer), sizeof(peer)) == 0;
    if (!connected && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        int error = 0;
        socklen_t length = sizeof(error);
        connected = poll(&p, 1, static_cast<int>(seconds * 1000)) == 1 &&
                    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
    }
    close(fd);
    return connected;
}

}  // namespace orvex
