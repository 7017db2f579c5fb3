// What may be sent as firmware, judged on the bytes, and versions compared as numbers.
#include <gtest/gtest.h>

#include <string>

#include "fleet/FirmwareFile.h"
#include "fleet/FirmwareVersion.h"

namespace {

using orvex::FirmwareFile;
using orvex::FirmwareVersion;
using Refusal = FirmwareFile::Refusal;

// Bytes without a NUL that are not text either: every byte value but 0, shuffled.
std::string BinaryWithoutNul(std::size_t size) {
    std::string bytes;
    std::uint32_t state = 12345;
    while (bytes.size() < size) {
        state = state * 1103515245u + 12345u;
        const char c = static_cast<char>((state >> 16) % 255 + 1);
        bytes += c;
    }
    return bytes;
}

TEST(FirmwareFileTest, TextDocumentsAndBlankImagesAreToldFromFirmware) {
    struct Case {
        std::string bytes;
        Refusal refusal;
        std::string detail;
    };
    const std::string image = std::string("ORVEXFW 1.7.16.0\n") + '\0' + BinaryWithoutNul(9000);
    const std::vector<Case> cases = {
        {image, Refusal::kNone, ""},
        // A NUL past the first 4 KiB does not make text firmware; random bytes without one do.
        {std::string(5000, 'a') + '\0' + "b", Refusal::kText, "text"},
        {BinaryWithoutNul(8192), Refusal::kNone, ""},
        {"", Refusal::kEmpty, ""},
        {std::string(100, '\0'), Refusal::kSameByte, "0x00"},
        {std::string(100000, '\xFF'), Refusal::kSameByte, "0xFF"},
        {"\xEF\xBB\xBF \r\n\t<!doctype html><p>x", Refusal::kText, "HTML"},
        {"<?XML version=\"1.0\"?><fw/>", Refusal::kText, "XML"},
        {"\n[1, 2, 3]", Refusal::kText, "JSON"},
        {"{\"name\":\"x\"}", Refusal::kText, "JSON"},
        // Text in other scripts is text too: here Chinese in UTF-8.
        {"\xE5\x9B\xBA\xE4\xBB\xB6\xE8\xAF\xB4\xE6\x98\x8E\nversion 2\n", Refusal::kText, "text"},
        // Mostly text, with enough control bytes that it is not.
        {std::string(90, 'a') + std::string(10, '\x01'), Refusal::kNone, ""},
        {std::string(97, 'a') + std::string(3, '\x01'), Refusal::kText, "text"},
    };
    for (const Case& c : cases) {
        std::string detail;
        EXPECT_EQ(FirmwareFile::Judge(c.bytes, &detail), c.refusal) << c.bytes.substr(0, 20);
        EXPECT_EQ(detail, c.detail) << c.bytes.substr(0, 20);
    }
}

TEST(FirmwareVersionTest, FieldsCompareAsNumbers) {
    EXPECT_GT(FirmwareVersion::Compare("1.7.10", "1.7.9"), 0);
    EXPECT_LT(FirmwareVersion::Compare("1.7.15.0", "1.7.16.3"), 0);
    EXPECT_EQ(FirmwareVersion::Compare("1.7.16.3", "1.7.16.3"), 0);
    EXPECT_EQ(FirmwareVersion::Compare("1.7", "1.7.0.0"), 0);
    EXPECT_EQ(FirmwareVersion::Compare("1.07.3", "1.7.3"), 0);
    EXPECT_GT(FirmwareVersion::Compare("1.7.1", "1.7"), 0);
    EXPECT_GT(FirmwareVersion::Compare("2.0", "1.99999999999999999999999"), 0);
    EXPECT_GT(FirmwareVersion::Compare("1.7.0", "1.7.beta"), 0);
    EXPECT_LT(FirmwareVersion::Compare("1.7.alpha", "1.7.beta"), 0);
}

}  // namespace
