#include "onvif/OnvifDevice.h"
#include "onvif/XmlText.h"

#include <arpa/inet.h>

#include <ctime>

namespace orvex {
namespace {

constexpr const char* kAction = "http://www.onvif.org/ver10/device/wsdl/";

std::string Element(const std::string& name, const std::string& inner) {
    return "<" + name + ">" + inner + "</" + name + ">";
}

// Seconds since the epoch of a UTC date and time.
long long EpochOf(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return static_cast<long long>(timegm(&t));
}

int Number(const std::string& text) {
    try {
        return std::stoi(text);
    } catch (...) {
        return -1;
    }
}

}  // namespace

OnvifDevice::OnvifDevice(XAddr service, OnvifLogin login, int timeoutSeconds)
    : m_soap(std::move(service), std::move(login), timeoutSeconds) {}

std::string OnvifDevice::MaskOf(int prefix) {
    const std::uint32_t bits = prefix <= 0 ? 0 : prefix >= 32 ? 0xFFFFFFFFu : ~((1u << (32 - prefix)) - 1);
    in_addr a{};
    a.s_addr = htonl(bits);
    char text[INET_ADDRSTRLEN];
    inet_ntop(AF_INET, &a, text, sizeof(text));
    return text;
}

int OnvifDevice::PrefixOf(const std::string& mask) {
    in_addr a{};
    if (inet_pton(AF_INET, mask.c_str(), &a) != 1) return -1;
    const std::uint32_t bits = ntohl(a.s_addr);
    int prefix = 0;
    while (prefix < 32 && (bits & (0x80000000u >> prefix))) ++prefix;
    return (prefix < 32 && (bits << prefix) != 0) ? -1 : prefix;  // not contiguous
}

bool OnvifDevice::Call(const std::string& operation, const std::string& inner, bool authenticate,
                       SoapReply* reply, std::string* why) {
    const std::string body = "<tds:" + operation + " xmlns:tds=\"" + OnvifSoap::kDeviceNs + "\" xmlns:tt=\"" +
                             OnvifSoap::kSchemaNs + "\">" + inner + "</tds:" + operation + ">";
    *reply = m_soap.Call(kAction + operation, body, authenticate);
    if (!reply->ok) *why = operation + ": " + reply->why;
    return reply->ok;
}

bool OnvifDevice::ReadClock(long long* offsetSeconds, std::string* why) {
    SoapReply r;
    if (!Call("GetSystemDateAndTime", "", false, &r, why)) return false;
    const std::string base = "SystemDateAndTime/UTCDateTime/";
    const int year = Number(r.Text(base + "Date/Year")), month = Number(r.Text(base + "Date/Month")),
              day = Number(r.Text(base + "Date/Day")), hour = Number(r.Text(base + "Time/Hour")),
              minute = Number(r.Text(base + "Time/Minute")), second = Number(r.Text(base + "Time/Second"));
    if (year < 1970 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60) {
        *why = "GetSystemDateAndTime: the device names no UTC date and time";
        return false;
    }
    *offsetSeconds = EpochOf(year, month, day, hour, minute, second) - static_cast<long long>(std::time(nullptr));
    m_soap.Login().clockOffset = *offsetSeconds;  // every later request is signed in its time
    return true;
}

bool OnvifDevice::ReadIdentity(OnvifIdentity* identity, std::string* why) {
    SoapReply r;
    if (!Call("GetDeviceInformation", "", true, &r, why)) return false;
    identity->manufacturer = r.Text("Manufacturer");
    identity->model = r.Text("Model");
    identity->firmware = r.Text("FirmwareVersion");
    identity->serial = r.Text("SerialNumber");
    identity->hardwareId = r.Text("HardwareId");
    return true;
}

bool OnvifDevice::ReadNetwork(OnvifNetwork* n, std::string* why) {
    SoapReply r;
    if (!Call("GetNetworkInterfaces", "", true, &r, why)) return false;
    const auto interfaces = r.All("NetworkInterfaces");
    if (interfaces.empty()) {
        *why = "GetNetworkInterfaces: the device names no interface";
        return false;
    }
    const auto* first = interfaces.front();
    n->token = SoapReply::AttributeOf(first, "token");
    n->mac = SoapReply::TextOf(first, "Info/HwAddress");
    n->dhcp = SoapReply::TextOf(first, "IPv4/Config/DHCP") == "true";
    const std::string from = n->dhcp ? "IPv4/Config/FromDHCP/" : "IPv4/Config/Manual/";
    n->ip = SoapReply::TextOf(first, from + "Address");
    n->prefixLength = Number(SoapReply::TextOf(first, from + "PrefixLength"));
    n->mask = n->prefixLength >= 0 ? MaskOf(n->prefixLength) : "";
    if (!Call("GetNetworkDefaultGateway", "", true, &r, why)) return false;
    n->gateway = r.Text("NetworkGateway/IPv4Address");
    if (!Call("GetDNS", "", true, &r, why)) return false;
    n->dnsFromDhcp = r.Text("DNSInformation/FromDHCP") == "true";
    const auto servers = r.All(n->dnsFromDhcp ? "DNSInformation/DNSFromDHCP/IPv4Address"
                                              : "DNSInformation/DNSManual/IPv4Address");
    n->dns1 = servers.size() > 0 ? SoapReply::TextOf(servers[0], "") : "";
    n->dns2 = servers.size() > 1 ? SoapReply::TextOf(servers[1], "") : "";
    if (!Call("GetHostname", "", true, &r, why)) return false;
    n->hostname = r.Text("HostnameInformation/Name");
    return true;
}

bool OnvifDevice::WriteNetwork(const OnvifNetwork& w, bool* rebootNeeded, std::string* why) {
    const std::string ipv4 =
        Element("tt:Enabled", "true") +
        (w.dhcp ? Element("tt:DHCP", "true")
                : Element("tt:Manual", Element("tt:Address", XmlText::Escaped(w.ip)) +
                                           Element("tt:PrefixLength", std::to_string(PrefixOf(w.mask)))) +
                      Element("tt:DHCP", "false"));
    // The DNS and the gateway first: a device may leave its old address as soon as it has
    // taken the interface, and nothing could be sent to it there after that.
    SoapReply r;
    std::string manual;
    for (const std::string* dns : {&w.dns1, &w.dns2}) {
        if (!dns->empty())
            manual += Element("tds:DNSManual", Element("tt:Type", "IPv4") + Element("tt:IPv4Address", XmlText::Escaped(*dns)));
    }
    if (!w.dhcp && !manual.empty() &&
        !Call("SetDNS", Element("tds:FromDHCP", "false") + manual, true, &r, why))
        return false;
    if (!w.dhcp && !Call("SetNetworkDefaultGateway", Element("tds:IPv4Address", XmlText::Escaped(w.gateway)), true, &r, why))
        return false;
    if (!Call("SetNetworkInterfaces",
              Element("tds:InterfaceToken", XmlText::Escaped(w.token)) +
                  Element("tds:NetworkInterface", Element("tt:Enabled", "true") + Element("tt:IPv4", ipv4)),
              true, &r, why))
        return false;
    *rebootNeeded = r.Text("RebootNeeded") == "true";
    return true;
}

bool OnvifDevice::WriteClock(const std::string& ntpServer, std::string* why) {
    SoapReply r;
    if (!ntpServer.empty()) {
        if (!Call("SetNTP",
                  Element("tds:FromDHCP", "false") +
                      Element("tds:NTPManual", Element("tt:Type", "IPv4") + Element("tt:IPv4Address", XmlText::Escaped(ntpServer))),
                  true, &r, why))
            return false;
        return Call("SetSystemDateAndTime",
                    Element("tds:DateTimeType", "NTP") + Element("tds:DaylightSavings", "false"), true, &r, why);
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    const std::string date = Element("tt:Year", std::to_string(utc.tm_year + 1900)) +
                             Element("tt:Month", std::to_string(utc.tm_mon + 1)) +
                             Element("tt:Day", std::to_string(utc.tm_mday));
    const std::string time = Element("tt:Hour", std::to_string(utc.tm_hour)) +
                             Element("tt:Minute", std::to_string(utc.tm_min)) +
                             Element("tt:Second", std::to_string(utc.tm_sec));
    return Call("SetSystemDateAndTime",
                Element("tds:DateTimeType", "Manual") + Element("tds:DaylightSavings", "false") +
                    Element("tds:UTCDateTime", Element("tt:Date", date) + Element("tt:Time", time)),
                true, &r, why);
}

bool OnvifDevice::Reboot(std::string* why) {
    SoapReply r;
    return Call("SystemReboot", "", true, &r, why);
}

}  // namespace orvex
