#include "fleet/NetSettings.h"

#include "fleet/CameraName.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

using platform::CodePage;

// An address field in UTF-8; plain ASCII (nearly every field) needs no conversion, as
// every character set a locale uses keeps ASCII as it is.
template <std::size_t N>
std::string Text(const char (&field)[N]) {
    const std::string bytes = platform::FieldString(field);
    for (const char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return platform::Trim(CodePage::WideToUtf8(CodePage::FieldToWide(field, N)));
    }
    return platform::Trim(bytes);
}

template <std::size_t N>
void PutAddress(char (&field)[N], const std::string& text) {
    CodePage::WriteField(field, N, CodePage::Utf8ToWide(text));
}

}  // namespace

NetSettings NetSettings::Of(const DeviceRecord& r) {
    NetSettings s;
    s.ip = Text(r.szIp);
    s.mask = Text(r.szSubMask);
    s.gateway = Text(r.szGateway);
    s.dns1 = Text(r.szPrimaryDns);
    s.dns2 = Text(r.szSecondaryDns);
    s.port = r.wPort;
    s.netMode = r.byNetMode;
    s.name = platform::Trim(platform::FieldString(r.szName));
    return s;
}

void NetSettings::WriteChanges(const NetSettings& before, DeviceRecord& block) const {
    if (ip != before.ip) PutAddress(block.szIp, ip);
    if (mask != before.mask) PutAddress(block.szSubMask, mask);
    if (gateway != before.gateway) PutAddress(block.szGateway, gateway);
    if (dns1 != before.dns1) PutAddress(block.szPrimaryDns, dns1);
    if (dns2 != before.dns2) PutAddress(block.szSecondaryDns, dns2);
    if (port != before.port) block.wPort = static_cast<std::uint16_t>(port);
    if (netMode != before.netMode) block.byNetMode = static_cast<std::uint8_t>(netMode);
    if (name != before.name) platform::PutFieldString(block.szName, name);
}

std::vector<SettingDifference> NetSettings::Differences(const NetSettings& a,
                                                        const NetSettings& b) {
    std::vector<SettingDifference> out;
    const auto add = [&out](const char* key, const std::string& x, const std::string& y) {
        if (x != y) out.push_back({key, x, y});
    };
    add("ip", a.ip, b.ip);
    add("mask", a.mask, b.mask);
    add("gateway", a.gateway, b.gateway);
    add("dns1", a.dns1, b.dns1);
    add("dns2", a.dns2, b.dns2);
    add("port", std::to_string(a.port), std::to_string(b.port));
    add("network", NetworkText(a.netMode), NetworkText(b.netMode));
    add("name", CameraName::Readable(a.name), CameraName::Readable(b.name));
    if (a.name != b.name && CameraName::Readable(a.name) == CameraName::Readable(b.name))
        out.push_back({"name_hex", CameraName::HexUnlessUtf8(a.name), CameraName::HexUnlessUtf8(b.name)});
    return out;
}

bool NetSettings::Shows(const NetSettings& asked) const {
    if (port != asked.port || netMode != asked.netMode || name != asked.name) return false;
    if (asked.netMode == 1) return true;
    return ip == asked.ip && mask == asked.mask && gateway == asked.gateway && dns1 == asked.dns1 &&
           dns2 == asked.dns2;
}

std::string NetSettings::NetworkText(int netMode) {
    return netMode == 0 ? "fixed" : netMode == 1 ? "dynamic" : std::to_string(netMode);
}

bool NetSettings::ParseNetwork(const std::string& text, int* netMode) {
    if (text == "fixed" || text == "off") {
        *netMode = 0;
    } else if (text == "dynamic" || text == "on") {
        *netMode = 1;
    } else {
        // Another mode a scan reported as its number goes back as it was.
        if (text.empty() || text.size() > 3 ||
            text.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int n = std::stoi(text);
        if (n > 255) return false;
        *netMode = n;
    }
    return true;
}

}  // namespace orvex
