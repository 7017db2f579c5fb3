#pragma once
#include <cstdint>
#include <set>

namespace orvex {

// The addresses a set may not hand out: those scanned cameras hold, those the plan hands
// out, the adapters', the plan's gateways and DNS servers. Host-order values.
class AddressPool {
public:
    void Take(std::uint32_t ip) { m_taken.insert(ip); }
    bool Taken(std::uint32_t ip) const { return m_taken.count(ip) != 0; }
    const std::set<std::uint32_t>& InUse() const { return m_taken; }
    // The adapter the cameras are set through (0: not known); its address is taken too.
    void SetAdapter(std::uint32_t ip);
    std::uint32_t Adapter() const { return m_adapter; }
    // Takes the highest free address of the subnet of `ip`/`mask` that a camera may have
    // (searching down from below its broadcast address); false when there is none.
    bool TakeTemporary(std::uint32_t ip, std::uint32_t mask, std::uint32_t* free);

private:
    std::set<std::uint32_t> m_taken;
    std::uint32_t m_adapter = 0;
};

}  // namespace orvex
