#include "fleet/JournalUndo.h"

#include <algorithm>

#include "fleet/CameraReport.h"
#include "fleet/JsonText.h"

namespace orvex {
namespace {

// The fields of a set a plan can give, in the order a scan report has them.
const char* const kFields[] = {"name", "name_hex", "ip",   "port",   "mask",
                               "gateway", "dns1", "dns2", "network"};

std::string Text(const Json::Value& object, const char* key) {
    const Json::Value& v = object.isObject() ? object[key] : Json::Value::nullSingleton();
    return v.isString() ? v.asString() : "";
}

}  // namespace

void JournalUndo::Add(const Json::Value& change, bool chosen) {
    const std::string mac = Text(change, "mac");
    if (mac.empty()) return;
    const std::string action = Text(change, "action");
    const Json::Value& changes = change.isObject() ? change["changes"] : Json::Value::nullSingleton();
    const std::string result = Text(change, "result");
    const bool taken = result == "verified" || result == "success";
    const auto known = m_cameras.find(mac);
    if (!chosen && known == m_cameras.end()) return;  // never to be undone: nothing to follow
    Camera& camera = m_cameras[mac];
    if (chosen && known == m_cameras.end()) m_order.push_back(mac);
    // Where the camera is after this change, as far as the journal can tell.
    const std::string movedTo = changes.isObject() ? Text(changes["ip"], "new") : "";
    camera.ipNow = taken && !movedTo.empty() ? movedTo : Text(change, "ip");
    if (!chosen) return;
    if (action == "upgrade") {
        ++m_firmware;
        return;
    }
    if (action != "set" || !changes.isObject()) return;
    for (const char* field : kFields) {
        const Json::Value& d = changes[field];
        if (!d.isObject() || !d["old"].isString() || camera.before.count(field) != 0) continue;
        camera.before[field] = d["old"].asString();
        if (std::string(field) == "name" && !Text(d, "old_hex").empty())
            camera.before["name_hex"] = Text(d, "old_hex");
    }
}

bool JournalUndo::Empty() const {
    return std::none_of(m_order.begin(), m_order.end(),
                        [this](const std::string& mac) { return !m_cameras.at(mac).before.empty(); });
}

std::string JournalUndo::Json() const {
    Json::Value document(Json::objectValue);
    Json::Value& list = document["cameras"] = Json::Value(Json::arrayValue);
    for (const std::string& mac : m_order) {
        const Camera& camera = m_cameras.at(mac);
        if (camera.before.empty()) continue;
        Json::Value row(Json::objectValue);
        row["mac"] = mac;
        if (!camera.ipNow.empty()) row["ip_now"] = camera.ipNow;
        for (const auto& [field, value] : camera.before) row[field] = value;
        list.append(row);
    }
    return JsonText(document);
}

bool JournalUndo::Csv(std::string* text, std::string* error) const {
    std::vector<std::string> columns = {"mac", "ip_now"};
    const Camera* first = nullptr;
    for (const std::string& mac : m_order) {
        const Camera& camera = m_cameras.at(mac);
        if (camera.before.empty()) continue;
        if (!first) first = &camera;
        std::vector<std::string> a, b;
        for (const auto& field : camera.before) a.push_back(field.first);
        for (const auto& field : first->before) b.push_back(field.first);
        if (a != b) {
            *error = "the cameras' changes differ in their fields; write the plan as JSON (a "
                     ".json file)";
            return false;
        }
    }
    if (first) {
        for (const char* field : kFields)
            if (first->before.count(field) != 0) columns.push_back(field);
    }
    *text = CameraReport::CsvRow(columns);
    for (const std::string& mac : m_order) {
        const Camera& camera = m_cameras.at(mac);
        if (camera.before.empty()) continue;
        std::vector<std::string> cells = {mac, camera.ipNow};
        for (std::size_t c = 2; c < columns.size(); ++c) cells.push_back(camera.before.at(columns[c]));
        *text += CameraReport::CsvRow(cells);
    }
    return true;
}

}  // namespace orvex
