#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace orvex {

// The namespaces WS-Discovery (2005/04, SOAP 1.2) and ONVIF discovery use.
namespace wsd {
constexpr const char* kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
constexpr const char* kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";
constexpr const char* kAddressing = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
constexpr const char* kDiscovery = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
constexpr const char* kNetwork = "http://www.onvif.org/ver10/network/wsdl";
constexpr const char* kDevice = "http://www.onvif.org/ver10/device/wsdl";
constexpr const char* kDevprof = "http://schemas.xmlsoap.org/ws/2006/02/devprof";
constexpr const char* kAnonymous = "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
constexpr const char* kTo = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
constexpr int kPort = 3702;
constexpr const char* kGroup = "239.255.255.250";
}  // namespace wsd

// A type a Probe asks for or a match names, by namespace URI and local name (never by
// the prefix a message happens to use).
struct WsdType {
    std::string ns;
    std::string name;
    bool operator==(const WsdType&) const = default;
};

// One endpoint a ProbeMatches, Hello or Bye message speaks of.
struct WsdMatch {
    enum Kind { kProbeMatch, kHello, kBye };
    Kind kind = kProbeMatch;
    std::string endpoint;  // the EndpointReference's Address (urn:uuid:...)
    std::vector<WsdType> types;
    std::vector<std::string> scopes;
    std::vector<std::string> xaddrs;
    std::string messageId;
    std::string relatesTo;
    std::string metadataVersion;
};

// The WS-Discovery messages a client sends and reads, as XML text. Reading goes through
// libxml2 with network access and entity substitution off; a message carrying a DTD
// (which SOAP forbids), one larger than kMaxBytes or nested deeper than the parser allows,
// one that is not a SOAP envelope of these namespaces, and one that is malformed are
// dropped, each with a reason, never a crash.
class WsdMessage {
public:
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    // A Probe for `types` (empty: any device) with `messageId`.
    static std::string Probe(const std::string& messageId, const std::vector<WsdType>& types);
    // The types of an ONVIF camera: dn:NetworkVideoTransmitter and tds:Device.
    static std::vector<WsdType> CameraTypes();
    // "urn:uuid:" and a random (version 4) UUID.
    static std::string NewMessageId();

    // The matches of a ProbeMatches, Hello or Bye message (a Probe or anything else gives
    // none, and is no error); false with `why` when the message is dropped.
    static bool Parse(const char* data, std::size_t size, std::vector<WsdMatch>* matches,
                      std::string* why);
    // A Probe's MessageID and the types it asks for (the device side, for the virtual
    // cameras); false with `why` when it is dropped or is no Probe.
    static bool ParseProbe(const char* data, std::size_t size, std::string* messageId,
                           std::vector<WsdType>* types, std::string* why);
    // Whether `match` offers one of `wanted` (an empty list wants everything).
    static bool Offers(const WsdMatch& match, const std::vector<WsdType>& wanted);
};

}  // namespace orvex
