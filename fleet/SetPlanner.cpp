#include "fleet/SetPlanner.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>

#include "fleet/AddressPool.h"
#include "fleet/AddressRange.h"
#include "fleet/SetJobChecks.h"
#include "fleet/SetWaves.h"

namespace orvex {
namespace {

constexpr std::size_t kMissingNamed = 8;  // a refusal names this many missing MACs at most

std::string Named(const SetJob& job) {
    return MacText(job.camera.record) + (job.where.empty() ? "" : " (" + job.where + ")");
}

bool SameRequest(const SetRequestRow& x, const SetRequestRow& y) {
    const SettingsChange& a = x.change;
    const SettingsChange& b = y.change;
    return a.ip == b.ip && a.mask == b.mask && a.gateway == b.gateway && a.dns1 == b.dns1 &&
           a.dns2 == b.dns2 && a.name == b.name && a.port == b.port && a.netMode == b.netMode &&
           x.ipNow == y.ipNow;
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
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        m_macs.push_back(MacText(m_scanned[i].record));
        m_ips.push_back(NetSettings::Of(m_scanned[i].record).ip);
        m_byMac.emplace(m_macs.back(), i);
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

std::uint32_t SetPlanner::AdapterOf(const SetJob& job) const {
    return job.camera.source < m_sources.size() ? Value(m_sources[job.camera.source].ip) : 0;
}

bool SetPlanner::Unique(std::vector<SetRequestRow>& rows, std::vector<std::string>* notes,
                        std::string* error) const {
    std::vector<SetRequestRow> unique;
    std::unordered_map<std::string, std::size_t> seen;  // MAC -> its row in `unique`
    unique.reserve(rows.size());
    for (SetRequestRow& row : rows) {
        const std::string mac = NormalMac(row.mac);
        if (mac.empty()) {
            *error = "'" + row.mac + "' (" + row.where + ") is not a MAC address";
            return false;
        }
        row.mac = mac;
        const auto [earlier, added] = seen.emplace(mac, unique.size());
        if (added) {
            unique.push_back(std::move(row));
        } else if (SameRequest(unique[earlier->second], row)) {
            notes->push_back(mac + " is named more than once; it is set once");
        } else {
            *error = mac + " is given different settings (" + unique[earlier->second].where +
                     ", " + row.where + ")";
            return false;
        }
    }
    rows.swap(unique);
    return true;
}

bool SetPlanner::FindAll(const std::vector<SetRequestRow>& rows, std::vector<SetJob>* jobs,
                         std::string* error) const {
    std::vector<std::string> missing;
    jobs->reserve(rows.size());
    for (const SetRequestRow& row : rows) {
        SetJob job;
        job.where = row.where;
        const auto [first, last] = m_byMac.equal_range(row.mac);
        if (first == last) {
            missing.push_back(row.mac + " (" + row.where + ")");
            job.missing = true;
            ParseMacText(row.mac, job.camera.record.abyMac);
        } else if (std::next(first) != last) {
            *error = "MAC " + row.mac + " is shown by cameras at " + m_ips[first->second] +
                     " and " + m_ips[std::next(first)->second] +
                     "; a set request would reach both";
            return false;
        } else {
            job.camera = m_scanned[first->second];
            job.before = NetSettings::Of(job.camera.record);
            if (row.ipNow && *row.ipNow != job.before.ip) {
                *error = Named(job) + " answers from " + job.before.ip + ", not " + *row.ipNow +
                         " (ip_now): is this the plan of another site?";
                return false;
            }
        }
        jobs->push_back(std::move(job));
    }
    if (missing.empty() || m_skipMissing) return true;
    std::string names;
    for (std::size_t i = 0; i < missing.size() && i < kMissingNamed; ++i)
        names += (i ? ", " : "") + missing[i];
    if (missing.size() > kMissingNamed)
        names += " and " + std::to_string(missing.size() - kMissingNamed) + " more";
    *error = "no camera with MAC " + names + " answered the search" +
             (rows.size() > 1 ? " (--skip-missing sets the others)" : "");
    return false;
}

bool SetPlanner::Plan(std::vector<SetRequestRow> rows, const std::string& ipRange,
                      std::vector<SetJob>* jobs, std::vector<std::string>* notes,
                      std::string* error) {
    jobs->clear();
    if (!Unique(rows, notes, error) || !FindAll(rows, jobs, error)) return false;
    AddressPool pool;
    for (const ScanSource& source : m_sources) pool.Take(Value(source.ip));
    for (const std::string& ip : m_ips) {
        if (IsAddress(ip)) pool.Take(Value(ip));
    }
    for (std::size_t i = 0; i < jobs->size(); ++i) {
        SetJob& job = (*jobs)[i];
        if (job.missing) continue;
        if (pool.Adapter() == 0) pool.SetAdapter(AdapterOf(job));
        job.after = rows[i].change.Applied(job.before);
        // A DHCP camera restored as one: its addresses are the DHCP server's.
        if (rows[i].fromPlan && job.after.netMode == 1 && job.before.netMode == 1) {
            NetSettings& a = job.after;
            a.ip = job.before.ip;
            a.mask = job.before.mask;
            a.gateway = job.before.gateway;
            a.dns1 = job.before.dns1;
            a.dns2 = job.before.dns2;
        }
        for (const std::string* reserved : {&job.after.gateway, &job.after.dns1, &job.after.dns2})
            if (IsAddress(*reserved)) pool.Take(Value(*reserved));
    }
    if (!ipRange.empty() && !AssignRange(ipRange, rows, *jobs, pool, error)) return false;
    for (std::size_t i = 0; i < jobs->size(); ++i) {
        SetJob& job = (*jobs)[i];
        if (job.missing) continue;
        if (!SetJobChecks::Check(job, rows[i], AdapterOf(job), error)) return false;
        const ScanSource* source =
            job.camera.source < m_sources.size() ? &m_sources[job.camera.source] : nullptr;
        job.outsideAdapterSubnet = source && !source->mask.empty() && job.after.netMode != 1 &&
                                   !AdapterScan::InSubnet(job.after.ip, source->ip, source->mask);
        if (job.Moves()) pool.Take(Value(job.after.ip));
    }
    return CheckAddresses(*jobs, error) && SetWaves::Assign(*jobs, pool, error);
}

bool SetPlanner::AssignRange(const std::string& ipRange, const std::vector<SetRequestRow>& rows,
                             std::vector<SetJob>& jobs, AddressPool& pool,
                             std::string* error) const {
    for (const SetRequestRow& row : rows) {
        if (row.change.ip) {
            *error = "--ip-range gives the addresses; " + row.where + " names one too";
            return false;
        }
    }
    const auto first = std::find_if(jobs.begin(), jobs.end(), [](const SetJob& j) { return !j.missing; });
    if (first == jobs.end()) return true;
    AddressRange range;
    if (!range.Parse(ipRange, first->after.mask, error)) return false;  // the new subnet
    std::set<std::string> batch;
    for (const SetJob& job : jobs) batch.insert(MacText(job.camera.record));
    std::set<std::uint32_t> heldByOthers;  // by a camera outside the batch
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        if (IsAddress(m_ips[i]) && batch.count(m_macs[i]) == 0) heldByOthers.insert(Value(m_ips[i]));
    }
    std::set<std::uint32_t> reserved;  // adapters, gateways, DNS servers: never a camera's
    for (const ScanSource& source : m_sources) reserved.insert(Value(source.ip));
    for (const SetJob& job : jobs) {
        for (const std::string* r : {&job.after.gateway, &job.after.dns1, &job.after.dns2})
            if (IsAddress(*r)) reserved.insert(Value(*r));
    }
    std::set<std::uint32_t> taken = pool.InUse();  // grows with what is handed out
    std::set<std::uint32_t> handedOut;
    std::size_t given = 0;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        if (jobs[i].missing) continue;
        const std::uint32_t own = Value(jobs[i].before.ip);
        const bool mayKeep = IsAddress(jobs[i].before.ip) && heldByOthers.count(own) == 0 &&
                             handedOut.count(own) == 0 && reserved.count(own) == 0;
        std::string address;
        if (!range.Next(taken, mayKeep ? &own : nullptr, &address)) {
            std::size_t left = 0;
            for (std::size_t k = i; k < jobs.size(); ++k) left += jobs[k].missing ? 0 : 1;
            *error = "the range " + ipRange + " runs out after " + std::to_string(given) +
                     " camera(s); " + std::to_string(left) + " more need an address";
            return false;
        }
        ++given;
        handedOut.insert(Value(address));
        taken.insert(Value(address));
        SettingsChange change = rows[i].change;
        change.ip = address;
        jobs[i].after = change.Applied(jobs[i].before);
    }
    return true;
}

bool SetPlanner::CheckAddresses(const std::vector<SetJob>& jobs, std::string* error) const {
    std::unordered_set<std::string> batch;
    batch.reserve(jobs.size());
    // The first two jobs to end at each address, in order.
    std::unordered_map<std::string, std::pair<const SetJob*, const SetJob*>> endsAt;
    endsAt.reserve(jobs.size());
    for (const SetJob& job : jobs) {
        if (job.missing) continue;
        batch.insert(MacText(job.camera.record));
        if (job.after.netMode != 1 || job.Unchanged()) {
            const auto [at, added] = endsAt.try_emplace(job.after.ip, &job, nullptr);
            if (!added && !at->second.second) at->second.second = &job;
        }
    }
    std::unordered_map<std::string, std::size_t> heldByOthers;  // address -> the first camera scanned there
    for (std::size_t i = 0; i < m_scanned.size(); ++i) {
        if (batch.count(m_macs[i]) == 0) heldByOthers.try_emplace(m_ips[i], i);
    }
    for (const SetJob& job : jobs) {
        if (!job.Moves() || job.Unchanged()) continue;
        const auto& [first, second] = endsAt.at(job.after.ip);
        const SetJob* other = first != &job ? first : second;
        if (other) {
            *error = Named(job) + " and " + Named(*other) + " would both get " + job.after.ip;
            return false;
        }
        const auto held = heldByOthers.find(job.after.ip);
        if (held != heldByOthers.end()) {
            *error = Named(job) + ": " + job.after.ip + " is already held by " +
                     m_macs[held->second] + ", which this set does not change";
            return false;
        }
    }
    return true;
}

}  // namespace orvex
