#pragma once
#include <string>

#include "onvif/OnvifSoap.h"

namespace orvex {

// What an ONVIF device says of itself.
struct OnvifIdentity {
    std::string manufacturer, model, firmware, serial, hardwareId;
};

// Its network settings: the first interface's, the default gateway, DNS and host name.
struct OnvifNetwork {
    std::string token;   // the interface's token, for SetNetworkInterfaces
    std::string mac;
    bool dhcp = false;
    std::string ip;
    int prefixLength = 0;
    std::string mask;    // from the prefix length
    std::string gateway;
    std::string dns1, dns2;
    bool dnsFromDhcp = false;
    std::string hostname;
};

// The device management service of one ONVIF device (SOAP 1.2): its clock (read without
// authentication, and the offset kept for signing every later request), identity and
// network settings; new network settings (with the reboot the device asks for), its clock
// set to this computer's UTC or to an NTP server, and a reboot. Every call says why it
// failed, a SOAP fault with its code and reason.
class OnvifDevice {
public:
    OnvifDevice(XAddr service, OnvifLogin login, int timeoutSeconds = 5);

    // GetSystemDateAndTime: the device's UTC time less this computer's, in seconds.
    bool ReadClock(long long* offsetSeconds, std::string* why);
    bool ReadIdentity(OnvifIdentity* identity, std::string* why);
    bool ReadNetwork(OnvifNetwork* network, std::string* why);
    // SetDNS and SetNetworkDefaultGateway, then SetNetworkInterfaces (fixed address or
    // DHCP) as `wanted` says; `rebootNeeded` as the device answers.
    bool WriteNetwork(const OnvifNetwork& wanted, bool* rebootNeeded, std::string* why);
    // SetSystemDateAndTime: this computer's UTC (manual), or NTP from `ntpServer`.
    bool WriteClock(const std::string& ntpServer, std::string* why);
    bool Reboot(std::string* why);

    OnvifSoap& Soap() { return m_soap; }
    // "255.255.255.0" for 24.
    static std::string MaskOf(int prefixLength);
    static int PrefixOf(const std::string& mask);

private:
    bool Call(const std::string& operation, const std::string& inner, bool authenticate,
              SoapReply* reply, std::string* why);

    OnvifSoap m_soap;
};

}  // namespace orvex
