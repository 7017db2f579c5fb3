#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "onvif/OnvifDevice.h"

namespace orvex {

// An ONVIF camera a batch works on: its device service.
struct OnvifTarget {
    std::string host;
    int port = 80;
    std::string path = "/onvif/device_service";

    // "H" or "H:P": an IPv4 address and a port from 1 to 65535 (80 when none is given).
    static bool Parse(const std::string& text, OnvifTarget* target);
    std::string Text() const { return host + ":" + std::to_string(port); }
};

// How one camera's run ended.
struct OnvifOutcome {
    OnvifTarget target;
    std::string result = "not started";  // ok (info), verified, not verified, failed,
                                         // interrupted, not started
    std::string reason;
    bool clockRead = false;
    long long clockOffset = 0;       // the device's clock less this computer's (seconds)
    long long clockOffsetAfter = 0;  // time-sync: read again after the change
    OnvifIdentity identity;
    OnvifNetwork network;
    bool networkRead = false;
    double seconds = 0;
    std::string journal;  // time-sync, reboot: what the change journal holds of it
};

// Runs one action on many ONVIF cameras, at most `parallel` at a time (BatchRunner):
// - info: the clock (its offset), identity and network settings;
// - time-sync: the clock set to this computer's UTC (or to NTP from a server), verified by
//   reading it back (under 2 s off);
// - reboot: verified when the device has stopped answering and then answers again.
// Every camera's clock is read first, so that its requests are signed in its own time.
class OnvifBatch {
public:
    enum Action { kInfo, kTimeSync, kReboot };
    struct Plan {
        Action action = kInfo;
        OnvifLogin login;
        std::string ntpServer;          // time-sync: NTP instead of this computer's UTC
        double rebootSeconds = 180;     // reboot: how long to wait for it to come back (real)
        const std::atomic<int>* stop = nullptr;
    };
    // Told on the thread of each camera just before a change is sent (time-sync, reboot),
    // and again when its run has ended (the outcome may be written to).
    using Starting = std::function<void(std::size_t index)>;
    using Ended = std::function<void(std::size_t index, OnvifOutcome& outcome)>;

    static std::vector<OnvifOutcome> Run(const std::vector<OnvifTarget>& targets, const Plan& plan,
                                         int parallel, const Starting& starting = {},
                                         const Ended& ended = {});
    static OnvifOutcome RunOne(const OnvifTarget& target, const Plan& plan, const Starting& starting);
    static bool Succeeded(const OnvifOutcome& outcome) {
        return outcome.result == "ok" || outcome.result == "verified";
    }
};

}  // namespace orvex
