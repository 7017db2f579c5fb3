#pragma once
#include <cstdint>
#include <map>
#include <unordered_map>
#include <optional>
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/NetSettings.h"
#include "fleet/SettingsChange.h"

namespace orvex {

class AddressPool;

// One camera a set is asked for: its MAC, the change, and where it was asked (a plan's
// line, or an option) for messages.
struct SetRequestRow {
    SetRequestRow() = default;
    SetRequestRow(std::string m, SettingsChange c, std::string w)
        : mac(std::move(m)), change(std::move(c)), where(std::move(w)) {}

    std::string mac;
    SettingsChange change;
    std::string where;
    bool fromPlan = false;           // a row of a plan (a backup): DHCP rows restore as such
    std::optional<std::string> ipNow;  // the address the camera is expected to answer from
    std::string onvifHost;             // an ONVIF camera's device service, "H[:P]"
};

// One camera of a planned set: the camera as the scan found it, its settings now and
// after, and the wave it goes in. A camera whose new address another camera of the batch
// still holds waits for that one (`waitsFor`); cameras that would take each other's
// addresses go round through a free address of their subnet, a step of its own.
struct SetJob {
    static constexpr const char* kTemporary = "temporary";

    ScannedCamera camera;
    NetSettings before;
    NetSettings after;
    std::string where;
    bool outsideAdapterSubnet = false;  // the new address is outside the adapter's subnet
    bool missing = false;               // no search found its MAC (the row was skipped)
    std::string step;                   // kTemporary: a move on the way to the next step
    int previousStep = -1;              // the camera's step before this one
    std::vector<std::size_t> waitsFor;  // jobs to be verified before this one is sent
    int wave = 0;
    bool Unchanged() const { return before == after; }
    // Moves onto a fixed address it does not have yet.
    bool Moves() const { return !missing && after.netMode != 1 && after.ip != before.ip; }
};

// Turns rows into jobs against what a scan found, with every check made before anything
// is sent: each MAC found once, addresses, masks, gateways and names sound (SetJobChecks),
// no address given twice or held by a camera outside the batch, and an order in which no
// two cameras ever share an address.
class SetPlanner {
public:
    SetPlanner(std::vector<ScannedCamera> scanned, std::vector<ScanSource> sources);
    // Rows whose MAC no search found become `missing` jobs instead of a refusal.
    void SkipMissing(bool skip) { m_skipMissing = skip; }
    // With a range, each row's camera gets the next free address from it, in row order.
    // False with a one-line error; `notes` gets a line for each row given twice.
    bool Plan(std::vector<SetRequestRow> rows, const std::string& ipRange,
              std::vector<SetJob>* jobs, std::vector<std::string>* notes, std::string* error);
    // "AA:BB:CC:DD:EE:FF" from any case and ':' or '-' separators; "" when malformed.
    static std::string NormalMac(const std::string& text);
    static bool IsContiguousMask(const std::string& mask);

private:
    bool Unique(std::vector<SetRequestRow>& rows, std::vector<std::string>* notes,
                std::string* error) const;
    bool FindAll(const std::vector<SetRequestRow>& rows, std::vector<SetJob>* jobs,
                 std::string* error) const;
    bool AssignRange(const std::string& ipRange, const std::vector<SetRequestRow>& rows,
                     std::vector<SetJob>& jobs, AddressPool& pool, std::string* error) const;
    bool CheckAddresses(const std::vector<SetJob>& jobs, std::string* error) const;
    std::uint32_t AdapterOf(const SetJob& job) const;

    std::vector<ScannedCamera> m_scanned;
    std::vector<ScanSource> m_sources;
    bool m_skipMissing = false;
    // Each scanned camera's MAC and address, read once, and where each MAC was found.
    std::vector<std::string> m_macs;
    std::vector<std::string> m_ips;
    std::unordered_multimap<std::string, std::size_t> m_byMac;
};

}  // namespace orvex
