#include "discovery/Lanprobe.h"

#include <arpa/inet.h>

#include <cerrno>
#include <cstring>

#include "cgi/TraceMsg.h"
#include "discovery/DiscoveryCodec.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"

namespace orvex {

using platform::Clock;

namespace {
// The listener's wait for a datagram. A dropped socket ends it at once (it is shut down)
// and it is shorter than the pause CloseListenThread gives the thread to see its stop flag.
constexpr std::chrono::milliseconds kListenWait{100};
// 102400 bytes hold about 160 replies on Linux, fewer than a burst from a few hundred
// cameras; the kernel grants an unprivileged process at most net.core.rmem_max of this.
constexpr int kSocketReceiveBuffer = 1 << 20;
// Datagrams taken off the socket per call.
constexpr int kBatch = 32;
}  // namespace

CLanprobe::~CLanprobe() {
    if (m_listener) CloseListenThread();
}

void CLanprobe::SetBindIPAddr(const std::wstring& ip) {
    {
        std::lock_guard<std::mutex> guard(m_bindLock);
        m_strBindIp = ip;
    }
    TraceMsg("\n SetBindIPAddr ip=%s", platform::CodePage::WideToOem(ip).c_str());
}

std::shared_ptr<platform::UdpSocket> CLanprobe::CurrentSocket() {
    std::lock_guard<std::mutex> guard(m_socketLock);
    return m_socket;
}

void CLanprobe::DropSocket() {
    std::shared_ptr<platform::UdpSocket> old;
    {
        std::lock_guard<std::mutex> guard(m_socketLock);
        old.swap(m_socket);
    }
    // Wakes a listener that still waits on it; the descriptor closes with its last user.
    if (old) old->Shutdown();
}

std::uint16_t CLanprobe::LocalPort() {
    auto socket = CurrentSocket();
    return socket ? socket->LocalPort() : 0;
}

bool CLanprobe::InitSocket() {
    DropSocket();
    auto socket = platform::UdpSocket::Create();
    if (!socket) {
        m_nLastError = errno;
        return false;
    }
    socket->SetBroadcast(true);
    socket->SetReceiveBuffer(kSocketReceiveBuffer);
    socket->SetSendTimeout(2000);
    socket->SetReceiveTimeout(1000);

    std::wstring bindIp;
    {
        std::lock_guard<std::mutex> guard(m_bindLock);
        bindIp = m_strBindIp;
    }
    const std::string ip = platform::CodePage::WideToOem(bindIp, 63);
    TraceMsg("\n inet_addr ip=%s, nRandPort=%d", ip.c_str(), kLocalPort);
    // Text that is no dotted address binds nowhere (Linux would accept the broadcast
    // address that a failed parse stands for).
    in_addr_t address = INADDR_NONE;
    if (!platform::ParseIpv4(ip, &address)) {
        m_nLastError = EINVAL;
        return false;
    }
    if (!socket->Bind(address, kLocalPort) && !socket->Bind(address, 0)) {
        m_nLastError = errno;
        return false;
    }

    {
        std::lock_guard<std::mutex> guard(m_socketLock);
        m_socket = std::move(socket);
    }
    m_bReady = 1;
    m_wake.Signal();
    TraceMsg("\n initsocket");
    return true;
}

void CLanprobe::UninitSocket() {
    m_bReady = 0;
    DropSocket();
    TraceMsg("\n uninitsocket");
}

bool CLanprobe::SendDatagram(const std::uint8_t* data, std::size_t size) {
    auto socket = CurrentSocket();
    if (!socket) return false;
    // Every request is a broadcast to the cameras' port; any thread may send one.
    sockaddr_in destination{};
    destination.sin_family = AF_INET;
    destination.sin_addr.s_addr = INADDR_BROADCAST;
    destination.sin_port = htons(kCameraPort);
    std::size_t sent = 0;
    while (sent < size) {
        const long n = socket->SendTo(data + sent, size - sent, destination);
        if (n <= 0) {
            m_nLastError = n < 0 ? errno : EIO;
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

int CLanprobe::SendSearch() {
    const auto request = BuildSearchRequest();
    if (m_bSearchOk == 0) {
        if (!InitSocket()) {
            m_bSearchOk = 0;
            UninitSocket();
            return 1;
        }
        if (!SendDatagram(request.data(), request.size())) {
            m_bSearchOk = 0;
            UninitSocket();
            return 2;
        }
    } else if (!SendDatagram(request.data(), request.size())) {
        m_bSearchOk = 0;
        UninitSocket();
        return 2;
    }
    m_bSearchOk = 1;
    return 0;
}

bool CLanprobe::SendSetParams(const DeviceParams& params) {
    const auto request = BuildSetRequest(params);
    return SendDatagram(request.data(), request.size());
}

bool CLanprobe::OpenListenThread(DiscoveryCallback callback, void* context) {
    if (m_listener) return false;
    {
        std::lock_guard<std::mutex> guard(m_callbackLock);
        m_pfnCallback = callback;
        m_pContext = context;
    }
    m_bStop = 0;
    auto listener = std::make_unique<platform::Thread>();
    if (!listener->Start([this] { return ListenProc(this); })) return false;
    m_listener = std::move(listener);
    return true;
}

void CLanprobe::CloseListenThread() {
    if (m_listener) {
        m_bStop = 1;
        Clock::Sleep(200);
        m_listener->Join();
        m_listener.reset();
    }
    TraceMsg("\n CloseListenThread");
    UninitSocket();
    ClearCallback();
    m_bSearchOk = 0;
    m_bStop = 0;
}

void CLanprobe::ClearCallback() {
    std::lock_guard<std::mutex> guard(m_callbackLock);
    m_pfnCallback = nullptr;
    m_pContext = nullptr;
}

platform::DWORD CLanprobe::ListenProc(CLanprobe* probe) {
    while (probe->m_bStop == 0) {
        if (probe->m_bReady == 0) {
            probe->m_wake.Wait(Clock::RealDuration(20));  // a new socket ends the pause
            probe->m_wake.Drain();
            continue;
        }
        auto socket = probe->CurrentSocket();
        if (!socket) continue;
        const int ready = socket->WaitReadable(kListenWait);
        if (ready < 0) {
            TraceMsg("\n select error");
            continue;
        }
        // Take every datagram that is already waiting before waiting again (an empty one
        // too, or it would block all others).
        if (ready > 0) probe->ReceiveWaiting(*socket);
    }
    TraceMsg("\n break listen thread");
    TraceMsg("\n exit listen thread");
    return 0;
}

void CLanprobe::ReceiveWaiting(platform::UdpSocket& socket) {
    static thread_local std::uint8_t buffers[kBatch][kReceiveBufferSize];
    platform::UdpSocket::Datagram datagrams[kBatch];
    for (int i = 0; i < kBatch; ++i) datagrams[i] = {buffers[i], kReceiveBufferSize, 0};
    while (m_bStop == 0) {
        const int got = socket.ReceiveWaiting(datagrams, kBatch);
        if (got < 0) TraceMsg("\n recvfrom nRet=%d", got);
        if (got <= 0) return;
        for (int i = 0; i < got; ++i) DispatchDatagram(buffers[i], datagrams[i].size);
        if (got < kBatch) return;
    }
}

void CLanprobe::DispatchDatagram(const std::uint8_t* data, std::size_t size) {
    DecodedReply reply = DecodeReply(data, size);
    switch (reply.kind) {
        case DecodedReply::kDropped:
            TraceMsg("\n error 2");
            break;
        case DecodedReply::kDeviceFound:
            Dispatch(kEventDeviceFound, &reply.record);
            break;
        case DecodedReply::kSetReply:
            Dispatch(reply.result, &reply.record);
            break;
        case DecodedReply::kIgnored:
            break;
    }
}

void CLanprobe::Dispatch(int event, void* data) {
    std::lock_guard<std::mutex> guard(m_callbackLock);
    if (m_pfnCallback) m_pfnCallback(event, data, m_pContext);
}

}  // namespace orvex
