#include "fleet/SetPlanFile.h"

#include <json/json.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace orvex {
namespace {

constexpr std::size_t kMaxPlanBytes = 16 * 1024 * 1024;

// Columns that scan reports carry and a set leaves alone.
bool ReadOnly(const std::string& key) {
    static const char* const kKeys[] = {"mode",       "uid",        "version", "adapter",
                                        "adapterIp",  "adapter_ip", "subnet",  "otherSubnet",
                                        "mac_shared", "sharedMac"};
    return std::any_of(std::begin(kKeys), std::end(kKeys), [&](const char* k) { return key == k; });
}

int LineOf(const std::string& text, std::size_t offset) {
    return 1 + static_cast<int>(
                   std::count(text.begin(), text.begin() + std::min(offset, text.size()), '\n'));
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
        } else if (c == '\n') {
            ++pos;
            ++line;
            return true;
        } else if (c != '\r') {
            cells->back() += c;
        }
    }
    if (quoted) {
        *error = "a quoted cell is not closed";
        return false;
    }
    return true;
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
    return json ? ParseJson(text, name, rows, error) : ParseCsv(text, name, rows, error);
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
    const auto mac = std::find(header.begin(), header.end(), "mac");
    if (mac == header.end()) {
        *error = name + ": line 1: the header has no column 'mac'";
        return false;
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
        for (std::size_t c = 0; c < header.size(); ++c) {
            if (!SetField(header[c], cells[c], &row, error)) {
                *error = name + ": line " + std::to_string(at) + ": column '" + header[c] +
                         "': " + *error;
                return false;
            }
        }
        rows->push_back(row);
    }
    return true;
}

bool SetPlanFile::ParseJson(const std::string& text, const std::string& name,
                            std::vector<SetRequestRow>* rows, std::string* error) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = 64;
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
    for (const Json::Value& entry : *list) {
        const int at = LineOf(text, static_cast<std::size_t>(entry.getOffsetStart()));
        const std::string where = name + ": line " + std::to_string(at) + ": ";
        if (!entry.isObject()) {
            *error = where + "each camera is an object";
            return false;
        }
        SetRequestRow row;
        row.where = "plan line " + std::to_string(at);
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
            if (!SetField(key, value, &row, error)) {
                *error = where + "key '" + key + "': " + *error;
                return false;
            }
        }
        if (row.mac.empty()) {
            *error = where + "the camera has no \"mac\"";
            return false;
        }
        rows->push_back(row);
    }
    return true;
}

bool SetPlanFile::SetField(const std::string& key, const std::string& value, SetRequestRow* row,
                           std::string* error) {
    SettingsChange& c = row->change;
    if (key == "mac") {
        row->mac = value;
        if (SetPlanner::NormalMac(value).empty()) {
            *error = "'" + value + "' is not a MAC address";
            return false;
        }
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
        *error = "not a setting (ip mask gateway dns1 dns2 port network dhcp name)";
        return false;
    }
    return true;
}

}  // namespace orvex
