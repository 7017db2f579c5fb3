#include "fleet/AddressRange.h"

#include <cstdio>

namespace orvex {

bool AddressRange::Parse(const std::string& text, std::uint32_t* value) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (text.size() > 15 || text.find_first_not_of("0123456789.") != std::string::npos ||
        std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 ||
        b > 255 || c > 255 || d > 255) {
        return false;
    }
    *value = a << 24 | b << 16 | c << 8 | d;
    return true;
}

std::string AddressRange::Dotted(std::uint32_t v) {
    return std::to_string(v >> 24) + "." + std::to_string(v >> 16 & 0xFF) + "." +
           std::to_string(v >> 8 & 0xFF) + "." + std::to_string(v & 0xFF);
}

bool AddressRange::Parse(const std::string& text, const std::string& mask, std::string* error) {
    m_text = text;
    const auto dash = text.find('-');
    const std::string start = text.substr(0, dash);
    std::uint32_t maskValue = 0;
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
    } else if (Parse(mask, &maskValue)) {
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
        if (inUse.count(candidate) != 0 && !(own && *own == candidate)) continue;
        *address = Dotted(candidate);
        return true;
    }
    return false;
}

}  // namespace orvex
