#include "onvif/WsdMessage.h"

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <openssl/rand.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <sstream>

namespace orvex {
namespace {

struct DocFree {
    void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

void InitOnce() {
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

bool Is(const xmlNode* node, const char* ns, const char* name) {
    return node && node->type == XML_ELEMENT_NODE && node->ns && node->ns->href &&
           std::strcmp(reinterpret_cast<const char*>(node->ns->href), ns) == 0 &&
           std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

const xmlNode* Child(const xmlNode* parent, const char* ns, const char* name) {
    for (const xmlNode* c = parent ? parent->children : nullptr; c; c = c->next) {
        if (Is(c, ns, name)) return c;
    }
    return nullptr;
}

std::string Text(const xmlNode* node) {
    if (!node) return "";
    xmlChar* content = xmlNodeGetContent(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::istringstream in(text);
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// QNames resolved against the namespaces in scope where they stand.
std::vector<WsdType> Types(xmlDoc* doc, const xmlNode* node) {
    std::vector<WsdType> types;
    for (const std::string& qname : Words(Text(node))) {
        const auto colon = qname.find(':');
        const std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
        const xmlNs* ns = xmlSearchNs(doc, const_cast<xmlNode*>(node),
                                      prefix.empty() ? nullptr : reinterpret_cast<const xmlChar*>(prefix.c_str()));
        types.push_back({ns && ns->href ? reinterpret_cast<const char*>(ns->href) : "",
                         colon == std::string::npos ? qname : qname.substr(colon + 1)});
    }
    return types;
}

WsdMatch MatchOf(xmlDoc* doc, const xmlNode* node, WsdMatch::Kind kind) {
    WsdMatch match;
    match.kind = kind;
    match.endpoint = Text(Child(Child(node, wsd::kAddressing, "EndpointReference"), wsd::kAddressing, "Address"));
    match.types = Types(doc, Child(node, wsd::kDiscovery, "Types"));
    match.scopes = Words(Text(Child(node, wsd::kDiscovery, "Scopes")));
    match.xaddrs = Words(Text(Child(node, wsd::kDiscovery, "XAddrs")));
    match.metadataVersion = Text(Child(node, wsd::kDiscovery, "MetadataVersion"));
    return match;
}

}  // namespace

std::vector<WsdType> WsdMessage::CameraTypes() {
    return {{wsd::kNetwork, "NetworkVideoTransmitter"}, {wsd::kDevice, "Device"}};
}

std::string WsdMessage::NewMessageId() {
    unsigned char b[16];
    if (RAND_bytes(b, sizeof(b)) != 1) {
        for (unsigned char& c : b) c = static_cast<unsigned char>(std::rand());
    }
    b[6] = static_cast<unsigned char>((b[6] & 0x0F) | 0x40);  // version 4
    b[8] = static_cast<unsigned char>((b[8] & 0x3F) | 0x80);  // RFC 4122 variant
    char text[48];
    std::snprintf(text, sizeof(text),
                  "urn:uuid:%02x%02x%02x%02x-%02x%02x-%02x%02x-%02x%02x-%02x%02x%02x%02x%02x%02x",
                  b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                  b[13], b[14], b[15]);
    return text;
}

std::string WsdMessage::Probe(const std::string& messageId, const std::vector<WsdType>& types) {
    std::string declarations, names;
    for (std::size_t i = 0; i < types.size(); ++i) {
        // The prefixes every responder knows: some compare the text, not the namespace.
        const std::string& ns = types[i].ns;
        const std::string prefix = ns == wsd::kNetwork  ? "dn"
                                   : ns == wsd::kDevice ? "tds"
                                   : ns == wsd::kDevprof ? "wsdp"
                                                         : "t" + std::to_string(i);
        declarations += " xmlns:" + prefix + "=\"" + types[i].ns + "\"";
        names += (i ? " " : "") + prefix + ":" + types[i].name;
    }
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>") + "<s:Envelope xmlns:s=\"" +
           wsd::kSoap12 + "\" xmlns:a=\"" + wsd::kAddressing + "\" xmlns:d=\"" + wsd::kDiscovery +
           "\"" + declarations + "><s:Header><a:Action s:mustUnderstand=\"1\">" + wsd::kDiscovery +
           "/Probe</a:Action><a:MessageID>" + messageId + "</a:MessageID><a:ReplyTo><a:Address>" +
           wsd::kAnonymous + "</a:Address></a:ReplyTo><a:To s:mustUnderstand=\"1\">" + wsd::kTo +
           "</a:To></s:Header><s:Body><d:Probe>" +
           (names.empty() ? "" : "<d:Types>" + names + "</d:Types>") + "</d:Probe></s:Body></s:Envelope>";
}

namespace {

// The envelope of a message read with the limits above; its header and body are found
// under it. Null with `why` when the message is dropped.
struct Envelope {
    std::unique_ptr<xmlDoc, DocFree> doc;
    const xmlNode* header = nullptr;
    const xmlNode* body = nullptr;
    std::string messageId, relatesTo;
};

bool ReadEnvelope(const char* data, std::size_t size, Envelope* e, std::string* why) {
    if (size > WsdMessage::kMaxBytes) {
        *why = "larger than " + std::to_string(WsdMessage::kMaxBytes) + " bytes";
        return false;
    }
    // SOAP forbids a document type declaration: one is the mark of an entity attack.
    if (std::string_view(data, size).find("<!DOCTYPE") != std::string_view::npos) {
        *why = "a document type declaration";
        return false;
    }
    InitOnce();
    e->doc.reset(xmlReadMemory(data, static_cast<int>(size), "wsd.xml", nullptr,
                               XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                                   XML_PARSE_NOCDATA));
    if (!e->doc) {
        *why = "not well-formed XML";
        return false;
    }
    if (e->doc->intSubset || e->doc->extSubset) {
        *why = "a document type declaration";
        return false;
    }
    const xmlNode* envelope = xmlDocGetRootElement(e->doc.get());
    const char* soap = Is(envelope, wsd::kSoap12, "Envelope")   ? wsd::kSoap12
                       : Is(envelope, wsd::kSoap11, "Envelope") ? wsd::kSoap11
                                                                : nullptr;
    if (!soap) {
        *why = "not a SOAP envelope";
        return false;
    }
    e->header = Child(envelope, soap, "Header");
    e->body = Child(envelope, soap, "Body");
    if (!e->body) {
        *why = "a SOAP envelope without a body";
        return false;
    }
    e->messageId = Text(Child(e->header, wsd::kAddressing, "MessageID"));
    e->relatesTo = Text(Child(e->header, wsd::kAddressing, "RelatesTo"));
    return true;
}

}  // namespace

bool WsdMessage::Parse(const char* data, std::size_t size, std::vector<WsdMatch>* matches,
                       std::string* why) {
    matches->clear();
    Envelope e;
    if (!ReadEnvelope(data, size, &e, why)) return false;
    xmlDoc* doc = e.doc.get();
    if (const xmlNode* list = Child(e.body, wsd::kDiscovery, "ProbeMatches")) {
        for (const xmlNode* c = list->children; c; c = c->next) {
            if (Is(c, wsd::kDiscovery, "ProbeMatch")) matches->push_back(MatchOf(doc, c, WsdMatch::kProbeMatch));
        }
    } else if (const xmlNode* hello = Child(e.body, wsd::kDiscovery, "Hello")) {
        matches->push_back(MatchOf(doc, hello, WsdMatch::kHello));
    } else if (const xmlNode* bye = Child(e.body, wsd::kDiscovery, "Bye")) {
        matches->push_back(MatchOf(doc, bye, WsdMatch::kBye));
    }
    for (WsdMatch& match : *matches) {
        match.messageId = e.messageId;
        match.relatesTo = e.relatesTo;
    }
    // A match without an endpoint cannot be told from another: it names no device.
    std::erase_if(*matches, [](const WsdMatch& m) { return m.endpoint.empty(); });
    return true;
}

bool WsdMessage::ParseProbe(const char* data, std::size_t size, std::string* messageId,
                            std::vector<WsdType>* types, std::string* why) {
    Envelope e;
    if (!ReadEnvelope(data, size, &e, why)) return false;
    const xmlNode* probe = Child(e.body, wsd::kDiscovery, "Probe");
    if (!probe) {
        *why = "no Probe";
        return false;
    }
    *messageId = e.messageId;
    *types = Types(e.doc.get(), Child(probe, wsd::kDiscovery, "Types"));
    return true;
}

bool WsdMessage::Offers(const WsdMatch& match, const std::vector<WsdType>& wanted) {
    if (wanted.empty()) return true;
    for (const WsdType& type : match.types) {
        for (const WsdType& want : wanted) {
            if (type == want) return true;
        }
    }
    return false;
}

}  // namespace orvex
