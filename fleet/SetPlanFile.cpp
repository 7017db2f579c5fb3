#include "fleet/SetPlanFile.h"

#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "fleet/AddressRange.h"
#include "fleet/CameraName.h"
#include "fleet/MixedPlanCheck.h"
#include "fleet/OnvifBatch.h"

namespace orvex {
namespace {

constexpr std::size_t kMaxPlanBytes = 16 * 1024 * 1024;

// Columns that scan reports carry and a set leaves alone.
bool ReadOnly(const std::string& key) {
    static const char* const kKeys[] = {"mode",       "uid",        "version",      "adapter",
                                        "adapterIp",  "adapter_ip", "subnet",       "otherSubnet",
                                        "mac_shared", "sharedMac",  "other_subnet", "shared_mac",
                                        "protocol",   "endpoint",   "xaddrs",       "xaddr_ip",
                                        "hardware",   "location",   "types"};
    return std::any_of(std::begin(kKeys), std::end(kKeys), [&](const char* k) { return key == k; });
}

// One CSV record (RFC 4180 quoting) starting at `pos`; advances `pos` and `line`.
bool CsvRecord(const std::string& text, std::size_t& pos, int& line,
               std::vector<std::string>* cells, std::string* error) {
    cells->assign(1, "");
    bool quoted = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (quoted) {
            if (c == '"' && pos + 1 < text.size() && text[pos + 1] == '"') {
                cells->back() += '"';
                ++pos;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                cells->back() += c;
            }
        } else if (c == '"' && cells->back().empty()) {
            quoted = true;
        } else if (c == ',') {
            cells->emplace_back();
        } else if (c == '\n' || c == '\r') {
            // CR LF, LF, or a CR alone (an old spreadsheet's line end).
            pos += c == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
            ++line;
            return true;
        } else {
            cells->back() += c;
        }
    }
    if (quoted) {
        *error = "a quoted cell is not closed";
        return false;
    }
    return true;
}

bool HasCell(const std::vector<std::pair<std::string, std::string>>& cells, const std::string& key,
             bool (*test)(const std::string&)) {
    return std::any_of(cells.begin(), cells.end(),
                       [&](const auto& cell) { return cell.first == key && test(cell.second); });
}

bool IsOnvif(const std::string& protocol) { return protocol == "onvif"; }
bool NotEmptyText(const std::string& text) { return !text.empty(); }

// A scan report's row of an ONVIF camera that names no device service to change: left alone.
bool ScannedOnvifRow(const std::vector<std::pair<std::string, std::string>>& cells) {
    return HasCell(cells, "protocol", IsOnvif) && !HasCell(cells, "host", NotEmptyText);
}

}  // namespace

bool SetPlanFile::Read(const std::string& path, std::vector<SetRequestRow>* rows,
                       std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read the plan " + path;
        return false;
    }
    std::string text(kMaxPlanBytes + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxPlanBytes) {
        *error = path + ": a plan is at most 16 MiB";
        return false;
    }
    return Parse(text, path, rows, error);
}

bool SetPlanFile::Parse(const std::string& input, const std::string& name,
                        std::vector<SetRequestRow>* rows, std::string* error) {
    std::string text = input;
    if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.erase(0, 3);  // a spreadsheet's BOM
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        *error = name + ": the plan is empty";
        return false;
    }
    rows->clear();
    const bool json = text[first] == '{' || text[first] == '[';
    if (!(json ? ParseJson(text, name, rows, error) : ParseCsv(text, name, rows, error))) return false;
    return MixedPlanCheck::Check(*rows, error);
}

bool SetPlanFile::ParseCsv(const std::string& text, const std::string& name,
                           std::vector<SetRequestRow>* rows, std::string* error) {
    std::size_t pos = 0;
    int line = 1;
    std::vector<std::string> header, cells;
    if (!CsvRecord(text, pos, line, &header, error)) {
        *error = name + ": line 1: " + *error;
        return false;
    }
    if (std::find(header.begin(), header.end(), "mac") == header.end() &&
        std::find(header.begin(), header.end(), "host") == header.end()) {
        *error = name + ": line 1: the header has no column 'mac' (nor 'host' for ONVIF cameras)";
        return false;
    }
    for (std::size_t c = 0; c < header.size(); ++c) {
        if (std::find(header.begin(), header.begin() + c, header[c]) != header.begin() + c) {
            *error = name + ": line 1: column '" + header[c] + "' is given twice";
            return false;
        }
    }
    while (pos < text.size()) {
        const int at = line;
        if (!CsvRecord(text, pos, line, &cells, error)) {
            *error = name + ": line " + std::to_string(at) + ": " + *error;
            return false;
        }
        if (cells.size() == 1 && cells[0].empty()) continue;  // a blank line
        if (cells.size() != header.size()) {
            *error = name + ": line " + std::to_string(at) + ": " + std::to_string(cells.size()) +
                     " cells, the header has " + std::to_string(header.size());
            return false;
        }
        SetRequestRow row;
        row.where = "plan line " + std::to_string(at);
        Cells named;
        for (std::size_t c = 0; c < header.size(); ++c) named.emplace_back(header[c], cells[c]);
        if (ScannedOnvifRow(named)) continue;
        std::string key;
        if (!Fill(named, &row, &key, error)) {
            *error = name + ": line " + std::to_string(at) + ": column '" + key + "': " + *error;
            return false;
        }
        rows->push_back(row);
    }
    return NotEmpty(*rows, name, error);
}

bool SetPlanFile::ParseJson(const std::string& text, const std::string& name,
                            std::vector<SetRequestRow>* rows, std::string* error) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = 64;
    builder["rejectDupKeys"] = true;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value document;
    std::string errors;
    bool parsed = false;
    try {
        parsed = reader->parse(text.data(), text.data() + text.size(), &document, &errors);
    } catch (const Json::Exception& e) {
        errors = e.what();  // nested deeper than a plan ever is
    }
    if (!parsed) {
        const auto nl = errors.find('\n');
        *error = name + ": not a JSON document: " + errors.substr(0, nl);
        return false;
    }
    const Json::Value* list = &document;
    if (document.isObject()) list = &document["cameras"];
    if (!list->isArray()) {
        *error = name + ": line 1: the plan needs an array of cameras (or \"cameras\": [...])";
        return false;
    }
    std::size_t counted = 0;  // line ends before `counted` are in `at`
    int at = 1;
    for (const Json::Value& entry : *list) {
        const auto offset = std::min(static_cast<std::size_t>(entry.getOffsetStart()), text.size());
        if (offset > counted) {
            at += static_cast<int>(std::count(text.begin() + counted, text.begin() + offset, '\n'));
            counted = offset;
        }
        const std::string where = name + ": line " + std::to_string(at) + ": ";
        if (!entry.isObject()) {
            *error = where + "each camera is an object";
            return false;
        }
        if (entry["protocol"].isString() && entry["protocol"].asString() == "onvif" &&
            !(entry["host"].isString() && !entry["host"].asString().empty()))
            continue;
        SetRequestRow row;
        row.where = "plan line " + std::to_string(at);
        Cells named;
        for (const std::string& key : entry.getMemberNames()) {
            const Json::Value& v = entry[key];
            std::string value;
            if (v.isString()) {
                value = v.asString();
            } else if (v.isIntegral() && !v.isBool()) {
                value = v.asString();
            } else if (v.isBool() && (key == "dhcp" || ReadOnly(key))) {
                value = v.asBool() ? "on" : "off";
            } else {
                *error = where + "key '" + key + "': a text or a number is needed";
                return false;
            }
            named.emplace_back(key, value);
        }
        std::string key;
        if (!Fill(named, &row, &key, error)) {
            *error = where + "key '" + key + "': " + *error;
            return false;
        }
        if (row.mac.empty() && row.onvifHost.empty()) {
            *error = where + "the camera has no \"mac\"";
            return false;
        }
        rows->push_back(row);
    }
    return NotEmpty(*rows, name, error);
}

bool SetPlanFile::Fill(const Cells& cells, SetRequestRow* row, std::string* key,
                       std::string* error) {
    row->fromPlan = true;
    // The device service first (a row naming one may leave its MAC out), and the name's
    // bytes, when given, over its readable text, whatever the order.
    const auto pass = [](const std::string& name) { return name == "host" ? 0 : name == "name_hex" ? 2 : 1; };
    for (int p = 0; p < 3; ++p) {
        for (const auto& [name, value] : cells) {
            if (pass(name) != p) continue;
            *key = name;
            if (!SetField(name, value, row, error)) return false;
        }
    }
    if (!row->onvifHost.empty() && !HasCell(cells, "protocol", IsOnvif)) {
        *key = "host";
        *error = "names an ONVIF camera's device service: the row needs protocol onvif";
        return false;
    }
    return true;
}

bool SetPlanFile::NotEmpty(const std::vector<SetRequestRow>& rows, const std::string& name,
                           std::string* error) {
    if (!rows.empty()) return true;
    *error = name + ": line 1: the plan names no camera";
    return false;
}

bool SetPlanFile::SetField(const std::string& key, const std::string& value, SetRequestRow* row,
                           std::string* error) {
    SettingsChange& c = row->change;
    if (key == "mac") {
        row->mac = value;
        if (SetPlanner::NormalMac(value).empty() && !(value.empty() && !row->onvifHost.empty())) {
            *error = "'" + value + "' is not a MAC address";
            return false;
        }
    } else if (key == "host") {
        OnvifTarget target;
        if (!value.empty() && !OnvifTarget::Parse(value, &target)) {
            *error = "'" + value + "' is not an IPv4 address (and :PORT)";
            return false;
        }
        row->onvifHost = value;
    } else if (key == "ip") {
        c.ip = value;
    } else if (key == "mask") {
        c.mask = value;
    } else if (key == "gateway") {
        c.gateway = value;
    } else if (key == "dns1") {
        c.dns1 = value;
    } else if (key == "dns2") {
        c.dns2 = value;
    } else if (key == "name") {
        c.name = value;
    } else if (key == "name_hex") {
        std::string bytes;
        if (!CameraName::FromHex(value, &bytes)) {
            *error = "'" + value + "' is not the name's bytes in hex";
            return false;
        }
        if (!value.empty()) c.name = bytes;  // empty: the name is its text
    } else if (key == "ip_now") {
        std::uint32_t ignored = 0;
        if (!AddressRange::Parse(value, &ignored)) {
            *error = "'" + value + "' is not an IPv4 address";
            return false;
        }
        row->ipNow = value;
    } else if (key == "port") {
        const bool digits = !value.empty() && value.size() <= 5 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        const int port = digits ? std::stoi(value) : 0;
        if (port < 1 || port > 65535) {
            *error = "'" + value + "' is not a port (1 to 65535)";
            return false;
        }
        c.port = port;
    } else if (key == "network" || key == "dhcp") {
        int mode = 0;
        if (!NetSettings::ParseNetwork(value, &mode)) {
            *error = "'" + value + "' is not fixed, dynamic, on or off";
            return false;
        }
        c.netMode = mode;
    } else if (!ReadOnly(key)) {
        *error = "not a setting (ip mask gateway dns1 dns2 port network dhcp name name_hex ip_now host)";
        return false;
    }
    return true;
}

}  // namespace orvex
