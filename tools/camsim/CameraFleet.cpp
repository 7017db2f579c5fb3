#include "tools/camsim/EventLog.h"
#include "tools/camsim/CameraFleet.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/Clock.h"
#include "platform/TextUtil.h"
#include "platform/UdpSocket.h"

namespace camsim {

using platform::Clock;
using platform::DWORD;

CameraFleet::CameraFleet() = default;

CameraFleet::~CameraFleet() { Stop(); }

bool CameraFleet::Start(std::string* error, const std::string& bindAddress, const std::string& device) {
    in_addr_t address = 0;
    if (!platform::ParseIpv4(bindAddress, &address)) {
        *error = "not an IPv4 address: " + bindAddress;
        return false;
    }
    m_fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_fd < 0) {
        *error = std::string("socket: ") + std::strerror(errno);
        return false;
    }
    int on = 1;
    setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on));
    setsockopt(m_fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof(on));
    if (!device.empty() &&
        setsockopt(m_fd, SOL_SOCKET, SO_BINDTODEVICE, device.c_str(), static_cast<socklen_t>(device.size())) != 0) {
        *error = "bind to device " + device + ": " + std::strerror(errno);
        close(m_fd);
        m_fd = -1;
        return false;
    }
    int buffer = 4 * 1024 * 1024;
    setsockopt(m_fd, SOL_SOCKET, SO_SNDBUF, &buffer, sizeof(buffer));
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = address;
    local.sin_port = htons(orvex::kCameraPort);
    if (bind(m_fd, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) {
        *error = std::string("bind to UDP port 8600: ") + std::strerror(errno);
        close(m_fd);
        m_fd = -1;
        return false;
    }
    m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

bool CameraFleet::StartWeb(std::string* error) {
    const std::size_t count = CameraCount();
    std::lock_guard<std::mutex> guard(m_webLock);
    for (std::size_t i = m_webs.size(); i < count; ++i) {
        m_webs.push_back(std::make_unique<CameraWeb>(
            Camera(i), [this, i](const CameraConfig& now, bool up) { OnWebChange(i, now, up); }));
        if (!m_webs.back()->Start(error)) return false;
    }
    return true;
}

CameraWeb& CameraFleet::Web(std::size_t index) {
    std::lock_guard<std::mutex> guard(m_webLock);
    return *m_webs.at(index);
}

void CameraFleet::MoveWebSides() {
    std::vector<std::size_t> moves;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        moves.swap(m_webMoves);
    }
    for (std::size_t index : moves) {
        const CameraConfig now = Camera(index);
        std::lock_guard<std::mutex> guard(m_webLock);
        if (index < m_webs.size()) m_webs[index]->MoveTo(now);
    }
}

void CameraFleet::OnWebChange(std::size_t index, const CameraConfig& now, bool up) {
    std::lock_guard<std::mutex> guard(m_lock);
    VirtualCamera& c = m_cameras.at(index);
    c.muted = !up;  // a restarting camera does not answer searches either
    if (!up) return;
    c.config.ip = now.ip;
    c.config.port = now.port;
    c.config.version = now.version;
    // Settings its device service took (a set request's reach the web side as well).
    c.config.mask = now.mask;
    c.config.gateway = now.gateway;
    c.config.dns1 = now.dns1;
    c.config.dns2 = now.dns2;
    c.config.netMode = now.netMode;
    c.record.byNetMode = now.netMode;
    platform::PutFieldString(c.record.szSubMask, now.mask);
    platform::PutFieldString(c.record.szGateway, now.gateway);
    platform::PutFieldString(c.record.szPrimaryDns, now.dns1);
    platform::PutFieldString(c.record.szSecondaryDns, now.dns2);
    NoteAddress(index);
    platform::PutFieldString(c.record.szIp, now.ip);
    platform::PutFieldString(c.record.szVersion, now.version);
    c.record.wPort = now.port;
}

void CameraFleet::Stop() {
    {
        std::lock_guard<std::mutex> guard(m_webLock);
        for (auto& web : m_webs) web->Stop();
    }
    if (!m_thread.joinable()) return;
    m_stop = true;
    m_flood.Stop();
    const std::uint64_t one = 1;
    if (write(m_wakeFd, &one, sizeof(one)) < 0) {
        // the responder still notices the stop flag within its poll interval
    }
    m_thread.join();
    close(m_fd);
    close(m_wakeFd);
    m_fd = m_wakeFd = -1;
}

std::size_t CameraFleet::AddCamera(const CameraConfig& camera) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_cameras.push_back(VirtualCamera{camera, camera.ToRecord(), false});
    m_heldIp.emplace_back();
    NoteAddress(m_cameras.size() - 1);
    return m_cameras.size() - 1;
}

std::size_t CameraFleet::CameraCount() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cameras.size();
}

CameraConfig CameraFleet::Camera(std::size_t index) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cameras.at(index).config;
}

orvex::DeviceRecord CameraFleet::Record(std::size_t index) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_cameras.at(index).record;
}

void CameraFleet::SetMuted(std::size_t index, bool muted) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_cameras.at(index).muted = muted;
}

void CameraFleet::SetName(std::size_t index, const std::string& name) {
    std::lock_guard<std::mutex> guard(m_lock);
    VirtualCamera& c = m_cameras.at(index);
    c.config.name = name;
    platform::PutFieldString(c.record.szName, name);
}

void CameraFleet::SetAddress(std::size_t index, const std::string& ip) {
    std::lock_guard<std::mutex> guard(m_lock);
    VirtualCamera& c = m_cameras.at(index);
    c.config.ip = ip;
    platform::PutFieldString(c.record.szIp, ip);
    NoteAddress(index);
}

void CameraFleet::NoteAddress(std::size_t index) {
    const std::string& ip = m_cameras.at(index).config.ip;
    if (m_heldIp.at(index) == ip) return;
    m_heldIp[index] = ip;
    m_addresses.push_back({Clock::TickCount(), index, ip});
}

std::vector<CameraFleet::AddressTaken> CameraFleet::AddressHistory() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_addresses;
}

void CameraFleet::SetReplySpread(unsigned ms) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_spreadMs = ms;
}

std::vector<DWORD> CameraFleet::SearchTimes() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_searchTimes;
}

std::vector<CameraFleet::SetRequestSeen> CameraFleet::SetRequests() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_setRequests;
}

std::size_t CameraFleet::RepliesSent() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_repliesSent;
}

void CameraFleet::Run() {
    std::uint8_t buffer[2048];
    while (!m_stop) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
        poll(fds, 2, MillisecondsToNextReply());
        if (fds[0].revents & POLLIN) {
            sockaddr_in from{};
            socklen_t len = sizeof(from);
            const ssize_t got = recvfrom(m_fd, buffer, sizeof(buffer), MSG_DONTWAIT,
                                         reinterpret_cast<sockaddr*>(&from), &len);
            if (got >= 0) HandleDatagram(buffer, static_cast<std::size_t>(got), from);
        }
        SendDue();
        MoveWebSides();
    }
}

int CameraFleet::MillisecondsToNextReply() {
    std::lock_guard<std::mutex> guard(m_lock);
    const DWORD now = Clock::TickCount();
    // Clock ms until the first entry of a queue is due; the queues are ordered by due tick.
    const auto untilFirst = [now](const auto& queue) {
        return queue.empty() ? INT32_MAX : static_cast<std::int32_t>(queue.begin()->first - now);
    };
    const std::int32_t left = std::min(untilFirst(m_pending), untilFirst(m_restarts));
    if (left == INT32_MAX) return 100;
    if (left <= 0) return 0;
    const auto real = std::chrono::duration_cast<std::chrono::milliseconds>(
        Clock::RealDuration(static_cast<DWORD>(left)));
    return static_cast<int>(std::min<long long>(real.count(), 100));
}

void CameraFleet::HandleDatagram(const std::uint8_t* data, std::size_t size,
                                 const sockaddr_in& from) {
    if (size < 4 || data[0] != 0x44 || data[1] != 0x48) return;
    const auto command = static_cast<std::uint16_t>(data[2] | data[3] << 8);
    const DWORD now = Clock::TickCount();
    if (command == orvex::kCmdSearch) {
        std::lock_guard<std::mutex> guard(m_lock);
        m_searchTimes.push_back(now);
        m_lastSearcher = from;
        for (const VirtualCamera& camera : m_cameras) {
            if (camera.muted || !camera.config.native) continue;
            const auto reply = orvex::BuildSearchReply(camera.record);
            const DWORD delay = m_spreadMs ? m_random() % (m_spreadMs + 1) : 0;
            m_pending.emplace(now + delay,
                              PendingReply{from, std::vector<std::uint8_t>(reply.begin(), reply.end())});
        }
    } else if (command == orvex::kCmdSet && size >= orvex::kSetRequestSize) {
        orvex::DeviceRecord request;
        std::memcpy(orvex::PayloadBytes(request), data + 4, orvex::kParamsSize);
        orvex::DeviceParams echo = orvex::ParamsOf(request);
        EventLog::Write("set " + orvex::MacText(request));
        std::lock_guard<std::mutex> guard(m_lock);
        DWORD replyDelay = 0;
        const std::int32_t result = ApplySetRequest(request, &echo, &replyDelay);
        SetRequestSeen seen{};
        std::memcpy(seen.datagram.data(), data, orvex::kSetRequestSize);
        seen.result = result;
        m_setRequests.push_back(seen);
        if (result != 0) {
            const auto reply = orvex::BuildSetReply(echo, result);
            m_pending.emplace(now + replyDelay,
                              PendingReply{from, std::vector<std::uint8_t>(reply.begin(), reply.end())});
        }
    }
}

std::int32_t CameraFleet::ApplySetRequest(const orvex::DeviceRecord& wanted,
                                          orvex::DeviceParams* echo, DWORD* replyDelay) {
    for (std::size_t index = 0; index < m_cameras.size(); ++index) {
        VirtualCamera& camera = m_cameras[index];
        if (std::memcmp(camera.record.abyMac, wanted.abyMac, 6) != 0) continue;
        const SetFaults& faults = camera.config.setFaults;
        if (camera.muted || faults.neverAnswers) return 0;
        *replyDelay = faults.replyDelayMs;
        if (faults.rejectLogin || platform::FieldString(wanted.szUser) != camera.config.user ||
            platform::FieldString(wanted.szPassword) != camera.config.password) {
            return orvex::kSetBadLogin;
        }
        if (!camera.config.mayChangeSettings) return orvex::kSetNoRights;
        orvex::DeviceRecord taken = camera.record;
        std::memcpy(taken.szIp, wanted.szIp, sizeof(taken.szIp));
        std::memcpy(taken.szSubMask, wanted.szSubMask, sizeof(taken.szSubMask));
        std::memcpy(taken.szGateway, wanted.szGateway, sizeof(taken.szGateway));
        std::memcpy(taken.szPrimaryDns, wanted.szPrimaryDns, sizeof(taken.szPrimaryDns));
        std::memcpy(taken.szSecondaryDns, wanted.szSecondaryDns, sizeof(taken.szSecondaryDns));
        std::memcpy(taken.szName, wanted.szName, sizeof(taken.szName));
        taken.wPort = wanted.wPort;
        taken.byNetMode = wanted.byNetMode;
        *echo = orvex::ParamsOf(taken);
        if (faults.keepSettings) return orvex::kSetSuccess;  // says yes, changes nothing
        if (faults.restartMs > 0) {
            // Silent while it restarts its network, then answers with the new settings.
            camera.muted = true;
            m_restarts.emplace(Clock::TickCount() + faults.restartMs, PendingSettings{index, taken});
        } else {
            TakeSettings(index, taken);
            m_webMoves.push_back(index);
        }
        return orvex::kSetSuccess;
    }
    return 0;
}

void CameraFleet::TakeSettings(std::size_t index, const orvex::DeviceRecord& r) {
    VirtualCamera& camera = m_cameras.at(index);
    camera.record = r;
    camera.muted = false;
    camera.config.ip = platform::FieldString(r.szIp);
    camera.config.mask = platform::FieldString(r.szSubMask);
    camera.config.gateway = platform::FieldString(r.szGateway);
    camera.config.dns1 = platform::FieldString(r.szPrimaryDns);
    camera.config.dns2 = platform::FieldString(r.szSecondaryDns);
    camera.config.name = platform::FieldString(r.szName);
    camera.config.port = r.wPort;
    camera.config.netMode = r.byNetMode;
    NoteAddress(index);
}

void CameraFleet::SendDue() {
    std::vector<PendingReply> due;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const DWORD now = Clock::TickCount();
        while (!m_restarts.empty() &&
               static_cast<std::int32_t>(m_restarts.begin()->first - now) <= 0) {
            const PendingSettings& back = m_restarts.begin()->second;
            TakeSettings(back.index, back.record);
            m_webMoves.push_back(back.index);
            m_restarts.erase(m_restarts.begin());
        }
        while (!m_pending.empty() &&
               static_cast<std::int32_t>(m_pending.begin()->first - now) <= 0) {
            due.push_back(std::move(m_pending.begin()->second));
            m_pending.erase(m_pending.begin());
        }
        m_repliesSent += due.size();
    }
    for (const PendingReply& reply : due) {
        sendto(m_fd, reply.datagram.data(), reply.datagram.size(), MSG_NOSIGNAL,
               reinterpret_cast<const sockaddr*>(&reply.to), sizeof(reply.to));
    }
}

}  // namespace camsim

namespace camsim {

void CameraFleet::StartFlood(unsigned rate, unsigned seconds) {
    m_flood.Start(
        m_fd,
        [this](sockaddr_in* to) {
            std::lock_guard<std::mutex> guard(m_lock);
            *to = m_lastSearcher;
            return to->sin_family == AF_INET;
        },
        rate, seconds);
}

}  // namespace camsim
