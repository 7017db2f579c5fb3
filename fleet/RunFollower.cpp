#include "fleet/RunFollower.h"

#include "fleet/AdapterScan.h"

namespace orvex {

RunFollower::RunFollower(AdapterScan* scan, AddressesInUse* inUse, const std::string& ip, int port,
                         int source)
    : m_scan(scan), m_inUse(inUse), m_ip(ip), m_port(port), m_source(source) {
    m_inUse->Claim(m_ip, m_port);
}

RunFollower::~RunFollower() {
    m_inUse->Release(m_ip, m_port);
}

bool RunFollower::FindCameraByMac(const std::string& mac, std::string* ip, int* port) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::string newIp;
    int newPort = 0;
    const auto others = [this](const std::string& candidateIp, int candidatePort) {
        return m_inUse->Contains(candidateIp, candidatePort);
    };
    if (m_scan && m_scan->FollowCamera(mac, m_ip, m_port, m_source, others, &newIp, &newPort)) {
        m_inUse->Move(m_ip, m_port, newIp, newPort);
        m_ip = newIp;
        m_port = newPort;
    }
    *ip = m_ip;
    *port = m_port;
    return true;
}

}  // namespace orvex
