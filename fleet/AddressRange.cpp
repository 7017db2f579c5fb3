#include "fleet/AddressRange.h"

#include <arpa/inet.h>

#include "fleet/AddressRules.h"
#include "platform/UdpSocket.h"

namespace orvex {

bool AddressRange::Parse(const std::string& text, std::uint32_t* value) {
    in_addr_t address = 0;
    if (!platform::ParseIpv4(text, &address)) return false;
    *value = ntohl(address);
    return true;
}

std::string AddressRange::Dotted(std::uint32_t value) {
    return platform::FormatIpv4(htonl(value));
}

bool AddressRange::Parse(const std::string& text, const std::string& mask, std::string* error) {
    m_text = text;
    const auto dash = text.find('-');
    const std::string start = text.substr(0, dash);
    std::uint32_t maskValue = 0;
    if (Parse(mask, &maskValue)) m_mask = maskValue;
    if (!Parse(start, &m_next)) {
        *error = "--ip-range: '" + start + "' is not an IPv4 address";
        return false;
    }
    if (dash != std::string::npos) {
        if (!Parse(text.substr(dash + 1), &m_last)) {
            *error = "--ip-range: '" + text.substr(dash + 1) + "' is not an IPv4 address";
            return false;
        }
        if (m_last < m_next) {
            *error = "--ip-range: " + text + " ends before it starts";
            return false;
        }
    } else if (m_mask != 0) {
        m_last = (m_next | ~maskValue) - 1;  // below the subnet's broadcast address
        if (m_last < m_next) {
            *error = "--ip-range: " + start + " is the broadcast address of its subnet";
            return false;
        }
    } else {
        *error = "--ip-range " + start + " needs an END or the cameras' mask";
        return false;
    }
    return true;
}

bool AddressRange::Next(const std::set<std::uint32_t>& inUse, const std::uint32_t* own,
                        std::string* address) {
    while (!m_done && m_next <= m_last) {
        const std::uint32_t candidate = m_next;
        if (m_next == m_last) {
            m_done = true;  // no wrap past 255.255.255.255
        } else {
            ++m_next;
        }
        if (m_mask != 0 && AddressRules::IsSubnetEdge(candidate, m_mask)) continue;
        if (inUse.count(candidate) != 0 && !(own && *own == candidate)) continue;
        *address = Dotted(candidate);
        return true;
    }
    return false;
}

}  // namespace orvex
