#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "discovery/DeviceRecord.h"
#include "onvif/OnvifDiscovery.h"

namespace orvex {

// ONVIF discovery kept going while the window is open: a search of two seconds after
// another from the window's adapter, Hello and Bye heard throughout, and every camera
// found told as a record the camera list takes (its address, device service port, the
// name and MAC of its scopes, the mode kModeOnvif), so that the list keeps it while it is
// there and sweeps it once it is not.
// Thread safety: Start and Stop from one thread; `found` runs on the watch's own thread.
class OnvifWatch {
public:
    using Found = std::function<void(const DeviceRecord& record)>;

    ~OnvifWatch();
    // Searches from `adapterIp` (with its mask) until Stop.
    bool Start(const std::string& adapterIp, const std::string& mask, Found found);
    // Ends the search at once and joins its thread.
    void Stop();

    static DeviceRecord RecordOf(const OnvifCamera& camera);

private:
    std::thread m_thread;
    std::atomic<int> m_stop{0};
};

}  // namespace orvex
