#include "fleet/CameraSightings.h"

namespace orvex {

namespace {
constexpr std::size_t kSetRepliesKept = 16;
}

void CameraSightings::Watch(const std::string& mac) {
    std::lock_guard<std::mutex> guard(m_lock);
    m_watched.try_emplace(mac);
}

void CameraSightings::OnSearchReply(const DeviceRecord& record) {
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_watched.find(MacText(record));
    if (it == m_watched.end()) return;
    it->second.seen = true;
    it->second.latest = {record, ++m_mark};
    m_news.notify_all();
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
