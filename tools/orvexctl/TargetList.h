#pragma once
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/UpgradeRun.h"

namespace orvexctl {

// The cameras a batch runs on, however they were given (--host H[:P], --hosts FILE,
// --from-scan), one run per camera: targets are the same when their address (as the
// connection reads it) and port are.
class TargetList {
public:
    explicit TargetList(long defaultPort) : m_port(defaultPort) {}
    // "host" or "host:port"; false with a message when bad.
    bool AddHost(const std::string& text, std::string* error);
    // One "host[:port]" a line, '#' comments; false with the file and line of a mistake.
    bool AddFile(const std::string& path, std::string* error);
    // Every camera the scan found.
    void AddScanned(const std::vector<orvex::ScannedCamera>& cameras);
    // Gives each target the MAC, network mode and source of the camera the scan found at
    // its address and port, so its run can follow it by MAC.
    void FillFromScan(const std::vector<orvex::ScannedCamera>& cameras);
    // The targets, each camera once, in the order first given; `duplicates` gets a line
    // for each target given again.
    std::vector<orvex::UpgradeTarget> Unique(std::vector<std::string>* duplicates) const;
    bool Empty() const { return m_targets.empty(); }

private:
    long m_port;
    std::vector<orvex::UpgradeTarget> m_targets;
};

}  // namespace orvexctl
