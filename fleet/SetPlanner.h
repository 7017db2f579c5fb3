#pragma once
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/NetSettings.h"
#include "fleet/SettingsChange.h"

namespace orvex {

// One camera a set is asked for: its MAC, the change, and where it was asked (a plan's
// line, or an option) for messages.
struct SetRequestRow {
    std::string mac;
    SettingsChange change;
    std::string where;
};

// One camera of a planned set: the camera as the scan found it, its settings now and
// after, and the wave it goes in (a camera whose new address another camera of the batch
// still holds waits for a later wave).
struct SetJob {
    ScannedCamera camera;
    NetSettings before;
    NetSettings after;
    std::string where;
    bool outsideAdapterSubnet = false;  // the new address is outside the adapter's subnet
    int wave = 0;
    bool Unchanged() const { return NetSettings::Differences(before, after).empty(); }
};

// Turns rows into jobs against what a scan found, with every check made before anything
// is sent: each MAC found once, addresses, masks and gateways well formed, no address
// given twice or held by a camera outside the batch, no contradiction of DHCP and an
// address, and no swap of addresses that could not happen without two cameras sharing one.
class SetPlanner {
public:
    SetPlanner(std::vector<ScannedCamera> scanned, std::vector<ScanSource> sources);
    // With a range, each row's camera gets the next free address from it, in row order.
    // False with a one-line error; `notes` gets a line for each row given twice.
    bool Plan(std::vector<SetRequestRow> rows, const std::string& ipRange,
              std::vector<SetJob>* jobs, std::vector<std::string>* notes, std::string* error);
    // "AA:BB:CC:DD:EE:FF" from any case and ':' or '-' separators; "" when malformed.
    static std::string NormalMac(const std::string& text);
    static bool IsContiguousMask(const std::string& mask);

private:
    bool Find(const SetRequestRow& row, ScannedCamera* camera, std::string* error) const;
    bool AssignRange(const std::string& ipRange, std::vector<SetJob>& jobs,
                     std::string* error) const;
    bool CheckFields(const SetJob& job, const SettingsChange& change, std::string* error) const;
    bool CheckAddresses(const std::vector<SetJob>& jobs, std::string* error) const;
    static bool AssignWaves(std::vector<SetJob>& jobs, std::string* error);

    std::vector<ScannedCamera> m_scanned;
    std::vector<ScanSource> m_sources;
    // Each scanned camera's MAC and address, read once.
    std::vector<std::string> m_macs;
    std::vector<std::string> m_ips;
};

}  // namespace orvex
