#include "discovery/CameraExport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/CodePage.h"

namespace orvex {
namespace {

DeviceRecord Camera(const std::uint8_t (&mac)[6], const char* ip, const char* name,
                    std::uint16_t port, int mode) {
    DeviceRecord r;
    std::memcpy(r.abyMac, mac, 6);
    std::strcpy(r.szIp, ip);
    std::strcpy(r.szName, name);
    r.wPort = port;
    r.nMode = mode;
    return r;
}

TEST(CameraExport, TwoCamerasGiveTwoFixedColumnLines) {
    const std::uint8_t mac1[6] = {0x02, 0x4f, 0x52, 0x0a, 0xbc, 0xde};
    const std::uint8_t mac2[6] = {0xfe, 0x01, 0x02, 0x03, 0x04, 0x05};
    const std::string text = FormatExportLines(
        {Camera(mac1, "192.168.1.57", "Front door", 80, 1),
         Camera(mac2, "10.0.0.200", "A camera with a long name", 65535, 7)});
    const std::string expected =
        "1       T       Front door          192.168.1.57        80      02:4F:52:0A:BC:DE   \r\n"
        "2       Other   A camera with a long name10.0.0.200          65535   "
        "FE:01:02:03:04:05   \r\n";
    EXPECT_EQ(text, expected);
    EXPECT_EQ(FormatExportLines({}), "");
}

TEST(CameraExport, NameIsReadAndWrittenInTheLocaleCharset) {
    const std::uint8_t mac[6] = {2, 2, 3, 4, 5, 6};
    platform::CodePage::SetCharset("GBK");
    // "停车场" in GBK: read as three characters, padded to 20 characters, written back as GBK.
    const std::string line =
        FormatExportLine(3, Camera(mac, "10.0.0.1", "\xCD\xA3\xB3\xB5\xB3\xA1", 8080, 3));
    platform::CodePage::SetCharset("");
    EXPECT_EQ(line.substr(0, 16), "3       C       ");
    EXPECT_EQ(line.substr(16, 6), "\xCD\xA3\xB3\xB5\xB3\xA1");
    EXPECT_EQ(line.substr(22, 17), std::string(17, ' '));
    EXPECT_EQ(line.substr(39, 8), "10.0.0.1");
}

}  // namespace
}  // namespace orvex
