#pragma once
#include <netinet/in.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "discovery/DeviceRecord.h"
#include "platform/Thread.h"
#include "platform/UdpSocket.h"
#include "platform/WakeSignal.h"

namespace orvex {

// Event 4 with a DeviceRecord*, or a set reply's result code with the 320-byte block at
// the start of a DeviceRecord-sized buffer. The data is valid only during the call.
using DiscoveryCallback = void (*)(int nEvent, void* pData, void* pContext);

constexpr int kEventDeviceFound = 4;

// Owns the discovery socket and the listener thread that receives on it.
// Thread safety: the owner's thread binds, starts and stops; the scheduler thread sends
// (and may drop and re-create the socket); the listener only receives. Flags are atomic,
// the socket is shared so that a closed descriptor is never used or closed twice.
class CLanprobe {
public:
    CLanprobe() = default;
    virtual ~CLanprobe();
    CLanprobe(const CLanprobe&) = delete;
    CLanprobe& operator=(const CLanprobe&) = delete;

    void SetBindIPAddr(const std::wstring& ip);
    // Creates, configures and binds the socket (port 8601, else a system-chosen port).
    bool InitSocket();
    void UninitSocket();
    // 0 sent, 1 the socket could not be created or bound, 2 sending failed.
    int SendSearch();
    // Broadcasts one set request; does not create a socket. Any thread.
    bool SendSetParams(const DeviceParams& params);

    // Sets callback and context, clears stop and starts the listener; false when the
    // thread cannot be started.
    bool OpenListenThread(DiscoveryCallback callback, void* context);
    // Stops and joins the listener, then releases the socket.
    void CloseListenThread();
    // Clears callback and context; once it returns no callback runs any more.
    void ClearCallback();
    void ClearSearchOk() { m_bSearchOk = 0; }

    bool IsReady() const { return m_bReady != 0; }
    bool IsListening() const { return m_listener != nullptr; }
    // Local port of the current socket, 0 when there is none.
    std::uint16_t LocalPort();
    // The system's error number of the last failed socket creation, bind or send (0 when
    // none failed yet); any thread.
    int LastError() const { return m_nLastError; }

private:
    static platform::DWORD ListenProc(CLanprobe* probe);
    // Takes and dispatches every datagram already waiting on the socket.
    void ReceiveWaiting(platform::UdpSocket& socket);
    void DispatchDatagram(const std::uint8_t* data, std::size_t size);
    void Dispatch(int event, void* data);
    bool SendDatagram(const std::uint8_t* data, std::size_t size);
    std::shared_ptr<platform::UdpSocket> CurrentSocket();
    void DropSocket();

    std::mutex m_socketLock;
    std::shared_ptr<platform::UdpSocket> m_socket;
    std::atomic<int> m_bReady{0};
    std::atomic<int> m_bStop{0};
    std::atomic<int> m_bSearchOk{0};
    std::atomic<int> m_nLastError{0};
    std::unique_ptr<platform::Thread> m_listener;
    // Wakes the listener from its pause while there is no socket, once one is ready.
    platform::WakeSignal m_wake;

    std::mutex m_callbackLock;
    DiscoveryCallback m_pfnCallback = nullptr;
    void* m_pContext = nullptr;

    std::mutex m_bindLock;
    std::wstring m_strBindIp;
};

}  // namespace orvex
