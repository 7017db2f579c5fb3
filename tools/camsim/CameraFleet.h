#pragma once
#include <netinet/in.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "discovery/DiscoveryCodec.h"
#include "platform/Types.h"
#include "tools/camsim/CameraConfig.h"
#include "tools/camsim/CameraWeb.h"
#include "tools/camsim/SpoofFlood.h"

namespace camsim {

// A fleet of virtual cameras answering discovery on UDP port 8600: one search reply per
// camera for each search, a set reply for a set request addressed to one of them (by MAC).
// Run it only inside a private network namespace. All calls are thread-safe.
class CameraFleet {
public:
    struct SetRequestSeen {
        std::array<std::uint8_t, orvex::kSetRequestSize> datagram;
        std::int32_t result;  // the code the camera answered, 0 when no camera matched
    };
    // A camera taking an address (its first one included), at a clock tick.
    struct AddressTaken {
        platform::DWORD tick;
        std::size_t camera;
        std::string ip;
    };

    CameraFleet();
    ~CameraFleet();
    CameraFleet(const CameraFleet&) = delete;
    CameraFleet& operator=(const CameraFleet&) = delete;

    // Binds UDP 8600 on `bindAddress` (and to the network interface `device`, when given,
    // so that it hears only the searches that go out on that interface) and starts
    // answering; false with a message.
    bool Start(std::string* error, const std::string& bindAddress = "0.0.0.0", const std::string& device = "");
    void Stop();
    // Starts the web side of every camera (on its ip:port); false with a message.
    bool StartWeb(std::string* error);
    // The web side of a camera (after StartWeb).
    CameraWeb& Web(std::size_t index);

    std::size_t AddCamera(const CameraConfig& camera);
    std::size_t CameraCount();
    CameraConfig Camera(std::size_t index);
    // The camera's current payload (what it sends in a search reply).
    orvex::DeviceRecord Record(std::size_t index);

    void SetMuted(std::size_t index, bool muted);
    void SetName(std::size_t index, const std::string& name);
    void SetAddress(std::size_t index, const std::string& ip);
    // Each reply goes out after a random delay of 0..ms clock milliseconds.
    void SetReplySpread(unsigned ms);
    // Sends `rate` search replies a second (real time) from cameras that do not exist,
    // each with a random MAC and address, to whoever searched last; for `seconds`, or
    // until Stop when 0. A device on the network that answers with ever-new identities.
    void StartFlood(unsigned rate, unsigned seconds);
    std::size_t FloodSent() const { return m_flood.Sent(); }
    bool FloodRunning() const { return m_flood.Running(); }

    // Clock ticks at which search requests arrived, in order.
    std::vector<platform::DWORD> SearchTimes();
    std::vector<SetRequestSeen> SetRequests();
    // Every address every camera has held, in the order they took them: whether two
    // cameras ever shared one can be read off it.
    std::vector<AddressTaken> AddressHistory();
    std::size_t RepliesSent();

private:
    struct VirtualCamera {
        CameraConfig config;
        orvex::DeviceRecord record;
        bool muted = false;
    };
    struct PendingReply {
        sockaddr_in to;
        std::vector<std::uint8_t> datagram;
    };
    // New settings a camera takes once its restart after a set request is over.
    struct PendingSettings {
        std::size_t index;
        orvex::DeviceRecord record;
    };

    void Run();
    void HandleDatagram(const std::uint8_t* data, std::size_t size, const sockaddr_in& from);
    // Under m_lock: the camera's answer (0: none) and the block it echoes.
    // The result of a set request for the camera it names (0: none answers), the block its
    // reply echoes and how late that reply goes (clock ms).
    std::int32_t ApplySetRequest(const orvex::DeviceRecord& wanted, orvex::DeviceParams* echo,
                                 platform::DWORD* replyDelay);
    void TakeSettings(std::size_t index, const orvex::DeviceRecord& record);
    // Under m_lock: notes the camera's address when it differs from the one it had.
    void NoteAddress(std::size_t index);
    void SendDue();
    void OnWebChange(std::size_t index, const CameraConfig& now, bool up);
    int MillisecondsToNextReply();

    std::mutex m_lock;
    std::vector<VirtualCamera> m_cameras;
    std::multimap<platform::DWORD, PendingReply> m_pending;  // by due tick
    std::multimap<platform::DWORD, PendingSettings> m_restarts;  // by due tick
    unsigned m_spreadMs = 0;
    std::mt19937 m_random{12345};
    std::vector<platform::DWORD> m_searchTimes;
    std::vector<SetRequestSeen> m_setRequests;
    std::vector<AddressTaken> m_addresses;
    std::vector<std::string> m_heldIp;  // by camera: the address last noted
    std::size_t m_repliesSent = 0;

    sockaddr_in m_lastSearcher{};  // guarded by m_lock; sin_family 0 until a search came
    SpoofFlood m_flood;

    std::mutex m_webLock;  // guards m_webs (the web sides start after the responder)
    std::vector<std::unique_ptr<CameraWeb>> m_webs;
    // Cameras whose web side is to follow new settings (index), taken outside m_lock.
    std::vector<std::size_t> m_webMoves;  // guarded by m_lock
    void MoveWebSides();
    int m_fd = -1;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace camsim
