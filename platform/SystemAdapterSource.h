#pragma once
#include "platform/AdapterSource.h"

namespace platform {

// Reads the machine: every interface with an IPv4 address (getifaddrs), loopback last;
// gateways from the routing table's default routes; DNS servers from the resolver
// configuration.
class SystemAdapterSource : public AdapterSource {
public:
    std::vector<Adapter> Adapters() override;

    // Parsers of the two files, exposed for tests.
    static std::vector<std::pair<std::string, std::string>> ParseDefaultRoutes(
        const std::string& routeTable);
    static std::vector<std::string> ParseNameServers(const std::string& resolvConf);
};

}  // namespace platform
