#include "fleet/OnvifBatch.h"

#include <chrono>
#include <cstdlib>
#include <thread>

#include "fleet/BatchRunner.h"
#include "platform/UdpSocket.h"

namespace orvex {
namespace {

using Steady = std::chrono::steady_clock;

constexpr long long kSyncedWithin = 2;  // seconds a synced clock may still be off

bool Stopping(const OnvifBatch::Plan& plan) {
    return plan.stop && plan.stop->load() != 0;
}

// Waits for the device to stop answering and then to answer again; false with `why`.
bool WaitForComeback(OnvifDevice& device, const OnvifBatch::Plan& plan, std::string* why) {
    const auto until = Steady::now() + std::chrono::milliseconds(static_cast<long long>(plan.rebootSeconds * 1000));
    bool wentAway = false;
    while (Steady::now() < until && !Stopping(plan)) {
        long long offset = 0;
        std::string ignored;
        const bool answers = device.ReadClock(&offset, &ignored);
        if (!answers) wentAway = true;
        if (answers && wentAway) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    *why = Stopping(plan) ? "stopped" : wentAway ? "it did not answer again in time" : "it never went away to restart";
    return false;
}

}  // namespace

bool OnvifTarget::Parse(const std::string& text, OnvifTarget* target) {
    const auto colon = text.find(':');
    const std::string host = text.substr(0, colon);
    const std::string port = colon == std::string::npos ? "80" : text.substr(colon + 1);
    in_addr_t address = 0;
    if (!platform::ParseIpv4(host, &address) || port.empty() || port.size() > 5 ||
        port.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const int number = std::stoi(port);
    if (number < 1 || number > 65535) return false;
    *target = OnvifTarget{host, number, "/onvif/device_service"};
    return true;
}

OnvifOutcome OnvifBatch::RunOne(const OnvifTarget& target, const Plan& plan, const Starting& starting) {
    const auto start = Steady::now();
    OnvifOutcome o;
    o.target = target;
    XAddr service;
    service.host = target.host;
    service.port = target.port;
    service.path = target.path;
    service.valid = true;
    OnvifDevice device(service, plan.login);
    std::string why;
    const auto done = [&](const std::string& result, const std::string& reason) {
        o.result = result;
        o.reason = reason;
        o.seconds = std::chrono::duration<double>(Steady::now() - start).count();
        return o;
    };
    // Its clock first: every later request is signed in the device's own time.
    o.clockRead = device.ReadClock(&o.clockOffset, &why);
    if (!o.clockRead) return done("failed", why);
    if (Stopping(plan)) return done("interrupted", "stopped");
    if (plan.action == kInfo) {
        if (!device.ReadIdentity(&o.identity, &why)) return done("failed", why);
        o.networkRead = device.ReadNetwork(&o.network, &why);
        if (!o.networkRead) return done("failed", why);
        return done("ok", "");
    }
    if (starting) starting(0);
    if (plan.action == kTimeSync) {
        if (!device.WriteClock(plan.ntpServer, &why)) return done("failed", why);
        if (!device.ReadClock(&o.clockOffsetAfter, &why)) return done("not verified", why);
        if (std::llabs(o.clockOffsetAfter) >= kSyncedWithin)
            return done("not verified", "its clock is still " + std::to_string(o.clockOffsetAfter) + " s off");
        return done("verified", "");
    }
    if (!device.Reboot(&why)) return done("failed", why);
    if (!WaitForComeback(device, plan, &why)) return done(Stopping(plan) ? "interrupted" : "not verified", why);
    return done("verified", "");
}

std::vector<OnvifOutcome> OnvifBatch::Run(const std::vector<OnvifTarget>& targets, const Plan& plan, int parallel,
                                          const Starting& starting, const Ended& ended) {
    std::vector<OnvifOutcome> outcomes(targets.size());
    for (std::size_t i = 0; i < targets.size(); ++i) outcomes[i].target = targets[i];  // "not started"
    BatchRunner::Run(targets.size(), parallel, plan.stop, [&](std::size_t i) {
        outcomes[i] = RunOne(targets[i], plan, [&](std::size_t) {
            if (starting) starting(i);
        });
        if (ended) ended(i, outcomes[i]);
    });
    return outcomes;
}

}  // namespace orvex
