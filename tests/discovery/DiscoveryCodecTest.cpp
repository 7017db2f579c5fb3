#include "discovery/DiscoveryCodec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/TextUtil.h"

namespace orvex {
namespace {

std::vector<std::uint8_t> SearchReplyBytes() {
    std::vector<std::uint8_t> d(kSearchReplySize, 0);
    d[0] = 0x44;
    d[1] = 0x48;
    d[2] = 0x01;
    d[3] = 0x08;
    std::memcpy(&d[4 + 0], "192.168.1.57", 12);
    std::memcpy(&d[4 + 16], "255.255.255.0", 13);
    std::memcpy(&d[4 + 32], "192.168.1.1", 11);
    std::memcpy(&d[4 + 48], "8.8.8.8", 7);
    std::memcpy(&d[4 + 64], "8.8.4.4", 7);
    const std::uint8_t mac[6] = {0x02, 0x4F, 0x52, 0xAB, 0xCD, 0xEF};
    std::memcpy(&d[4 + 80], mac, 6);
    d[4 + 86] = 0x90;  // port 8080, little-endian
    d[4 + 87] = 0x1F;
    std::memcpy(&d[4 + 88], "ORVX123456ABCDE", 15);
    std::memcpy(&d[4 + 120], "Garage", 6);
    std::memcpy(&d[4 + 200], "1.7.20.4", 8);
    d[4 + 296] = 0x5A;
    d[4 + 297] = 1;
    for (int i = 298; i < 480; ++i) d[4 + i] = static_cast<std::uint8_t>(i);
    std::memcpy(&d[4 + 480], "ddnspw", 6);
    return d;
}

TEST(DiscoveryDatagrams, RequestsAreLaidOutByteForByte) {
    const auto search = BuildSearchRequest();
    EXPECT_EQ((std::vector<std::uint8_t>(search.begin(), search.end())),
              (std::vector<std::uint8_t>{0x44, 0x48, 0x01, 0x01}));

    DeviceParams params;
    for (std::size_t i = 0; i < kParamsSize; ++i) params.abyData[i] = static_cast<std::uint8_t>(i * 3);
    const auto set = BuildSetRequest(params);
    ASSERT_EQ(set.size(), 324u);
    EXPECT_EQ(set[0], 0x44);
    EXPECT_EQ(set[1], 0x48);
    EXPECT_EQ(set[2], 0x02);
    EXPECT_EQ(set[3], 0x01);
    EXPECT_EQ(0, std::memcmp(set.data() + 4, params.abyData, kParamsSize));
}

TEST(DiscoveryDatagrams, RepliesAreLaidOutByteForByte) {
    const auto bytes = SearchReplyBytes();
    const DecodedReply decoded = DecodeReply(bytes.data(), bytes.size());
    const auto rebuilt = BuildSearchReply(decoded.record);
    EXPECT_EQ(std::vector<std::uint8_t>(rebuilt.begin(), rebuilt.end()), bytes);

    DeviceParams params;
    std::memset(params.abyData, 0x11, kParamsSize);
    const auto reply = BuildSetReply(params, 0x8002);
    ASSERT_EQ(reply.size(), 328u);
    EXPECT_EQ(reply[2], 0x02);
    EXPECT_EQ(reply[3], 0x08);
    EXPECT_EQ(reply[323], 0x11);
    EXPECT_EQ(reply[324], 0x02);
    EXPECT_EQ(reply[325], 0x80);
    EXPECT_EQ(reply[326], 0x00);
    EXPECT_EQ(reply[327], 0x00);
}

TEST(DiscoveryDatagrams, SearchReplyFillsEveryField) {
    const auto bytes = SearchReplyBytes();
    const DecodedReply r = DecodeReply(bytes.data(), bytes.size());
    ASSERT_EQ(r.kind, DecodedReply::kDeviceFound);
    EXPECT_STREQ(r.record.szIp, "192.168.1.57");
    EXPECT_STREQ(r.record.szSubMask, "255.255.255.0");
    EXPECT_STREQ(r.record.szGateway, "192.168.1.1");
    EXPECT_STREQ(r.record.szPrimaryDns, "8.8.8.8");
    EXPECT_STREQ(r.record.szSecondaryDns, "8.8.4.4");
    EXPECT_EQ(MacText(r.record), "02:4F:52:AB:CD:EF");
    EXPECT_EQ(r.record.wPort, 8080);
    EXPECT_STREQ(r.record.szDeviceId, "ORVX123456ABCDE");
    EXPECT_STREQ(r.record.szName, "Garage");
    EXPECT_STREQ(r.record.szDdnsPassword, "ddnspw");
    EXPECT_EQ(r.record.byNetMode, 1);
    EXPECT_EQ(r.record.bAlive, 1);
    EXPECT_EQ(r.record.nMode, 4);  // 1.7.20.4
    EXPECT_EQ(PayloadBytes(r.record)[296], 0x5A);
    EXPECT_EQ(PayloadBytes(r.record)[400], static_cast<std::uint8_t>(400));
}

TEST(DiscoveryDatagrams, PortIsLittleEndian) {
    auto bytes = SearchReplyBytes();
    bytes[4 + 86] = 0x50;
    bytes[4 + 87] = 0x00;
    EXPECT_EQ(DecodeReply(bytes.data(), bytes.size()).record.wPort, 80);
    bytes[4 + 86] = 0x00;
    bytes[4 + 87] = 0x50;
    EXPECT_EQ(DecodeReply(bytes.data(), bytes.size()).record.wPort, 0x5000);
}

TEST(DiscoveryDatagrams, ShortLongAndForeignDatagrams) {
    // Short: missing bytes read as zero.
    auto bytes = SearchReplyBytes();
    const DecodedReply cut = DecodeReply(bytes.data(), 4 + 20);
    ASSERT_EQ(cut.kind, DecodedReply::kDeviceFound);
    EXPECT_STREQ(cut.record.szIp, "192.168.1.57");
    EXPECT_STREQ(cut.record.szSubMask, "255.");
    EXPECT_EQ(cut.record.wPort, 0);
    EXPECT_STREQ(cut.record.szName, "");

    // Exactly the header: an all-zero record, alive, class 5.
    const std::uint8_t header[4] = {0x44, 0x48, 0x01, 0x08};
    const DecodedReply empty = DecodeReply(header, 4);
    ASSERT_EQ(empty.kind, DecodedReply::kDeviceFound);
    EXPECT_EQ(empty.record.bAlive, 1);
    EXPECT_EQ(empty.record.nMode, 5);
    EXPECT_EQ(MacText(empty.record), "00:00:00:00:00:00");

    // Long: only bytes 4..515 are used, and nothing past 1024 is read.
    std::vector<std::uint8_t> huge(5000, 0xEE);
    std::memcpy(huge.data(), bytes.data(), bytes.size());
    const DecodedReply longer = DecodeReply(huge.data(), huge.size());
    ASSERT_EQ(longer.kind, DecodedReply::kDeviceFound);
    EXPECT_STREQ(longer.record.szIp, "192.168.1.57");

    // Wrong magic, another computer's requests, an unknown command.
    const std::uint8_t hd[4] = {0x48, 0x44, 0x01, 0x08};
    EXPECT_EQ(DecodeReply(hd, 4).kind, DecodedReply::kDropped);
    const std::uint8_t nothing[1] = {0};
    EXPECT_EQ(DecodeReply(nothing, 0).kind, DecodedReply::kDropped);
    const auto search = BuildSearchRequest();
    EXPECT_EQ(DecodeReply(search.data(), search.size()).kind, DecodedReply::kIgnored);
    const auto set = BuildSetRequest(DeviceParams{});
    EXPECT_EQ(DecodeReply(set.data(), set.size()).kind, DecodedReply::kIgnored);
    const std::uint8_t odd[4] = {0x44, 0x48, 0x03, 0x08};
    EXPECT_EQ(DecodeReply(odd, 4).kind, DecodedReply::kIgnored);
}

TEST(DiscoveryDatagrams, SetReplyCarriesSignedResultAndBlock) {
    DeviceParams params;
    std::memset(params.abyData, 0, kParamsSize);
    std::memcpy(params.abyData, "10.0.0.9", 8);
    for (std::int32_t code : {0x8000, 0x8001, 0x8002, 0, 1, -1}) {
        const auto reply = BuildSetReply(params, code);
        const DecodedReply r = DecodeReply(reply.data(), reply.size());
        ASSERT_EQ(r.kind, DecodedReply::kSetReply);
        EXPECT_EQ(r.result, code);
        EXPECT_STREQ(r.record.szIp, "10.0.0.9");
        EXPECT_EQ(r.record.bAlive, 0);
    }
    // A set reply cut before its result reads result 0.
    const auto reply = BuildSetReply(params, 0x8000);
    EXPECT_EQ(DecodeReply(reply.data(), 324).result, 0);
}

TEST(ModelClass, VersionExamples) {
    struct Case {
        const wchar_t* version;
        int mode;
        const char* letter;
    };
    const Case cases[] = {
        {L"1.2.15.4", 1, "T"},   {L"1.7.15.4", 2, "F"},  {L"1.7.20.4", 4, "G"},
        {L"1.7.60.4", 3, "C"},   {L"1.7.99.0", 3, "C"},  {L"1.7.40.4", 5, "Other"},
        {L"1.7.15", 5, "Other"}, {L"1 . 3 . 64 . 2", 1, "T"}, {L"3.2", 5, "Other"},
        {L"", 5, "Other"},       {L"17", 5, "Other"},    {L"1.", 5, "Other"},
        {L"1.0.", 1, "T"},       {L"1.6.x.", 1, "T"},    {L"1.7.19.", 2, "F"},
        {L"1.7.10.", 2, "F"},    {L"1.7.9.1", 5, "Other"}, {L"1.-7.12.0", 2, "F"},
        {L"1.7.", 5, "Other"},   {L"1.7..", 5, "Other"}, {L"1.x5.60.1", 1, "T"},
    };
    for (const Case& c : cases) {
        const int mode = ModelClassOfVersion(c.version);
        EXPECT_EQ(mode, c.mode) << c.version;
        EXPECT_STREQ(ModelLetter(mode), c.letter);
    }
    EXPECT_STREQ(ModelLetter(0), "Other");
    EXPECT_STREQ(ModelLetter(-3), "Other");
}

TEST(ModelClass, VersionFieldWithoutTerminatorIsReadWithinItsWidth) {
    auto bytes = SearchReplyBytes();
    std::memset(&bytes[4 + 200], '7', 32);  // no terminating zero in the field
    bytes[4 + 201] = '.';
    bytes[4 + 203] = '.';
    const DecodedReply r = DecodeReply(bytes.data(), bytes.size());
    EXPECT_EQ(r.record.nMode, 5);  // "7.7.7777...": second value 7, no third dot
}

}  // namespace
}  // namespace orvex
