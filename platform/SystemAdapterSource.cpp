#include "platform/SystemAdapterSource.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/UdpSocket.h"

namespace platform {
namespace {

std::string ReadFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::vector<std::pair<std::string, std::string>> SystemAdapterSource::ParseDefaultRoutes(
    const std::string& routeTable) {
    std::vector<std::pair<std::string, std::string>> routes;  // (interface, gateway)
    std::istringstream lines(routeTable);
    std::string line;
    std::getline(lines, line);  // column titles
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags;
        if (!(fields >> iface >> destination >> gateway >> flags)) continue;
        const unsigned long flagBits = std::strtoul(flags.c_str(), nullptr, 16);
        if (destination != "00000000" || (flagBits & 0x2) == 0) continue;  // RTF_GATEWAY
        // The table holds the address in host (little-endian) byte order as hex.
        const auto value = static_cast<in_addr_t>(std::strtoul(gateway.c_str(), nullptr, 16));
        routes.emplace_back(iface, FormatIpv4(value));
    }
    return routes;
}

std::vector<std::string> SystemAdapterSource::ParseNameServers(const std::string& resolvConf) {
    std::vector<std::string> servers;
    std::istringstream lines(resolvConf);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string keyword, address;
        if (!(fields >> keyword >> address) || keyword != "nameserver") continue;
        in_addr_t parsed = 0;
        if (ParseIpv4(address, &parsed)) servers.push_back(address);
    }
    return servers;
}

std::vector<Adapter> SystemAdapterSource::Adapters() {
    std::vector<Adapter> adapters;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return adapters;
    std::map<std::string, bool> loopback;
    for (ifaddrs* it = list; it; it = it->ifa_next) {
        if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
        const std::string name = it->ifa_name;
        auto found = std::find_if(adapters.begin(), adapters.end(),
                                  [&](const Adapter& a) { return a.name == name; });
        if (found == adapters.end()) {
            Adapter adapter;
            adapter.name = name;
            adapter.description = name;
            adapter.index = if_nametoindex(it->ifa_name);
            adapters.push_back(adapter);
            found = adapters.end() - 1;
            loopback[name] = (it->ifa_flags & IFF_LOOPBACK) != 0;
        }
        const auto* ip = reinterpret_cast<const sockaddr_in*>(it->ifa_addr);
        const auto* mask = reinterpret_cast<const sockaddr_in*>(it->ifa_netmask);
        found->addresses.push_back(
            {FormatIpv4(ip->sin_addr.s_addr), mask ? FormatIpv4(mask->sin_addr.s_addr) : ""});
    }
    freeifaddrs(list);

    std::stable_sort(adapters.begin(), adapters.end(), [&](const Adapter& a, const Adapter& b) {
        if (loopback[a.name] != loopback[b.name]) return !loopback[a.name];
        return a.index < b.index;
    });
    const auto routes = ParseDefaultRoutes(ReadFile("/proc/net/route"));
    const auto dns = ParseNameServers(ReadFile("/etc/resolv.conf"));
    for (Adapter& adapter : adapters) {
        for (const auto& route : routes) {
            if (route.first == adapter.name) adapter.gateways.push_back(route.second);
        }
        if (!loopback[adapter.name]) adapter.dnsServers = dns;
    }
    return adapters;
}

}  // namespace platform
