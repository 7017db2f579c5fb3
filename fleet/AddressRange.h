#pragma once
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace orvex {

// Hands out addresses from START[-END] in order, skipping every address in use and the
// network and broadcast addresses of the subnet the mask gives (the cameras' new subnet),
// so that no two devices share one. Without END the range ends below that broadcast
// address.
class AddressRange {
public:
    // Parses "START" or "START-END"; false with a one-line message.
    bool Parse(const std::string& text, const std::string& mask, std::string* error);
    // The next address of the range not in use; `own` (the camera's current address, when
    // it may keep it; null otherwise) is taken even so. False when the range has run out.
    bool Next(const std::set<std::uint32_t>& inUse, const std::uint32_t* own, std::string* address);
    std::string Text() const { return m_text; }

    // Host-order value of dotted text, read as every address option is (platform::ParseIpv4:
    // four numbers 0..255, no leading zeros); false otherwise.
    static bool Parse(const std::string& text, std::uint32_t* value);
    static std::string Dotted(std::uint32_t value);

private:
    std::string m_text;
    std::uint32_t m_next = 0;
    std::uint32_t m_last = 0;
    std::uint32_t m_mask = 0;  // 0: no subnet known
    bool m_done = false;
};

}  // namespace orvex
