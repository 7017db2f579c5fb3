#include "fleet/AddressRules.h"

#include <bit>

#include "fleet/AddressRange.h"

namespace orvex {
namespace {

bool In(std::uint32_t ip, std::uint32_t network, int prefix) {
    const std::uint32_t mask = prefix == 0 ? 0 : ~0u << (32 - prefix);
    return (ip & mask) == network;
}

}  // namespace

int AddressRules::PrefixLength(std::uint32_t mask) {
    return std::countl_one(mask);
}

std::string AddressRules::SubnetText(std::uint32_t ip, std::uint32_t mask) {
    return AddressRange::Dotted(ip & mask) + "/" + std::to_string(PrefixLength(mask));
}

bool AddressRules::IsSubnetEdge(std::uint32_t ip, std::uint32_t mask) {
    return (ip & ~mask) == 0 || (ip | mask) == ~0u;
}

std::string AddressRules::WhyNotUsable(std::uint32_t ip, std::uint32_t mask,
                                       std::uint32_t adapterIp) {
    // Addresses no device may have whatever its network.
    if (ip == 0) return "is the unspecified address";
    if (ip == ~0u) return "is the broadcast address";
    if (In(ip, 0xE0000000u, 4)) return "is a multicast address";
    if (In(ip, 0xF0000000u, 4)) return "is a reserved (class E) address";
    // Loopback and link-local addresses reach nothing beyond the computer (or the cable),
    // unless that is where the adapter itself is.
    if (In(ip, 0x7F000000u, 8) && !In(adapterIp, 0x7F000000u, 8)) return "is a loopback address";
    if (In(ip, 0xA9FE0000u, 16) && !In(adapterIp, 0xA9FE0000u, 16))
        return "is a link-local address";
    // The subnet's own network and broadcast addresses belong to no device.
    if ((ip & ~mask) == 0) return "is the network address of " + SubnetText(ip, mask);
    if ((ip | mask) == ~0u) return "is the broadcast address of " + SubnetText(ip, mask);
    // Two devices on one address: this computer would lose its own camera network.
    if (adapterIp != 0 && ip == adapterIp) return "is the adapter's own address";
    return "";
}

std::string AddressRules::WhyNotMask(std::uint32_t mask) {
    const int prefix = PrefixLength(mask);
    // /0 is no subnet at all; /31 and /32 leave no room for a camera beside its gateway.
    if (prefix < 1 || prefix > 30)
        return "is /" + std::to_string(prefix) + "; a camera's mask is /1 to /30";
    return "";
}

}  // namespace orvex
