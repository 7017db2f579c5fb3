#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Types.h"

namespace platform {

struct AdapterAddress {
    std::string ip;
    std::string mask;
};

// One network interface as the adapter queries report it.
struct Adapter {
    std::string name;
    std::string description;
    DWORD index = 0;
    std::vector<AdapterAddress> addresses;  // IPv4, in the system's order
    std::vector<std::string> gateways;
    std::vector<std::string> dnsServers;
};

// Where the adapter queries get their data. The system source reads the machine;
// tests install their own. Implementations must be thread-safe.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;
    virtual std::vector<Adapter> Adapters() = 0;
    // DNS servers of the interface with this index; nullopt when they cannot be read.
    virtual std::optional<std::vector<std::string>> DnsServers(DWORD index);

    // The source the queries use; setting null returns to the system's.
    static void Install(std::shared_ptr<AdapterSource> source);
    static std::shared_ptr<AdapterSource> Current();
};

}  // namespace platform
