#include "fleet/JournalPairs.h"

namespace orvex {
namespace {

constexpr std::size_t kMaxWaiting = 100000;

std::string Text(const Json::Value& entry, const char* key) {
    const Json::Value& v = entry[key];
    return v.isString() ? v.asString() : "";
}

}  // namespace

void JournalPairs::EmitUnanswered(std::list<Json::Value>::iterator it) {
    Json::Value change = std::move(*it);
    change.removeMember("phase");
    change["result"] = kNoResult;
    m_byId.erase(Text(change, "id"));
    m_waiting.erase(it);
    m_emit(change);
}

void JournalPairs::Add(Json::Value entry) {
    const std::string phase = Text(entry, "phase");
    const std::string id = Text(entry, "id");
    if (phase == "sent" && !id.empty()) {
        if (m_byId.count(id) != 0) EmitUnanswered(m_byId[id]);
        m_waiting.push_back(std::move(entry));
        m_byId[id] = std::prev(m_waiting.end());
        if (m_waiting.size() > kMaxWaiting) EmitUnanswered(m_waiting.begin());
        return;
    }
    const auto sent = phase == "result" ? m_byId.find(id) : m_byId.end();
    if (sent == m_byId.end()) {
        if (entry.isMember("phase")) entry.removeMember("phase");
        m_emit(entry);
        return;
    }
    Json::Value change = std::move(*sent->second);
    change.removeMember("phase");
    for (const std::string& key : entry.getMemberNames()) {
        if (key.rfind("result", 0) == 0 || key == "ip_after" || key == "firmware")
            change[key] = entry[key];
    }
    change["result_time"] = entry["time"];
    m_waiting.erase(sent->second);
    m_byId.erase(sent);
    m_emit(change);
}

void JournalPairs::Finish() {
    while (!m_waiting.empty()) EmitUnanswered(m_waiting.begin());
}

}  // namespace orvex
