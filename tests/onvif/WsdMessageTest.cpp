// WS-Discovery messages as ONVIF cameras and other devices write them: types matched by
// namespace whatever the prefix, scopes decoded, and hostile or malformed messages
// dropped with a reason.
#include <gtest/gtest.h>

#include <string>

#include "onvif/OnvifScopes.h"
#include "onvif/WsdMessage.h"
#include "onvif/XAddr.h"

namespace orvex {
namespace {

std::vector<WsdMatch> Read(const std::string& text, std::string* why = nullptr) {
    std::vector<WsdMatch> matches;
    std::string reason;
    EXPECT_TRUE(WsdMessage::Parse(text.data(), text.size(), &matches, &reason)) << reason;
    if (why) *why = reason;
    return matches;
}

std::string Dropped(const std::string& text) {
    std::vector<WsdMatch> matches;
    std::string why;
    EXPECT_FALSE(WsdMessage::Parse(text.data(), text.size(), &matches, &why)) << text.substr(0, 80);
    EXPECT_TRUE(matches.empty());
    return why;
}

// A ProbeMatches with prefixes of its own choosing: x for discovery, y for addressing,
// the camera's types in a default namespace and under a prefix declared on the element.
const std::string kMatches =
    "<?xml version=\"1.0\"?>"
    "<e:Envelope xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\" "
    "xmlns:y=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
    "xmlns:x=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\">"
    "<e:Header><y:MessageID>urn:uuid:reply</y:MessageID><y:RelatesTo>urn:uuid:probe</y:RelatesTo></e:Header>"
    "<e:Body><x:ProbeMatches>"
    "<x:ProbeMatch><y:EndpointReference><y:Address> urn:uuid:one </y:Address></y:EndpointReference>"
    "<x:Types xmlns=\"http://www.onvif.org/ver10/network/wsdl\">NetworkVideoTransmitter</x:Types>"
    "<x:Scopes>onvif://www.onvif.org/name/Gate%20North onvif://www.onvif.org/hardware/HW-1 "
    "onvif://www.onvif.org/location/country/china onvif://www.onvif.org/name/second "
    "onvif://www.onvif.org/MacAddress/00:11:22:33:44:55</x:Scopes>"
    "<x:XAddrs>http://10.0.0.5:8080/onvif/device_service http://[fe80::1]/onvif</x:XAddrs>"
    "<x:MetadataVersion>3</x:MetadataVersion></x:ProbeMatch>"
    "<x:ProbeMatch><y:EndpointReference><y:Address>urn:uuid:two</y:Address></y:EndpointReference>"
    "<x:Types xmlns:q=\"http://www.onvif.org/ver10/device/wsdl\">q:Device</x:Types></x:ProbeMatch>"
    "<x:ProbeMatch><x:Types>nothing</x:Types></x:ProbeMatch>"
    "</x:ProbeMatches></e:Body></e:Envelope>";

TEST(WsdMessageTest, MatchesAreReadByNamespaceWhateverThePrefixes) {
    const auto matches = Read(kMatches);
    ASSERT_EQ(matches.size(), 2u);  // the third names no endpoint
    EXPECT_EQ(matches[0].endpoint, "urn:uuid:one");
    EXPECT_EQ(matches[0].messageId, "urn:uuid:reply");
    EXPECT_EQ(matches[0].relatesTo, "urn:uuid:probe");
    EXPECT_EQ(matches[0].metadataVersion, "3");
    EXPECT_EQ(matches[0].xaddrs.size(), 2u);
    const auto camera = WsdMessage::CameraTypes();
    EXPECT_TRUE(WsdMessage::Offers(matches[0], camera));
    EXPECT_TRUE(WsdMessage::Offers(matches[1], camera));
    EXPECT_EQ(matches[1].types, (std::vector<WsdType>{{wsd::kDevice, "Device"}}));
    EXPECT_FALSE(WsdMessage::Offers(matches[1], {{wsd::kDevprof, "Device"}}));  // same name, other namespace

    const OnvifScopes scopes = OnvifScopes::Read(matches[0].scopes);
    EXPECT_EQ(scopes.name, "Gate North");  // the first name scope counts
    EXPECT_EQ(scopes.hardware, "HW-1");
    EXPECT_EQ(scopes.location, "country/china");
    EXPECT_EQ(scopes.mac, "00:11:22:33:44:55");
    EXPECT_EQ(OnvifScopes::PercentDecoded("%E5%81%9C%zz%4"), "\xE5\x81\x9C%zz%4");

    const XAddr x = XAddr::Parse(matches[0].xaddrs[0]);
    EXPECT_TRUE(x.valid);
    EXPECT_EQ(x.host, "10.0.0.5");
    EXPECT_EQ(x.port, 8080);
    EXPECT_EQ(x.path, "/onvif/device_service");
    EXPECT_FALSE(XAddr::Parse("https://10.0.0.5/").valid);
    EXPECT_FALSE(XAddr::Parse("http://10.0.0.5:99999/").valid);
}

TEST(WsdMessageTest, AProbeGoesOutAndReadsBackWithItsTypesAndId) {
    const std::string id = WsdMessage::NewMessageId();
    EXPECT_EQ(id.size(), 45u);
    EXPECT_EQ(id.rfind("urn:uuid:", 0), 0u);
    EXPECT_EQ(id[23], '4');  // version 4
    EXPECT_NE(WsdMessage::NewMessageId(), id);
    const std::string probe = WsdMessage::Probe(id, WsdMessage::CameraTypes());
    std::string messageId, why;
    std::vector<WsdType> types;
    ASSERT_TRUE(WsdMessage::ParseProbe(probe.data(), probe.size(), &messageId, &types, &why)) << why;
    EXPECT_EQ(messageId, id);
    EXPECT_EQ(types, WsdMessage::CameraTypes());
    std::vector<WsdMatch> none;
    EXPECT_TRUE(WsdMessage::Parse(probe.data(), probe.size(), &none, &why));  // no error, no match
    EXPECT_TRUE(none.empty());
}

TEST(WsdMessageTest, HelloAndByeNameTheirEndpoint) {
    const std::string head =
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\" "
        "xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\"><s:Body>";
    const auto hello = Read(head + "<d:Hello><a:EndpointReference><a:Address>urn:uuid:h</a:Address>"
                                   "</a:EndpointReference><d:XAddrs>http://1.2.3.4/</d:XAddrs></d:Hello></s:Body></s:Envelope>");
    ASSERT_EQ(hello.size(), 1u);
    EXPECT_EQ(hello[0].kind, WsdMatch::kHello);
    const auto bye = Read(head + "<d:Bye><a:EndpointReference><a:Address>urn:uuid:h</a:Address>"
                                 "</a:EndpointReference></d:Bye></s:Body></s:Envelope>");
    ASSERT_EQ(bye.size(), 1u);
    EXPECT_EQ(bye[0].kind, WsdMatch::kBye);
    EXPECT_EQ(bye[0].endpoint, "urn:uuid:h");
}

TEST(WsdMessageTest, HostileAndMalformedMessagesAreDroppedWithAReason) {
    const std::string bomb =
        "<?xml version=\"1.0\"?><!DOCTYPE s [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;\">]><s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\">"
        "<s:Body>&c;</s:Body></s:Envelope>";
    EXPECT_EQ(Dropped(bomb), "a document type declaration");
    EXPECT_EQ(Dropped(kMatches.substr(0, kMatches.size() / 2)), "not well-formed XML");
    std::string deep;
    for (int i = 0; i < 7000; ++i) deep += "<a>";
    for (int i = 0; i < 7000; ++i) deep += "</a>";
    EXPECT_EQ(deep.size(), 49000u);
    EXPECT_EQ(Dropped(deep), "not well-formed XML");  // nested past the parser's depth limit
    EXPECT_EQ(Dropped("<Envelope xmlns=\"urn:other\"><Body/></Envelope>"), "not a SOAP envelope");
    EXPECT_EQ(Dropped("<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"/>"),
              "a SOAP envelope without a body");
    EXPECT_EQ(Dropped(std::string(WsdMessage::kMaxBytes + 1, ' ')), "larger than 65536 bytes");
    EXPECT_EQ(Dropped(std::string("\xff\xfe\0garbage", 11)), "not well-formed XML");
    EXPECT_EQ(Dropped(""), "not well-formed XML");
    // Matches in the wrong namespace are no matches.
    std::string other = kMatches;
    other.replace(other.find("2005/04/discovery"), 17, "2099/01/elsewhere");
    EXPECT_TRUE(Read(other).empty());
}

}  // namespace
}  // namespace orvex
