#include "onvif/OnvifSoap.h"

#include <libxml/parser.h>

#include <cstring>
#include <sstream>

#include "onvif/HttpDigest.h"
#include "onvif/HttpExchange.h"
#include "onvif/UsernameToken.h"
#include "onvif/WsdMessage.h"

namespace orvex {
namespace {

constexpr const char* kSoap = "http://www.w3.org/2003/05/soap-envelope";

bool Named(const xmlNode* node, const std::string& name) {
    return node && node->type == XML_ELEMENT_NODE && name == reinterpret_cast<const char*>(node->name);
}

std::vector<std::string> Steps(const std::string& path) {
    std::vector<std::string> steps;
    std::istringstream in(path);
    for (std::string step; std::getline(in, step, '/');) {
        if (!step.empty()) steps.push_back(step);
    }
    return steps;
}

// Elements under `from` along `steps` (each step: a child of that local name).
void Follow(const xmlNode* from, const std::vector<std::string>& steps, std::size_t at,
            std::vector<const xmlNode*>* found) {
    if (at == steps.size()) {
        found->push_back(from);
        return;
    }
    for (const xmlNode* c = from->children; c; c = c->next) {
        if (Named(c, steps[at])) Follow(c, steps, at + 1, found);
    }
}

std::string Content(const xmlNode* node) {
    xmlChar* text = xmlNodeGetContent(node);
    std::string out = text ? reinterpret_cast<const char*>(text) : "";
    xmlFree(text);
    const auto first = out.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return out.substr(first, out.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

void SoapReply::DocFree::operator()(xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

SoapReply::SoapReply() = default;
SoapReply::~SoapReply() = default;
SoapReply::SoapReply(SoapReply&&) noexcept = default;
SoapReply& SoapReply::operator=(SoapReply&&) noexcept = default;

std::vector<const xmlNode*> SoapReply::All(const std::string& path) const {
    std::vector<const xmlNode*> found;
    if (!m_body) return found;
    // The operation's response element is the body's first element; paths start under it.
    for (const xmlNode* c = m_body->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE) {
            Follow(c, Steps(path), 0, &found);
            break;
        }
    }
    return found;
}

std::string SoapReply::Text(const std::string& path) const {
    const auto found = All(path);
    return found.empty() ? "" : Content(found.front());
}

std::string SoapReply::TextOf(const xmlNode* node, const std::string& path) {
    std::vector<const xmlNode*> found;
    if (node) Follow(node, Steps(path), 0, &found);
    return found.empty() ? "" : Content(found.front());
}

std::string SoapReply::AttributeOf(const xmlNode* node, const std::string& name) {
    xmlChar* value = node ? xmlGetProp(node, reinterpret_cast<const xmlChar*>(name.c_str())) : nullptr;
    const std::string text = value ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return text;
}

bool SoapReply::Read(const std::string& text) {
    if (text.find("<!DOCTYPE") != std::string::npos) {
        why = "the reply carries a document type declaration";
        return false;
    }
    m_doc.reset(xmlReadMemory(text.data(), static_cast<int>(text.size()), "soap.xml", nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    const xmlNode* envelope = m_doc ? xmlDocGetRootElement(m_doc.get()) : nullptr;
    if (!envelope || !Named(envelope, "Envelope") || !envelope->ns ||
        std::strcmp(reinterpret_cast<const char*>(envelope->ns->href), kSoap) != 0) {
        why = "the reply is no SOAP 1.2 envelope";
        return false;
    }
    for (const xmlNode* c = envelope->children; c; c = c->next) {
        if (Named(c, "Body")) m_body = c;
    }
    if (!m_body) {
        why = "the reply has no body";
        return false;
    }
    for (const xmlNode* c = m_body->children; c; c = c->next) {
        if (!Named(c, "Fault")) continue;
        // Code/Value, Code/Subcode/Value and Reason/Text: "ter:NotAuthorized: why".
        const std::string sub = TextOf(c, "Code/Subcode/Value");
        fault = (sub.empty() ? TextOf(c, "Code/Value") : sub) + ": " + TextOf(c, "Reason/Text");
        return false;
    }
    return true;
}

OnvifSoap::OnvifSoap(XAddr service, OnvifLogin login, int timeoutSeconds)
    : m_service(std::move(service)), m_login(std::move(login)), m_timeout(timeoutSeconds) {}

std::string OnvifSoap::Envelope(const std::string& body, bool authenticate) const {
    std::string security;
    if (authenticate && !m_login.password.empty()) {
        // A fresh nonce for every request; Created in the device's time.
        const auto header = m_plaintext ? UsernameToken::TextHeader : UsernameToken::Header;
        security = header(m_login.user, m_login.password, UsernameToken::NewNonce(),
                          UsernameToken::CreatedAt(m_login.clockOffset));
    }
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><s:Envelope xmlns:s=\"") + kSoap +
           "\"><s:Header>" + security + "</s:Header><s:Body>" + body + "</s:Body></s:Envelope>";
}

SoapReply OnvifSoap::Call(const std::string& action, const std::string& body, bool authenticate) {
    SoapReply reply;
    const std::vector<std::string> headers = {
        "Content-Type: application/soap+xml; charset=utf-8; action=\"" + action + "\""};
    const std::string envelope = Envelope(body, authenticate);
    HttpExchange::Reply http = HttpExchange::Send(m_service.host, m_service.port, "POST", m_service.path,
                                                  headers, envelope, m_timeout);
    if (http.status == 401 && authenticate) {
        // The device wants HTTP Digest (too): answer its strongest challenge.
        const auto challenges = HttpDigest::Challenges(http.head);
        if (!challenges.empty() && challenges.front().supported) {
            auto with = headers;
            const std::string cnonce = UsernameToken::Base64(UsernameToken::NewNonce());
            with.push_back("Authorization: " + HttpDigest::Authorization(challenges.front(), m_login.user,
                                                                         m_login.password, "POST", m_service.path,
                                                                         cnonce, ++m_nc));
            http = HttpExchange::Send(m_service.host, m_service.port, "POST", m_service.path, with,
                                      Envelope(body, authenticate), m_timeout);
        }
    }
    reply.transport = http.code;
    reply.httpStatus = http.status;
    if (http.code != 0 && http.status == 0) {
        reply.why = "no reply from " + m_service.host + ":" + std::to_string(m_service.port) +
                    " (code " + std::to_string(http.code) + ")";
        return reply;
    }
    // A fault comes with 400 or 500; its body says what went wrong.
    if (!reply.Read(http.body)) {
        if (authenticate && m_login.allowPlaintext && !m_plaintext && !m_login.password.empty() &&
            reply.fault.find("NotAuthorized") != std::string::npos) {
            m_plaintext = true;  // an old device that takes the password only in plain text
            return Call(action, body, authenticate);
        }
        if (reply.fault.empty() && http.status == 401) reply.fault = "HTTP 401: not authorized";
        if (reply.why.empty() && !reply.fault.empty()) reply.why = reply.fault;
        return reply;
    }
    if (http.status < 200 || http.status > 299) {
        reply.why = "HTTP " + std::to_string(http.status);
        return reply;
    }
    reply.ok = true;
    return reply;
}

}  // namespace orvex
