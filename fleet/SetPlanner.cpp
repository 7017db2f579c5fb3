#include "fleet/SetPlanner.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "fleet/AddressRange.h"

namespace orvex {
namespace {

std::string Named(const SetJob& job) {
    return MacText(job.camera.record) + (job.where.empty() ? "" : " (" + job.where + ")");
}

bool SameChange(const SettingsChange& a, const SettingsChange& b) {
    return a.ip == b.ip && a.mask == b.mask && a.gateway == b.gateway && a.dns1 == b.dns1 &&
           a.dns2 == b.dns2 && a.name == b.name && a.port == b.port && a.netMode == b.netMode;
}

bool IsAddress(const std::string& text) {
    std::uint32_t value = 0;
    return AddressRange::Parse(text, &value);
}

std::uint32_t Value(const std::string& text) {
    std::uint32_t value = 0;
    AddressRange::Parse(text, &value);
    return value;
}

}  // namespace

SetPlanner::SetPlanner(std::vector<ScannedCamera> scanned, std::vector<ScanSource> sources)
    : m_scanned(std::move(scanned)), m_sources(std::move(sources)) {
    for (const ScannedCamera& c : m_scanned) {
        m_macs.push_back(MacText(c.record));
        m_ips.push_back(NetSettings::Of(c.record).ip);
    }
}

std::string SetPlanner::NormalMac(const std::string& text) {
    std::string mac;
    for (char c : text) {
        mac += c == '-' ? ':' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    std::uint8_t bytes[6];
    return ParseMacText(mac, bytes) ? mac : "";
}

bool SetPlanner::IsContiguousMask(const std::string& mask) {
    std::uint32_t value = 0;
    if (!AddressRange::Parse(mask, &value) || value == 0) return false;
    return (~value & (~value + 1)) == 0;  // ones, then only zeros
}

bool SetPlanner::Plan(std::vector<SetRequestRow> rows, const std::string& ipRange,
                      std::vector<SetJob>* jobs, std::vector<std::string>* notes,
                      std::string* error) {
    std::vector<SetRequestRow> unique;
    for (SetRequestRow& row : rows) {
        const std::string mac = NormalMac(row.mac);
        if (mac.empty()) {
            *error = "'" + row.mac + "' (" + row.where + ") is not a MAC address";
            return false;
        }
        row.mac = mac;
        const auto earlier = std::find_if(unique.begin(), unique.end(),
                                          [&](const SetRequestRow& r) { return r.mac == mac; });
        if (earlier == unique.end()) {
            unique.push_back(row);
        } else if (SameChange(earlier->change, row.change)) {
            notes->push_back(mac + " is named more than once; it is set once");
        } else {
            *error =
                mac + " is given different settings (" + earlier->where + ", " + row.where + ")";
            return false;
        }
    }
    jobs->clear();
    for (const SetRequestRow& row : unique) {
        SetJob job;
        if (!Find(row, &job.camera, error)) return false;
        job.before = NetSettings::Of(job.camera.record);
        job.where = row.where;
        jobs->push_back(job);
    }
    if (!ipRange.empty()) {
        for (const SetRequestRow& row : unique) {
            if (row.change.ip) {
                *error = "--ip-range gives the addresses; " + row.where + " names one too";
                return false;
            }
        }
        if (!AssignRange(ipRange, *jobs, error)) return false;
    }
    for (std::size_t i = 0; i < jobs->size(); ++i) {
        SetJob& job = (*jobs)[i];
        SettingsChange change = unique[i].change;
        if (!ipRange.empty()) change.ip = job.after.ip;
        job.after = change.Applied(job.before);
        if (!CheckFields(job, change, error)) return false;
        const ScanSource* source =
            job.camera.source < m_sources.size() ? &m_sources[job.camera.source] : nullptr;
        job.outsideAdapterSubnet = source && !source->mask.empty() &&
                                   !AdapterScan::InSubnet(job.after.ip, source->ip, source->mask);
    }
    return CheckAddresses(*jobs, error) && AssignWaves(*jobs, error);
}

bool SetPlanner::Find(const SetRequestRow& row, ScannedCamera* camera, std::string* error) const {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        if (m_macs[i] == row.mac) found.push_back(i);
    }
    if (found.empty()) {
        *error = "no camera with MAC " + row.mac + " (" + row.where + ") answered the search";
        return false;
    }
    if (found.size() > 1) {
        *error = "MAC " + row.mac + " is shown by cameras at " + m_ips[found[0]] + " and " +
                 m_ips[found[1]] + "; a set request would reach both";
        return false;
    }
    *camera = m_scanned[found[0]];
    return true;
}

bool SetPlanner::AssignRange(const std::string& ipRange, std::vector<SetJob>& jobs,
                             std::string* error) const {
    if (jobs.empty()) return true;
    AddressRange range;
    const std::string mask = jobs[0].after.mask.empty() ? jobs[0].before.mask : jobs[0].after.mask;
    if (!range.Parse(ipRange, mask, error)) return false;
    std::set<std::string> batch;
    for (const SetJob& job : jobs) batch.insert(MacText(job.camera.record));
    std::set<std::uint32_t> taken;         // held by a scanned camera, or handed out
    std::set<std::uint32_t> heldByOthers;  // held by a camera outside the batch
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        if (!IsAddress(m_ips[i])) continue;
        taken.insert(Value(m_ips[i]));
        if (batch.count(m_macs[i]) == 0) heldByOthers.insert(Value(m_ips[i]));
    }
    std::set<std::uint32_t> handedOut;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        const std::uint32_t own = Value(jobs[i].before.ip);
        const bool mayKeep = IsAddress(jobs[i].before.ip) && heldByOthers.count(own) == 0 &&
                             handedOut.count(own) == 0;
        std::string address;
        if (!range.Next(taken, mayKeep ? &own : nullptr, &address)) {
            *error = "the range " + ipRange + " runs out after " + std::to_string(i) +
                     " camera(s); " + std::to_string(jobs.size() - i) + " more need an address";
            return false;
        }
        handedOut.insert(Value(address));
        taken.insert(Value(address));
        jobs[i].after.ip = address;
    }
    return true;
}

bool SetPlanner::CheckFields(const SetJob& job, const SettingsChange& change,
                             std::string* error) const {
    const std::string who = Named(job);
    if (change.AddressWithDhcp(job.before)) {
        *error = who + ": a new address and DHCP on contradict each other";
        return false;
    }
    if (job.Unchanged()) return true;  // nothing is sent
    const NetSettings& a = job.after;
    if (a.port < 1 || a.port > 65535) {
        *error = who + ": port " + std::to_string(a.port) + " is outside 1..65535";
        return false;
    }
    if (a.name.size() > 79) {
        *error = who + ": the name is longer than the camera's 79 bytes";
        return false;
    }
    if (a.netMode == 1) return true;  // the DHCP server gives the addresses
    if (!IsAddress(a.ip)) {
        *error = who + ": '" + a.ip + "' is not an IPv4 address";
        return false;
    }
    if (!IsContiguousMask(a.mask)) {
        *error = who + ": '" + a.mask + "' is not a contiguous subnet mask";
        return false;
    }
    for (const std::string* dns : {&a.dns1, &a.dns2}) {
        if (!dns->empty() && !IsAddress(*dns)) {
            *error = who + ": DNS server '" + *dns + "' is not an IPv4 address";
            return false;
        }
    }
    if (a.gateway.empty() || a.gateway == "0.0.0.0") return true;
    if (!IsAddress(a.gateway)) {
        *error = who + ": gateway '" + a.gateway + "' is not an IPv4 address";
        return false;
    }
    if (!AdapterScan::InSubnet(a.gateway, a.ip, a.mask)) {
        *error = who + ": gateway " + a.gateway + " is outside the subnet " + a.ip + "/" + a.mask;
        return false;
    }
    return true;
}

bool SetPlanner::CheckAddresses(const std::vector<SetJob>& jobs, std::string* error) const {
    std::set<std::string> batch;
    std::map<std::string, std::vector<const SetJob*>> byAddress;  // where each job ends, in order
    for (const SetJob& job : jobs) {
        batch.insert(MacText(job.camera.record));
        byAddress[job.after.ip].push_back(&job);
    }
    std::map<std::string, std::string> heldByOthers;  // address -> MAC, the first scanned
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        if (batch.count(m_macs[i]) == 0) heldByOthers.try_emplace(m_ips[i], m_macs[i]);
    }
    for (const SetJob& job : jobs) {
        if (job.after.ip == job.before.ip || job.Unchanged()) continue;
        for (const SetJob* other : byAddress[job.after.ip]) {
            if (other != &job) {
                *error = Named(job) + " and " + Named(*other) + " would both get " + job.after.ip;
                return false;
            }
        }
        const auto held = heldByOthers.find(job.after.ip);
        if (held != heldByOthers.end()) {
            *error = Named(job) + ": " + job.after.ip + " is already held by " + held->second +
                     ", which this set does not change";
            return false;
        }
    }
    return true;
}

bool SetPlanner::AssignWaves(std::vector<SetJob>& jobs, std::string* error) {
    std::vector<SetJob*> pending;
    for (SetJob& job : jobs) {
        job.wave = 0;
        if (!job.Unchanged() && job.after.ip != job.before.ip) pending.push_back(&job);
    }
    for (int wave = 0; !pending.empty(); ++wave) {
        // A camera moves only once no other camera still to move holds its new address.
        std::multiset<std::string> leaving;  // addresses the cameras still to move hold
        for (const SetJob* job : pending) leaving.insert(job->before.ip);
        std::vector<SetJob*> ready, later;
        for (SetJob* job : pending) {
            // Its own address is not its new one, so only another camera can hold that.
            (leaving.count(job->after.ip) != 0 ? later : ready).push_back(job);
        }
        if (ready.empty()) {
            std::string names;
            for (const SetJob* job : later) names += (names.empty() ? "" : ", ") + Named(*job);
            *error = names +
                     " would take each other's addresses; give one of them a free "
                     "address first";
            return false;
        }
        for (SetJob* job : ready) job->wave = wave;
        pending = later;
    }
    return true;
}

}  // namespace orvex
