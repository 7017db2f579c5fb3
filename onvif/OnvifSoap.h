#pragma once
#include <memory>
#include <string>
#include <vector>

#include "onvif/XAddr.h"

// libxml2's document and node, kept out of this header: the parser stays inside onvif/.
struct _xmlDoc;
struct _xmlNode;

namespace orvex {

// How to authenticate to a device: WS-UsernameToken with PasswordDigest (Created in the
// device's own time: this computer's plus `clockOffset` seconds) and, when the device
// answers 401, HTTP Digest. PasswordText is never sent unless `allowPlaintext`, and then
// only to a device that has refused the digest (once refused, its calls go in plain text).
struct OnvifLogin {
    std::string user = "admin";
    std::string password;
    long long clockOffset = 0;
    bool allowPlaintext = false;
};

// A SOAP 1.2 reply read whole: its body, or the fault it carries.
class SoapReply {
public:
    SoapReply();
    ~SoapReply();
    SoapReply(SoapReply&&) noexcept;
    SoapReply& operator=(SoapReply&&) noexcept;

    bool ok = false;
    int transport = 0;   // the HTTP exchange's code (0: a reply came)
    int httpStatus = 0;
    std::string fault;   // "ter:NotAuthorized: Sender not Authorized" for a SOAP fault
    std::string why;     // why there is no body, in words

    // The text of the first element named `name` (local name, in any ONVIF namespace)
    // under the body, following `path` ("NetworkInterfaces/IPv4/Config/DHCP"); "" when
    // there is none.
    std::string Text(const std::string& path) const;
    // Each element matching `path`.
    std::vector<const _xmlNode*> All(const std::string& path) const;
    static std::string TextOf(const _xmlNode* node, const std::string& path);
    static std::string AttributeOf(const _xmlNode* node, const std::string& name);

    bool Read(const std::string& body);  // parses a reply body, or sets `why`

private:
    struct DocFree {
        void operator()(_xmlDoc* doc) const;
    };
    std::unique_ptr<_xmlDoc, DocFree> m_doc;
    const _xmlNode* m_body = nullptr;
};

// SOAP 1.2 calls to one device service, over the project's own HTTP code (HttpExchange):
// the envelope with the security header, Digest when the device asks for it, the reply
// read with libxml2 (no network, no entities, no DTD, 1 MiB), and SOAP faults reported with
// their code and reason, never as success.
class OnvifSoap {
public:
    OnvifSoap(XAddr service, OnvifLogin login, int timeoutSeconds = 5);
    // Calls the operation whose body element is `body` (with its namespace declared);
    // `authenticate` false for the calls a device answers anyone (GetSystemDateAndTime).
    SoapReply Call(const std::string& action, const std::string& body, bool authenticate);
    const XAddr& Service() const { return m_service; }
    OnvifLogin& Login() { return m_login; }

    static constexpr const char* kDeviceNs = "http://www.onvif.org/ver10/device/wsdl";
    static constexpr const char* kSchemaNs = "http://www.onvif.org/ver10/schema";

private:
    std::string Envelope(const std::string& body, bool authenticate) const;

    XAddr m_service;
    OnvifLogin m_login;
    int m_timeout;
    unsigned m_nc = 0;  // Digest nonce count
    bool m_plaintext = false;  // the device refused PasswordDigest and plain text is allowed
};

}  // namespace orvex
