#pragma once
#include <netinet/in.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "tools/camsim/CameraConfig.h"

namespace camsim {

// The WS-Discovery side of the virtual cameras that speak ONVIF: a Hello from each when it
// starts and a Bye when it stops, and a ProbeMatches for every Probe that asks for a
// camera (or for anything), sent from the camera's own address to the prober after a
// random wait up to the camera's maxDelayMs. Faults: a camera that reuses the probe's
// MessageID, one whose XAddrs name another host. Run it only in a private network
// namespace. Thread-safe.
class OnvifResponder {
public:
    OnvifResponder() = default;
    ~OnvifResponder();
    OnvifResponder(const OnvifResponder&) = delete;
    OnvifResponder& operator=(const OnvifResponder&) = delete;

    // A camera as it is now, by its index in the list given to Start.
    using Current = std::function<CameraConfig(std::size_t index)>;

    // Listens on UDP 3702 (the group joined on `interfaceIp`) for the cameras given;
    // false with a message. With `current`, a camera that has moved (a new address or
    // port) says Hello from where it is now and answers probes from there. With `device`,
    // only probes that come in on that network interface are heard.
    bool Start(const std::vector<CameraConfig>& cameras, const std::string& interfaceIp,
               std::string* error, Current current = {}, const std::string& device = "");
    void Stop();
    std::size_t ProbesHeard() const { return m_probes; }

    // The endpoint address of a camera: urn:uuid: made from its MAC.
    static std::string Endpoint(const CameraConfig& camera);
    // The messages a camera sends.
    static std::string ProbeMatches(const CameraConfig& camera, const std::string& relatesTo,
                                    const std::string& messageId);
    static std::string Announcement(const CameraConfig& camera, bool hello);

private:
    void Run();
    void FollowMoves();  // the receiving thread only
    // Sends `text` to `to` from the camera's own address.
    void SendFrom(const std::string& fromIp, const sockaddr_in& to, const std::string& text);

    struct Due {
        std::size_t camera;
        sockaddr_in to;
        std::string relatesTo;
    };
    std::vector<CameraConfig> m_cameras;
    std::vector<std::size_t> m_indices;  // each one's index in the list given to Start
    Current m_current;
    std::chrono::steady_clock::time_point m_nextFollow{};
    std::string m_interface;
    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<std::size_t> m_probes{0};
    std::multimap<std::chrono::steady_clock::time_point, Due> m_due;  // the receiving thread only
    std::mt19937 m_random{12345};
};

}  // namespace camsim
