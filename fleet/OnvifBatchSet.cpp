#include "fleet/OnvifBatchSet.h"

#include <chrono>
#include <mutex>
#include <set>
#include <thread>

#include "fleet/BatchRunner.h"
#include "fleet/SetPlanner.h"

namespace orvex {
namespace {

using Steady = std::chrono::steady_clock;

bool Stopping(const SetOptions& options) {
    return options.stop && options.stop->load() != 0;
}

XAddr ServiceAt(const std::string& ip, const OnvifTarget& target) {
    XAddr x;
    x.host = ip;
    x.port = target.port;
    x.path = target.path;
    x.valid = true;
    return x;
}

}  // namespace

SetOutcome OnvifBatchSet::RunOne(const SetJob& job, const OnvifSetCamera& camera, const OnvifLogin& login,
                                 const SetOptions& options, const BatchSet::Progress& progress,
                                 std::size_t index) {
    const auto start = Steady::now();
    SetOutcome o;
    o.job = job;
    const auto done = [&](const char* verification) {
        o.verification = verification;
        o.seconds = std::chrono::duration<double>(Steady::now() - start).count();
        if (progress) progress(index, BatchSet::Step::kEnded, o);
        return o;
    };
    if (job.Unchanged()) return done(SetOutcome::kUnchanged);
    if (Stopping(options)) return done(SetOutcome::kNotStarted);
    const std::string mac = MacText(job.camera.record);
    OnvifNetwork wanted = camera.network;
    wanted.ip = job.after.ip;
    wanted.mask = job.after.mask;
    wanted.gateway = job.after.gateway;
    wanted.dns1 = job.after.dns1;
    wanted.dns2 = job.after.dns2;
    wanted.dhcp = job.after.netMode == 1;

    if (progress) progress(index, BatchSet::Step::kSending, o);
    OnvifDevice device(ServiceAt(job.before.ip, camera.target), login);
    long long offset = 0;
    bool rebootNeeded = false;
    std::string why;
    o.sent = true;
    if (!device.ReadClock(&offset, &why) || !device.WriteNetwork(wanted, &rebootNeeded, &why)) {
        o.resultText = why;
        return done(SetOutcome::kFailed);
    }
    o.replied = true;
    o.result = 0;
    o.resultText = rebootNeeded ? "taken; restarted to apply it, as the camera asked" : "taken";
    if (rebootNeeded && !device.Reboot(&why)) {
        o.resultText = "taken, but the reboot it needs failed: " + why;
        return done(SetOutcome::kFailed);
    }
    if (progress) progress(index, BatchSet::Step::kVerifying, o);

    // Proven by what the camera shows where it is to be: the same MAC, the new settings.
    const std::string address = wanted.dhcp ? job.before.ip : job.after.ip;
    const auto until = Steady::now() + std::chrono::milliseconds(static_cast<long long>(options.verifySeconds * 1000));
    while (Steady::now() < until) {
        if (Stopping(options)) {
            o.interrupted = true;
            return done(SetOutcome::kNotVerified);
        }
        OnvifDevice there(ServiceAt(address, camera.target), login);
        OnvifNetwork shown;
        std::string ignored;
        if (there.ReadClock(&offset, &ignored) && there.ReadNetwork(&shown, &ignored)) {
            if (SetPlanner::NormalMac(shown.mac) == mac) {
                o.seen = true;
                o.seenAfter = OnvifSetCameras::SettingsOf(shown, camera.target.port);
                OnvifSetCamera seen = camera;
                seen.network = shown;
                o.seenRecord = OnvifSetCameras::Scanned(seen, {}).record;
                if (o.seenAfter.Shows(job.after)) return done(SetOutcome::kVerified);
            } else {
                o.resultText += "; " + address + " is answered by " + (shown.mac.empty() ? "another device" : shown.mac);
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return done(SetOutcome::kNotVerified);
}

std::vector<SetOutcome> OnvifBatchSet::Run(const std::vector<SetJob>& jobs, const Cameras& cameras,
                                           const OnvifLogin& login, const SetOptions& options, int parallel,
                                           const BatchSet::Progress& progress) {
    std::vector<SetOutcome> outcomes(jobs.size());
    std::set<int> waves;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        outcomes[i].job = jobs[i];
        waves.insert(jobs[i].wave);
    }
    std::mutex told;  // progress is told one call at a time
    const BatchSet::Progress serial = [&](std::size_t i, BatchSet::Step step, SetOutcome& o) {
        std::lock_guard<std::mutex> guard(told);
        if (progress) progress(i, step, o);
    };
    for (const int wave : waves) {
        std::vector<std::size_t> now;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            if (jobs[i].wave != wave) continue;
            bool ready = true;
            for (const std::size_t before : jobs[i].waitsFor)
                ready = ready && outcomes[before].verification == SetOutcome::kVerified;
            if (ready) {
                now.push_back(i);
            } else {
                outcomes[i].resultText = "it waits for a camera that was not verified";
            }
        }
        BatchRunner::Run(now.size(), parallel, options.stop, [&](std::size_t k) {
            const std::size_t i = now[k];
            const auto camera = cameras.find(MacText(jobs[i].camera.record));
            if (camera == cameras.end()) {
                outcomes[i].resultText = "no device service is known for it";
                return;
            }
            outcomes[i] = RunOne(jobs[i], camera->second, login, options, serial, i);
        });
    }
    return outcomes;
}

}  // namespace orvex
