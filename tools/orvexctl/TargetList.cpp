#include "tools/orvexctl/TargetList.h"

#include <arpa/inet.h>

#include <fstream>
#include <set>

#include "platform/TextUtil.h"
#include "tools/orvexctl/CommandLine.h"

namespace orvexctl {
namespace {

// The address as the connection reads it ("010.1" and "8.0.0.1" are one), names as typed.
std::string AddressKey(const std::string& host) {
    in_addr address{};
    if (inet_aton(host.c_str(), &address) == 0) return host;
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address, text, sizeof(text));
    return text;
}

}  // namespace

bool TargetList::AddHost(const std::string& text, std::string* error) {
    const std::string entry = platform::Trim(text);
    const auto colon = entry.rfind(':');
    orvex::UpgradeTarget target;
    target.host = colon == std::string::npos ? entry : entry.substr(0, colon);
    long port = m_port;
    if (colon != std::string::npos && !ParseInteger(entry.substr(colon + 1), 1, 65535, &port)) {
        *error = "the port of '" + entry + "' must be 1 to 65535";
        return false;
    }
    if (target.host.empty()) {
        *error = "a target needs a host, got '" + entry + "'";
        return false;
    }
    target.port = static_cast<int>(port);
    m_targets.push_back(target);
    return true;
}

bool TargetList::AddFile(const std::string& path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        const std::string entry = platform::Trim(line);
        if (entry.empty() || entry[0] == '#') continue;
        if (!AddHost(entry, error)) {
            *error = path + ":" + std::to_string(number) + ": " + *error;
            return false;
        }
    }
    return true;
}

void TargetList::AddScanned(const std::vector<orvex::ScannedCamera>& cameras) {
    for (const orvex::ScannedCamera& camera : cameras) {
        orvex::UpgradeTarget target;
        target.host = platform::Trim(platform::FieldString(camera.record.szIp));
        target.port = camera.record.wPort;
        m_targets.push_back(target);
    }
}

void TargetList::FillFromScan(const std::vector<orvex::ScannedCamera>& cameras) {
    for (orvex::UpgradeTarget& target : m_targets) {
        for (const orvex::ScannedCamera& camera : cameras) {
            if (AddressKey(platform::Trim(platform::FieldString(camera.record.szIp))) ==
                    AddressKey(target.host) &&
                camera.record.wPort == target.port) {
                target.mac = orvex::MacText(camera.record);
                target.netMode = camera.record.byNetMode;
                target.source = static_cast<int>(camera.source);
                break;  // the first source that heard it, as the scan lists it
            }
        }
    }
}

std::vector<orvex::UpgradeTarget> TargetList::Unique(std::vector<std::string>* duplicates) const {
    std::vector<orvex::UpgradeTarget> unique;
    std::set<std::pair<std::string, int>> seen;
    for (const orvex::UpgradeTarget& target : m_targets) {
        if (seen.insert({AddressKey(target.host), target.port}).second) {
            unique.push_back(target);
        } else if (duplicates) {
            duplicates->push_back(target.host + ":" + std::to_string(target.port));
        }
    }
    return unique;
}

}  // namespace orvexctl
