#pragma once
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "discovery/CameraLookup.h"
#include "discovery/DeviceRecord.h"
#include "discovery/DiscoveryControl.h"
#include "fleet/CameraSightings.h"

namespace orvex {

// A local address to search from, with the mask and description of the adapter that has
// it (both empty when no adapter has it).
struct ScanSource {
    std::string ip;
    std::string mask;
    std::string name;
};

// A camera a scan found: the record it answered with, the source it answered on,
// whether its address lies outside that adapter's subnet and whether its MAC is shared.
struct ScannedCamera {
    DeviceRecord record;
    std::size_t source = 0;
    bool otherSubnet = false;
    bool sharedMac = false;  // another listed camera shows the same MAC (a clone?)
};

// A source whose search failed: code 1 (socket not created or bound), 2 (sending
// failed), or the window's start result (119, 120); `error` is the system's errno.
struct ScanFailure {
    std::size_t source = 0;
    int code = 0;
    int error = 0;
};

// Searches from several local addresses at once, each exactly as the window searches from
// one (its own prober, scheduler, camera table and message queue, pumped by a thread of
// its own), and merges the cameras by MAC and IP, the first source that heard one keeping
// it. Thread-safe; while it runs it is also the camera lookup that follows a camera by MAC.
class AdapterScan : public CameraLookup {
public:
    // Told each discovery message a source handled, on that source's thread (one at a time).
    using Observer = std::function<void(std::size_t source, const DiscoveryOutcome& outcome,
                                        std::size_t listed)>;

    explicit AdapterScan(std::vector<ScanSource> sources, Observer observer = {});
    ~AdapterScan() override;
    AdapterScan(const AdapterScan&) = delete;
    AdapterScan& operator=(const AdapterScan&) = delete;

    void Start();
    // Scheduler, socket and listener of every source, then the pumps; idempotent.
    void Stop();
    // Waits up to `ms` until every source has failed, or `stop` is set; true when they all
    // have failed.
    bool WaitAllFailed(int ms, const std::atomic<int>* stop = nullptr);

    const std::vector<ScanSource>& Sources() const { return m_sources; }
    std::vector<ScannedCamera> Cameras();
    // The first failure of each source that failed, in the order they happened.
    std::vector<ScanFailure> Failures();
    bool FindCameraByMac(const std::string& mac, std::string* ip, int* port) override;
    // Broadcasts a set request with the block's first 320 bytes through the socket of
    // `source` at once, and has its scheduler search soon after (one search for all the
    // requests of a quarter second). False when that source cannot send.
    bool SendSetRequest(std::size_t source, const DeviceRecord& block);
    static constexpr long long kSearchCoalesceMs = 250;
    // Has every source search at once (what the network shows now, before a change).
    void SearchNow();
    // The search and set replies of the MACs a batch watches.
    CameraSightings& Sightings() { return m_sightings; }
    // Where a run that follows camera `mac`, found at `ip`:`port` through `source`, may go:
    // to the port its own entry now shows; else, only once that entry has left the list, to
    // an entry of the MAC heard through the same source and listed after it left. Never to
    // an address `inUse` says another run has, never through a source whose searches are
    // failing. False: stay.
    bool FollowCamera(const std::string& mac, const std::string& ip, int port, int source,
                      const std::function<bool(const std::string&, int)>& inUse, std::string* newIp,
                      int* newPort);

    // Every adapter with an IPv4 address (loopback last), as the adapter panel lists them.
    static std::vector<ScanSource> AllAdapters();
    // The given addresses, with the mask and description of the adapter that has each.
    static std::vector<ScanSource> ForAddresses(const std::vector<std::string>& addresses);
    // One line that says what failed, naming the address and the system's reason.
    static std::string Describe(const ScanSource& source, const ScanFailure& failure);
    // The local address this computer would send to `host` from (its routing table; nothing
    // is sent); "" when there is no route.
    static std::string RouteSource(const std::string& host);
    // True when `ip` lies in the subnet of `sourceIp` / `mask` (dotted texts).
    static bool InSubnet(const std::string& ip, const std::string& sourceIp,
                         const std::string& mask);
    // "the system's reason" for an errno, one line.
    static std::string Reason(int error);

private:
    struct Source;
    struct Listed {
        int port = 0;
        unsigned long since = 0;  // the listing's number when it appeared
    };
    using Key = std::pair<std::string, std::string>;  // MAC text and IP text, as the table keys
    void Pump(Source& source, std::size_t index);
    void Fail(std::size_t index, int code, int error);
    // Keeps the source's listing in step with its table after a message.
    void Track(Source& source, const DiscoveryOutcome& outcome);

    std::vector<ScanSource> m_sources;
    Observer m_observer;
    std::vector<std::unique_ptr<Source>> m_running;
    std::mutex m_lock;  // guards m_failures and serialises the observer
    std::condition_variable m_failed;
    std::vector<ScanFailure> m_failures;
    bool m_started = false;
    std::mutex m_listLock;        // guards the sources' listings and m_listing
    unsigned long m_listing = 0;  // numbers each appearance and departure of an entry
    CameraSightings m_sightings;
};

}  // namespace orvex
