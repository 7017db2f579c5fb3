#pragma once
#include <cstdint>
#include <string>

namespace orvex {

// Which addresses and masks a camera can be given without cutting it (or its site) off:
// host-order values in, a reason out ("" when sound).
class AddressRules {
public:
    // Why `ip` in the subnet `mask` cannot be a camera's own address on the network of the
    // adapter `adapterIp` (0: not known): "is a multicast address", "is the network
    // address of 10.0.0.0/24" ...
    static std::string WhyNotUsable(std::uint32_t ip, std::uint32_t mask, std::uint32_t adapterIp);
    // Why a contiguous mask cannot be a camera's: "is /31; a camera's mask is /1 to /30".
    static std::string WhyNotMask(std::uint32_t mask);
    // The number of leading ones (a contiguous mask).
    static int PrefixLength(std::uint32_t mask);
    // "10.0.0.0/24".
    static std::string SubnetText(std::uint32_t ip, std::uint32_t mask);
    // The network and broadcast address of the subnet: no device may hold them.
    static bool IsSubnetEdge(std::uint32_t ip, std::uint32_t mask);
};

}  // namespace orvex
