#include "fleet/CameraSightings.h"

#include <algorithm>

#include "platform/TextUtil.h"

namespace orvex {

namespace {
constexpr std::size_t kSetRepliesKept = 16;
constexpr std::size_t kDevicesPerAddress = 16;
}

void CameraSightings::Watch(const std::string& mac) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_watched.try_emplace(mac);
}

void CameraSightings::WatchAddress(const std::string& ip) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_addresses.try_emplace(ip);
}

void CameraSightings::OnSearchReply(const DeviceRecord& record) {
    const std::string mac = MacText(record);
    std::lock_guard<std::mutex> guard(m_lock);
    bool news = false;
    const auto it = m_watched.find(mac);
    if (it != m_watched.end()) {
        it->second.seen = true;
        it->second.latest = {record, ++m_mark};
        news = true;
    }
    const auto at = m_addresses.empty()
                        ? m_addresses.end()
                        : m_addresses.find(platform::Trim(platform::FieldString(record.szIp)));
    if (at != m_addresses.end()) {
        auto& devices = at->second;
        if (devices.size() == kDevicesPerAddress && devices.count(mac) == 0) {
            devices.erase(std::min_element(devices.begin(), devices.end(), [](const auto& a, const auto& b) {
                return a.second < b.second;
            }));
        }
        devices[mac] = news ? m_mark : ++m_mark;
        news = true;
    }
    if (news) m_news.notify_all();
}

std::vector<std::string> CameraSightings::HeardAt(const std::string& ip, unsigned long after,
                                                  const std::string& except) {
    std::lock_guard<std::mutex> guard(m_lock);
    std::vector<std::string> macs;
    const auto at = m_addresses.find(ip);
    if (at == m_addresses.end()) return macs;
    for (const auto& [mac, heard] : at->second) {
        if (heard > after && mac != except) macs.push_back(mac);
    }
    return macs;
}

void CameraSightings::OnSetReply(const DeviceRecord& block, int code) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_watched.find(MacText(block));
    if (it == m_watched.end()) return;
    auto& replies = it->second.setReplies;
    if (replies.size() == kSetRepliesKept) replies.erase(replies.begin());
    replies.emplace_back(++m_mark, code);
    m_news.notify_all();
}

unsigned long CameraSightings::Mark() {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_mark;
}

bool CameraSightings::SetReplySince(const std::string& mac, unsigned long after, int* code,
                                    unsigned long* at) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_watched.find(mac);
    if (it == m_watched.end()) return false;
    for (const auto& [number, result] : it->second.setReplies) {
        if (number <= after) continue;
        *code = result;
        *at = number;
        return true;
    }
    return false;
}

bool CameraSightings::SeenSince(const std::string& mac, unsigned long after, DeviceRecord* record) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_watched.find(mac);
    if (it == m_watched.end() || !it->second.seen || it->second.latest.at <= after) return false;
    *record = it->second.latest.record;
    return true;
}

void CameraSightings::WaitNews(unsigned long after, std::chrono::milliseconds wait) {
    std::unique_lock<std::mutex> guard(m_lock);
    m_news.wait_for(guard, wait, [&] { return m_mark > after; });
}

}  // namespace orvex
