#pragma once
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace orvex {

// The camera addresses the runs of a batch are using, so that no run follows a camera to
// an address another run is working on. Thread-safe.
class AddressesInUse {
public:
    void Claim(const std::string& ip, int port);
    void Release(const std::string& ip, int port);
    // Moves a claim from one address to another.
    void Move(const std::string& fromIp, int fromPort, const std::string& toIp, int toPort);
    bool Contains(const std::string& ip, int port);

private:
    std::mutex m_lock;
    std::multiset<std::pair<std::string, int>> m_addresses;
};

}  // namespace orvex
