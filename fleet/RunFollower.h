#pragma once
#include <mutex>
#include <string>

#include "discovery/CameraLookup.h"
#include "fleet/AddressesInUse.h"

namespace orvex {

class AdapterScan;

// The camera lookup of one run of a batch: it follows the run's camera by MAC by the
// rules of AdapterScan::FollowCamera (its own entry gone first, the same source, a newer
// listing, no address another run holds), and keeps the batch's addresses in use up to
// date. Thread safety: FindCameraByMac runs on the run's tick thread; the rest is
// thread-safe.
class RunFollower : public CameraLookup {
public:
    // Claims the camera's address for the life of the follower.
    RunFollower(AdapterScan* scan, AddressesInUse* inUse, const std::string& ip, int port,
                int source);
    ~RunFollower() override;
    RunFollower(const RunFollower&) = delete;
    RunFollower& operator=(const RunFollower&) = delete;

    // The camera's address now: where the run is, or where the camera has gone.
    bool FindCameraByMac(const std::string& mac, std::string* ip, int* port) override;

private:
    AdapterScan* m_scan;
    AddressesInUse* m_inUse;
    std::mutex m_lock;
    std::string m_ip;
    int m_port;
    int m_source;
};

}  // namespace orvex
