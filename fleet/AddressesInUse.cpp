#include "fleet/AddressesInUse.h"

namespace orvex {

void AddressesInUse::Claim(const std::string& ip, int port) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_addresses.insert({ip, port});
}

void AddressesInUse::Release(const std::string& ip, int port) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_addresses.find({ip, port});
    if (it != m_addresses.end()) m_addresses.erase(it);
}

void AddressesInUse::Move(const std::string& fromIp, int fromPort, const std::string& toIp,
                          int toPort) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_addresses.find({fromIp, fromPort});
    if (it != m_addresses.end()) m_addresses.erase(it);
    m_addresses.insert({toIp, toPort});
}

bool AddressesInUse::Contains(const std::string& ip, int port) {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_addresses.count({ip, port}) != 0;
}

}  // namespace orvex
