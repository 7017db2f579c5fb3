#include "fleet/SetWaves.h"

#include <algorithm>
#include <deque>
#include <map>

#include "fleet/AddressPool.h"
#include "fleet/AddressRange.h"

namespace orvex {
namespace {

std::uint32_t Value(const std::string& text) {
    std::uint32_t value = 0;
    AddressRange::Parse(text, &value);
    return value;
}

// Leaves the address it holds now: for another one, or for whatever the DHCP server gives.
bool Leaves(const SetJob& job) {
    if (job.missing || job.Unchanged()) return false;
    return job.after.ip != job.before.ip || (job.after.netMode == 1 && job.before.netMode != 1);
}

}  // namespace

bool SetWaves::Split(std::vector<SetJob>& jobs, std::size_t c, AddressPool& pool,
                     std::string* error) {
    SetJob& last = jobs[c];
    std::uint32_t free = 0;
    if (!pool.TakeTemporary(Value(last.after.ip), Value(last.after.mask), &free)) {
        *error = MacText(last.camera.record) + " (" + last.where + ") and the cameras whose "
                 "addresses it would take need a free address of " + last.after.ip + "/" +
                 last.after.mask + " to go round through, and none is left";
        return false;
    }
    SetJob temporary = last;
    temporary.step = SetJob::kTemporary;
    temporary.after.ip = AddressRange::Dotted(free);
    temporary.waitsFor.clear();
    // The final step starts from the settings the temporary one leaves the camera with.
    temporary.after.WriteChanges(last.before, last.camera.record);
    last.before = temporary.after;
    jobs.push_back(temporary);
    return true;
}

bool SetWaves::Assign(std::vector<SetJob>& jobs, AddressPool& pool, std::string* error) {
    std::multimap<std::string, std::size_t> leaving;  // address -> jobs whose camera leaves it
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        jobs[i].waitsFor.clear();
        if (Leaves(jobs[i])) leaving.emplace(jobs[i].before.ip, i);
    }
    std::vector<std::vector<std::size_t>> dependents(jobs.size());
    std::vector<std::size_t> undone(jobs.size(), 0);  // dependencies not yet ordered
    for (std::size_t j = 0; j < jobs.size(); ++j) {
        if (!jobs[j].Moves() || jobs[j].Unchanged()) continue;
        const auto [from, to] = leaving.equal_range(jobs[j].after.ip);
        for (auto it = from; it != to; ++it) {
            if (it->second == j) continue;
            jobs[j].waitsFor.push_back(it->second);
            dependents[it->second].push_back(j);
            ++undone[j];
        }
    }
    std::vector<int> previousOf(jobs.size(), -1);
    std::vector<char> ordered(jobs.size(), 0);
    std::deque<std::size_t> ready;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (undone[i] == 0) ready.push_back(i);
    }
    std::size_t done = 0;
    while (done < jobs.size()) {
        if (ready.empty()) {
            // Every job left waits for another: follow the waits to a circle and open it.
            std::size_t at = 0;
            while (ordered[at]) ++at;
            std::map<std::size_t, int> path;
            while (path.emplace(at, 0).second) {
                const auto& waits = jobs[at].waitsFor;
                at = *std::find_if(waits.begin(), waits.end(),
                                   [&](std::size_t w) { return !ordered[w]; });
            }
            const std::size_t c = at;
            if (!Split(jobs, c, pool, error)) return false;
            const std::size_t t = jobs.size() - 1;
            dependents.emplace_back();
            undone.push_back(0);
            ordered.push_back(0);
            previousOf.push_back(-1);
            // Those waiting for c's old address now wait for the temporary step.
            for (std::size_t d : dependents[c]) {
                std::replace(jobs[d].waitsFor.begin(), jobs[d].waitsFor.end(), c, t);
            }
            dependents[t].swap(dependents[c]);
            jobs[c].waitsFor.push_back(t);
            dependents[t].push_back(c);
            ++undone[c];
            previousOf[c] = static_cast<int>(t);
            ready.push_back(t);
            continue;
        }
        const std::size_t i = ready.front();
        ready.pop_front();
        ordered[i] = 1;
        ++done;
        jobs[i].wave = 0;
        for (std::size_t w : jobs[i].waitsFor) jobs[i].wave = std::max(jobs[i].wave, jobs[w].wave + 1);
        for (std::size_t d : dependents[i]) {
            if (--undone[d] == 0) ready.push_back(d);
        }
    }
    // Report order: each temporary step just before its camera's final one.
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].step == SetJob::kTemporary) continue;
        if (previousOf[i] >= 0) order.push_back(static_cast<std::size_t>(previousOf[i]));
        order.push_back(i);
    }
    std::vector<std::size_t> newIndex(jobs.size());
    for (std::size_t k = 0; k < order.size(); ++k) newIndex[order[k]] = k;
    std::vector<SetJob> sorted;
    sorted.reserve(jobs.size());
    for (std::size_t k = 0; k < order.size(); ++k) {
        SetJob job = std::move(jobs[order[k]]);
        for (std::size_t& w : job.waitsFor) w = newIndex[w];
        const int previous = previousOf[order[k]];
        job.previousStep = previous >= 0 ? static_cast<int>(newIndex[previous]) : -1;
        sorted.push_back(std::move(job));
    }
    jobs.swap(sorted);
    return true;
}

}  // namespace orvex
