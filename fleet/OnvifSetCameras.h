#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/NetSettings.h"
#include "fleet/OnvifBatch.h"

namespace orvex {

// An ONVIF camera a set is asked for, as its device service shows it before the change:
// its clock offset (its requests are signed in its time), MAC and network settings.
struct OnvifSetCamera {
    OnvifTarget target;
    bool read = false;
    std::string why;  // why it could not be read
    long long clockOffset = 0;
    OnvifNetwork network;
};

// Reads the cameras of an ONVIF set and presents them to the set planner as a search
// would: a block keyed by the MAC the device reports, with its settings and the port of
// its device service, found through the adapter whose subnet holds it.
class OnvifSetCameras {
public:
    static std::vector<OnvifSetCamera> Read(const std::vector<OnvifTarget>& targets, const OnvifLogin& login,
                                            int parallel, const std::atomic<int>* stop);
    static ScannedCamera Scanned(const OnvifSetCamera& camera, const std::vector<ScanSource>& sources);
    // The settings as a set compares them: the port is the device service's, the name
    // is not part of them.
    static NetSettings SettingsOf(const OnvifNetwork& network, int port);
    // Whether anything accepts a connection at ip:port within `seconds`.
    static bool Answers(const std::string& ip, int port, double seconds);
};

}  // namespace orvex
