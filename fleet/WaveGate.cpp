#include "fleet/WaveGate.h"

#include <chrono>

namespace orvex {
namespace {

using Clock = std::chrono::steady_clock;

// The one to blame for an address still held: the job that was to leave it.
std::string Holder(const std::vector<SetJob>& jobs, const SetJob& job) {
    for (std::size_t w : job.waitsFor) {
        if (jobs[w].before.ip == job.after.ip) return MacText(jobs[w].camera.record);
    }
    return "";
}

}  // namespace

std::string WaveGate::Occupied(const std::vector<SetJob>& jobs, const SetJob& job,
                               unsigned long mark, AdapterScan& scan, bool verifying) {
    const std::string own = MacText(job.camera.record);
    const auto heard = scan.Sightings().HeardAt(job.after.ip, mark, own);
    if (heard.empty()) return "";
    if (verifying) return job.after.ip + " is also answered by " + heard.front();
    for (const SetJob& other : jobs) {
        if (MacText(other.camera.record) == heard.front() && !other.missing)
            return job.after.ip + " is still held by " + heard.front();
    }
    return job.after.ip + " is answered by " + heard.front() + ", which this set does not change";
}

void WaveGate::Pass(const std::vector<SetJob>& jobs, std::vector<SetOutcome>& outcomes,
                    std::vector<std::size_t>& members, AdapterScan& scan,
                    const SetOptions& options) {
    std::vector<std::size_t> going;
    for (std::size_t i : members) {
        const SetJob& job = jobs[i];
        std::string why;
        for (std::size_t w : job.waitsFor) {
            if (outcomes[w].verification == SetOutcome::kVerified) continue;
            const std::string holder = Holder(jobs, job);
            why = static_cast<int>(w) == job.previousStep
                      ? "its move through " + jobs[w].after.ip + " was not verified"
                      : job.after.ip + " is still held by " +
                            (holder.empty() ? MacText(jobs[w].camera.record) : holder);
            break;
        }
        if (why.empty()) {
            going.push_back(i);
        } else {
            outcomes[i].resultText = why;
        }
    }
    members.swap(going);
    bool moving = false;
    for (std::size_t i : members) moving = moving || jobs[i].Moves();
    if (!moving) return;
    // What the network shows now: the addresses the wave takes must be free.
    const unsigned long mark = scan.Sightings().Mark();
    scan.SearchNow();
    const auto until = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                          std::chrono::duration<double>(options.settleSeconds));
    while (Clock::now() < until && !(options.stop && options.stop->load() != 0))
        scan.Sightings().WaitNews(scan.Sightings().Mark(), std::chrono::milliseconds(50));
    going.clear();
    for (std::size_t i : members) {
        const std::string why = jobs[i].Moves() ? Occupied(jobs, jobs[i], mark, scan, false) : "";
        if (why.empty()) {
            going.push_back(i);
        } else {
            outcomes[i].resultText = why;
        }
    }
    members.swap(going);
}

}  // namespace orvex
