#include "fleet/AddressPool.h"

#include "fleet/AddressRules.h"

namespace orvex {

void AddressPool::SetAdapter(std::uint32_t ip) {
    m_adapter = ip;
    if (ip != 0) Take(ip);
}

bool AddressPool::TakeTemporary(std::uint32_t ip, std::uint32_t mask, std::uint32_t* free) {
    const std::uint32_t network = ip & mask;
    for (std::uint32_t candidate = (network | ~mask) - 1; candidate > network; --candidate) {
        if (Taken(candidate) || !AddressRules::WhyNotUsable(candidate, mask, m_adapter).empty())
            continue;
        Take(candidate);
        *free = candidate;
        return true;
    }
    return false;
}

}  // namespace orvex
