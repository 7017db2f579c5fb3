#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "onvif/WsdMessage.h"

namespace orvex {

// An ONVIF camera as discovery found it: one per endpoint, however many adapters and
// probes heard it.
struct OnvifCamera {
    std::string endpoint;   // its EndpointReference address
    std::string ip;         // where its replies came from (the camera's address)
    int port = 80;          // of its device service
    std::vector<std::string> xaddrs;  // its device service URLs as it names them
    std::string xaddrIp;    // the host of the first XAddr, when another than `ip`
    std::vector<WsdType> types;
    std::vector<std::string> scopes;
    std::string name, hardware, location, mac;  // from the scopes
    std::size_t source = 0;  // the adapter it was first heard on
    bool otherSubnet = false;
};

// WS-Discovery for ONVIF cameras on every adapter at once: a Probe for
// dn:NetworkVideoTransmitter and tds:Device multicast to 239.255.255.250:3702 from each
// adapter (three times in the first second, the time-to-live given), unicast to hosts and
// to an address range at a bounded rate for cameras behind routers, and every
// ProbeMatches, Hello and Bye heard for the search time. Replies are read by WsdMessage;
// a message it drops is counted, never a crash. The list holds at most kMaxCameras.
// Thread safety: Run blocks the calling thread; the other members may be called from any
// thread.
class OnvifDiscovery {
public:
    static constexpr std::size_t kMaxCameras = 20000;

    struct Options {
        std::vector<ScanSource> sources;
        std::vector<std::string> hosts;   // probed by unicast, host or host:port
        std::uint32_t rangeFirst = 0;     // a range probed by unicast (0: none)
        std::uint32_t rangeLast = 0;
        int ttl = 1;
        int unicastPerSecond = 200;
        double seconds = 3;
        bool announcements = true;        // Hello and Bye on port 3702
        int port = wsd::kPort;            // where probes go (and announcements are heard)
        std::vector<WsdType> types = WsdMessage::CameraTypes();  // what is probed for
    };

    explicit OnvifDiscovery(Options options);
    // Probes and listens for the search time, or until `stop` is set. False with `error`
    // only when no probe could be sent at all.
    bool Run(const std::atomic<int>* stop, std::string* error);

    std::vector<OnvifCamera> Cameras() const;
    std::vector<ScanFailure> Failures() const;
    // Messages dropped, and why (one line each reason, with a count).
    std::map<std::string, std::size_t> Dropped() const;

    // Takes one datagram heard from `from` on `source` (what Run does with each).
    void Take(const char* data, std::size_t size, const std::string& from, std::size_t source);

private:
    Options m_options;
    std::string m_messageId;
    mutable std::mutex m_lock;
    std::vector<OnvifCamera> m_cameras;          // guarded by m_lock
    std::map<std::string, std::size_t> m_byEndpoint;
    std::map<std::string, std::size_t> m_dropped;
    std::vector<ScanFailure> m_failures;
};

}  // namespace orvex
