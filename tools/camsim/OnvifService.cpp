#include "tools/camsim/OnvifService.h"

#include <arpa/inet.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "onvif/HttpDigest.h"
#include "onvif/OnvifDevice.h"
#include "onvif/UsernameToken.h"

namespace camsim {
namespace {

constexpr long long kCreatedWindow = 300;  // seconds a UsernameToken may be off the camera's clock
constexpr const char* kRealm = "OrvexSim";

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

// The first element named `name` under `node` (depth first), whatever its namespace.
const xmlNode* Find(const xmlNode* node, const char* name) {
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) continue;
        if (std::strcmp(reinterpret_cast<const char*>(c->name), name) == 0) return c;
        if (const xmlNode* deeper = Find(c, name)) return deeper;
    }
    return nullptr;
}

std::string Text(const xmlNode* node) {
    if (!node) return "";
    xmlChar* t = xmlNodeGetContent(node);
    std::string s = t ? reinterpret_cast<const char*>(t) : "";
    xmlFree(t);
    return s;
}

std::string Decoded(const std::string& base64) {
    std::string out(base64.size(), '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(base64.data()), static_cast<int>(base64.size()));
    if (n < 0) return "";
    out.resize(static_cast<std::size_t>(n));
    std::size_t pad = 0;
    for (auto it = base64.rbegin(); it != base64.rend() && *it == '='; ++it) ++pad;
    out.resize(out.size() - std::min(pad, out.size()));
    return out;
}

long long Parse8601(const std::string& text) {
    std::tm t{};
    if (!strptime(text.c_str(), "%Y-%m-%dT%H:%M:%S", &t)) return -1;
    return static_cast<long long>(timegm(&t));
}

std::string Envelope(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope "
           "xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
           "xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" "
           "xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
           "xmlns:ter=\"http://www.onvif.org/ver10/error\" "
           "xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\"><s:Body>" + body + "</s:Body></s:Envelope>";
}

std::string Fault(const std::string& code, const std::string& subcode, const std::string& reason) {
    return Envelope("<s:Fault><s:Code><s:Value>" + code + "</s:Value><s:Subcode><s:Value>" + subcode +
                    "</s:Value></s:Subcode></s:Code><s:Reason><s:Text xml:lang=\"en\">" + reason +
                    "</s:Text></s:Reason></s:Fault>");
}

int PrefixOf(const std::string& mask) {
    in_addr a{};
    if (inet_pton(AF_INET, mask.c_str(), &a) != 1) return 0;
    return __builtin_popcount(ntohl(a.s_addr));
}

bool IsAddress(const std::string& text) {
    in_addr a{};
    return inet_pton(AF_INET, text.c_str(), &a) == 1;
}

// The texts of the elements named `name` under `node`, in document order.
std::vector<std::string> AllTexts(const xmlNode* node, const char* name) {
    std::vector<std::string> texts;
    for (const xmlNode* c = node ? node->children : nullptr; c; c = c->next) {
        if (c->type != XML_ELEMENT_NODE) continue;
        if (std::strcmp(reinterpret_cast<const char*>(c->name), name) == 0) texts.push_back(Text(c));
        for (std::string& t : AllTexts(c, name)) texts.push_back(std::move(t));
    }
    return texts;
}

std::string UtcParts(long long epoch) {
    const std::time_t at = static_cast<std::time_t>(epoch);
    std::tm u{};
    gmtime_r(&at, &u);
    return "<tt:Date><tt:Year>" + std::to_string(u.tm_year + 1900) + "</tt:Year><tt:Month>" +
           std::to_string(u.tm_mon + 1) + "</tt:Month><tt:Day>" + std::to_string(u.tm_mday) +
           "</tt:Day></tt:Date><tt:Time><tt:Hour>" + std::to_string(u.tm_hour) + "</tt:Hour><tt:Minute>" +
           std::to_string(u.tm_min) + "</tt:Minute><tt:Second>" + std::to_string(u.tm_sec) + "</tt:Second></tt:Time>";
}

std::string Mac(const CameraConfig& c) {
    char text[18];
    std::snprintf(text, sizeof(text), "%02X:%02X:%02X:%02X:%02X:%02X", c.mac[0], c.mac[1], c.mac[2], c.mac[3],
                  c.mac[4], c.mac[5]);
    return text;
}

}  // namespace

OnvifService::Answer OnvifService::Challenge(const std::string& why) {
    Answer a;
    a.status = 401;
    unsigned char bytes[16];
    RAND_bytes(bytes, sizeof(bytes));
    std::string nonce;
    char hex[3];
    for (const unsigned char b : bytes) {
        std::snprintf(hex, sizeof(hex), "%02x", b);
        nonce += hex;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_issuedNonces.insert(nonce);
    }
    for (const char* algorithm : {"SHA-256", "MD5"}) {
        a.headers.push_back(std::string("WWW-Authenticate: Digest realm=\"") + kRealm + "\", qop=\"auth\", algorithm=" +
                            algorithm + ", nonce=\"" + nonce + "\"");
    }
    a.body = Fault("s:Sender", "ter:NotAuthorized", why);
    return a;
}

bool OnvifService::DigestAuthorized(const HttpRequest& request, const CameraConfig& camera) {
    const auto header = request.headers.find("authorization");
    if (header == request.headers.end() || header->second.rfind("Digest ", 0) != 0) return false;
    // Its parameters, read as the client's side reads a challenge.
    const auto challenges = orvex::HttpDigest::Challenges("WWW-Authenticate: " + header->second + "\r\n");
    if (challenges.empty()) return false;
    std::map<std::string, std::string> p;
    const std::string text = header->second.substr(7);
    for (const char* key : {"username", "uri", "response", "cnonce", "nc"}) {
        const std::string k = std::string(key) + "=";
        auto at = text.find(k);
        while (at != std::string::npos && at > 0 && text[at - 1] != ' ' && text[at - 1] != ',') at = text.find(k, at + 1);
        if (at == std::string::npos) continue;
        at += k.size();
        const bool quoted = text[at] == '"';
        const auto end = quoted ? text.find('"', at + 1) : text.find(',', at);
        p[key] = text.substr(at + (quoted ? 1 : 0), (end == std::string::npos ? text.size() : end) - at - (quoted ? 1 : 0));
    }
    const orvex::DigestChallenge& c = challenges.front();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_issuedNonces.count(c.nonce) == 0) return false;
    }
    if (p["username"] != camera.user || p["uri"] != request.target) return false;
    const unsigned nc = static_cast<unsigned>(std::strtoul(p["nc"].c_str(), nullptr, 16));
    const std::string expected = orvex::HttpDigest::Authorization(c, camera.user, camera.password, request.method,
                                                                  p["uri"], p["cnonce"], nc);
    return expected.find("response=\"" + p["response"] + "\"") != std::string::npos;
}

bool OnvifService::Authorized(const HttpRequest& request, const xmlNode* security, const CameraConfig& camera,
                              std::string* why) {
    const bool takesDigest = camera.onvif.auth == "either" || camera.onvif.auth == "digest";
    if (takesDigest && DigestAuthorized(request, camera)) return true;
    if (camera.onvif.auth == "digest") {
        *why = "HTTP Digest required";
        return false;
    }
    // Read where it stands: its prefixes may be declared on the envelope.
    const xmlNode* token = Find(security, "UsernameToken");
    const std::string user = Text(Find(token, "Username"));
    const xmlNode* passwordNode = Find(token, "Password");
    const std::string password = Text(passwordNode);
    xmlChar* typeAttribute = passwordNode ? xmlGetProp(passwordNode, BAD_CAST "Type") : nullptr;
    const std::string type = typeAttribute ? reinterpret_cast<const char*>(typeAttribute) : "";
    xmlFree(typeAttribute);
    const bool plaintext = type.size() >= 13 && type.compare(type.size() - 13, 13, "#PasswordText") == 0;
    if (plaintext) ++m_plaintextSeen;
    const std::string nonce = Decoded(Text(Find(token, "Nonce")));
    const std::string created = Text(Find(token, "Created"));
    const long long cameraNow = static_cast<long long>(std::time(nullptr)) + camera.onvif.clockOffset;
    const long long at = Parse8601(created);
    *why = "Sender not Authorized";
    if (!token || user != camera.user || nonce.empty() || at < 0 || std::llabs(at - cameraNow) > kCreatedWindow)
        return false;
    if (plaintext != (camera.onvif.auth == "text")) return false;
    if (plaintext ? password != camera.password : password != orvex::UsernameToken::Digest(nonce, created, camera.password))
        return false;
    if (!camera.onvif.refuseReplay) return true;
    std::lock_guard<std::mutex> guard(m_lock);
    return m_usedTokens.insert(nonce + '\n' + created).second;
}

OnvifService::Answer OnvifService::Handle(const HttpRequest& request, const CameraConfig& c) {
    Answer a;
    std::unique_ptr<xmlDoc, DocFree> doc(xmlReadMemory(request.body.data(), static_cast<int>(request.body.size()),
                                                       "s.xml", nullptr,
                                                       XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    const xmlNode* root = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    const xmlNode* body = Find(root, "Body");
    const xmlNode* op = nullptr;
    for (const xmlNode* n = body ? body->children : nullptr; n && !op; n = n->next) {
        if (n->type == XML_ELEMENT_NODE) op = n;
    }
    if (!op) {
        a.status = 400;
        a.body = Fault("s:Sender", "ter:WellFormed", "no SOAP body");
        return a;
    }
    const std::string name = reinterpret_cast<const char*>(op->name);
    const long long now = static_cast<long long>(std::time(nullptr));
    if (name == "GetSystemDateAndTime") {
        a.body = Envelope("<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:DateTimeType>" +
                          std::string(c.onvif.ntpServer.empty() ? "Manual" : "NTP") +
                          "</tt:DateTimeType><tt:DaylightSavings>false</tt:DaylightSavings><tt:UTCDateTime>" +
                          UtcParts(now + c.onvif.clockOffset) +
                          "</tt:UTCDateTime></tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>");
        return a;
    }
    const xmlNode* header = Find(root, "Header");
    std::string why;
    if (!Authorized(request, Find(header, "Security"), c, &why)) {
        if (c.onvif.auth == "wsse" || c.onvif.auth == "text") {
            a.status = 400;
            a.body = Fault("s:Sender", "ter:NotAuthorized", why);
            return a;
        }
        return Challenge(why);
    }
    const std::string prefix = std::to_string(PrefixOf(c.mask));
    if (name == "GetDeviceInformation") {
        a.body = Envelope("<tds:GetDeviceInformationResponse><tds:Manufacturer>Orvex Sim</tds:Manufacturer><tds:Model>" +
                          c.onvif.hardware + "</tds:Model><tds:FirmwareVersion>" + c.version +
                          "</tds:FirmwareVersion><tds:SerialNumber>" + c.uid + "</tds:SerialNumber><tds:HardwareId>" +
                          c.onvif.hardware + "</tds:HardwareId></tds:GetDeviceInformationResponse>");
    } else if (name == "GetNetworkInterfaces") {
        const bool dhcp = c.netMode == 1;
        const std::string address = "<tt:Address>" + c.ip + "</tt:Address><tt:PrefixLength>" + prefix + "</tt:PrefixLength>";
        a.body = Envelope("<tds:GetNetworkInterfacesResponse><tds:NetworkInterfaces token=\"eth0\"><tt:Enabled>true"
                          "</tt:Enabled><tt:Info><tt:Name>eth0</tt:Name><tt:HwAddress>" + Mac(c) +
                          "</tt:HwAddress></tt:Info><tt:IPv4><tt:Enabled>true</tt:Enabled><tt:Config>" +
                          (dhcp ? "<tt:FromDHCP>" + address + "</tt:FromDHCP>" : "<tt:Manual>" + address + "</tt:Manual>") +
                          "<tt:DHCP>" + (dhcp ? "true" : "false") +
                          "</tt:DHCP></tt:Config></tt:IPv4></tds:NetworkInterfaces></tds:GetNetworkInterfacesResponse>");
    } else if (name == "GetNetworkDefaultGateway") {
        a.body = Envelope("<tds:GetNetworkDefaultGatewayResponse><tds:NetworkGateway><tt:IPv4Address>" + c.gateway +
                          "</tt:IPv4Address></tds:NetworkGateway></tds:GetNetworkDefaultGatewayResponse>");
    } else if (name == "GetDNS") {
        std::string manual;
        for (const std::string* dns : {&c.dns1, &c.dns2}) {
            if (!dns->empty()) manual += "<tt:DNSManual><tt:Type>IPv4</tt:Type><tt:IPv4Address>" + *dns + "</tt:IPv4Address></tt:DNSManual>";
        }
        a.body = Envelope("<tds:GetDNSResponse><tds:DNSInformation><tt:FromDHCP>false</tt:FromDHCP>" + manual +
                          "</tds:DNSInformation></tds:GetDNSResponse>");
    } else if (name == "GetCapabilities") {
        const std::string service = Url(c.ip, c.port);  // media too is served there
        a.body = Envelope("<tds:GetCapabilitiesResponse><tds:Capabilities><tt:Device><tt:XAddr>" + service +
                          "</tt:XAddr><tt:Network><tt:IPFilter>false</tt:IPFilter>"
                          "<tt:ZeroConfiguration>false</tt:ZeroConfiguration><tt:IPVersion6>false</tt:IPVersion6>"
                          "<tt:DynDNS>false</tt:DynDNS></tt:Network><tt:System><tt:DiscoveryResolve>false"
                          "</tt:DiscoveryResolve><tt:DiscoveryBye>true</tt:DiscoveryBye><tt:RemoteDiscovery>false"
                          "</tt:RemoteDiscovery><tt:SystemBackup>false</tt:SystemBackup><tt:SystemLogging>false"
                          "</tt:SystemLogging><tt:FirmwareUpgrade>false</tt:FirmwareUpgrade></tt:System></tt:Device>"
                          "<tt:Media><tt:XAddr>" + service + "</tt:XAddr></tt:Media></tds:Capabilities></tds:GetCapabilitiesResponse>");
    } else if (name == "GetProfiles" || name == "GetProfile") {  // one stream, served here too
        const std::string element = name == "GetProfiles" ? "Profiles" : "Profile";
        a.body = Envelope("<trt:" + name + "Response><trt:" + element + " token=\"main\" fixed=\"true\"><tt:Name>main"
                          "</tt:Name></trt:" + element + "></trt:" + name + "Response>");
    } else if (name == "GetHostname") {
        a.body = Envelope("<tds:GetHostnameResponse><tds:HostnameInformation><tt:FromDHCP>false</tt:FromDHCP>"
                          "<tt:Name>cam-" + std::to_string(c.mac[5]) +
                          "</tt:Name></tds:HostnameInformation></tds:GetHostnameResponse>");
    } else if (name == "SetSystemDateAndTime") {
        const std::string type = Text(Find(op, "DateTimeType"));
        a.clockSet = true;
        if (type == "NTP") {
            a.clockOffset = 0;  // it fetched the right time from its server
            a.ntpServer = c.onvif.ntpServer.empty() ? "pool" : c.onvif.ntpServer;
        } else {
            const xmlNode* utc = Find(op, "UTCDateTime");
            const auto field = [&](const char* n) { return std::atoi(Text(Find(utc, n)).c_str()); };
            std::tm t{};
            t.tm_year = field("Year") - 1900;
            t.tm_mon = field("Month") - 1;
            t.tm_mday = field("Day");
            t.tm_hour = field("Hour");
            t.tm_min = field("Minute");
            t.tm_sec = field("Second");
            a.clockOffset = static_cast<long long>(timegm(&t)) - now;
        }
        a.body = Envelope("<tds:SetSystemDateAndTimeResponse/>");
    } else if (name == "SetNTP") {
        a.ntpServer = Text(Find(op, "IPv4Address"));
        a.body = Envelope("<tds:SetNTPResponse/>");
    } else if (name == "SetNetworkInterfaces") {
        const bool dhcp = Text(Find(Find(op, "IPv4"), "DHCP")) == "true";
        const std::string ip = Text(Find(Find(op, "Manual"), "Address"));
        const int prefixLength = std::atoi(Text(Find(Find(op, "Manual"), "PrefixLength")).c_str());
        if (!dhcp && (!IsAddress(ip) || prefixLength < 1 || prefixLength > 32)) {
            a.status = 400;
            a.body = Fault("s:Sender", "ter:InvalidArgVal", "not a valid IPv4 address and prefix length");
            return a;
        }
        a.networkSet = !c.setFaults.keepSettings;  // one that says yes and keeps them
        a.network.netMode = dhcp ? 1 : 0;
        if (!dhcp) {
            a.network.ip = ip;
            a.network.mask = orvex::OnvifDevice::MaskOf(prefixLength);
        }
        a.body = Envelope(std::string("<tds:SetNetworkInterfacesResponse><tds:RebootNeeded>") +
                          (c.onvif.rebootNeeded ? "true" : "false") +
                          "</tds:RebootNeeded></tds:SetNetworkInterfacesResponse>");
    } else if (name == "SetNetworkDefaultGateway") {
        const std::string gateway = Text(Find(op, "IPv4Address"));
        if (!gateway.empty() && !IsAddress(gateway)) {
            a.status = 400;
            a.body = Fault("s:Sender", "ter:InvalidArgVal", "not a valid gateway address");
            return a;
        }
        a.networkSet = !c.setFaults.keepSettings;  // one that says yes and keeps them
        a.network.gateway = gateway;
        a.body = Envelope("<tds:SetNetworkDefaultGatewayResponse/>");
    } else if (name == "SetDNS") {
        const std::vector<std::string> servers = AllTexts(Find(op, "DNSManual") ? op : nullptr, "IPv4Address");
        a.networkSet = !c.setFaults.keepSettings;  // one that says yes and keeps them
        a.network.dns1 = servers.size() > 0 ? servers[0] : "";
        a.network.dns2 = servers.size() > 1 ? servers[1] : "";
        a.body = Envelope("<tds:SetDNSResponse/>");
    } else if (name == "SystemReboot") {
        a.reboot = true;
        a.body = Envelope("<tds:SystemRebootResponse><tds:Message>Rebooting</tds:Message></tds:SystemRebootResponse>");
    } else {
        a.status = 500;
        a.body = Fault("s:Receiver", "ter:ActionNotSupported", name + " is not supported");
    }
    return a;
}

}  // namespace camsim
