#include "upgrade/JsonHandle.h"

#include <gtest/gtest.h>

namespace orvex {
namespace {

struct Parsed {
    BOOL ok;
    std::wstring name, server, file;
};

Parsed Parse(const std::wstring& reply) {
    Parsed p{FALSE, L"-", L"-", L"-"};
    p.ok = CJsonHandle().ParseFirmwareInfo(reply, p.name, p.server, p.file);
    return p;
}

TEST(FormatJsonText, RewritesIntoAFlatStrictObject) {
    CJsonHandle json;
    std::wstring doc;
    ASSERT_TRUE(json.FormatJsonText(LR"({"name":"V2","download_server":"S","download_file":"F"})", doc));
    EXPECT_EQ(doc, LR"({"name":"V2","download_server":"S","download_file":"F"})");
    ASSERT_TRUE(json.FormatJsonText(L"{name:\"V1\", download_server:\"S\", download_file:\"F\"}", doc));
    EXPECT_EQ(doc, LR"({"name":"V1","download_server":"S","download_file":"F"})");
    ASSERT_TRUE(json.FormatJsonText(L"{\r\n  \"name\" : \"V3\",\r\n  \"x\" : 5\r\n}\r\n", doc));
    EXPECT_EQ(doc, LR"({"name":"V3","x":5})");
    // Values are never quoted or unquoted; a comma inside a value splits it, and the
    // piece after the comma has no colon, so the string is left open.
    ASSERT_TRUE(json.FormatJsonText(LR"({"a":b,"c":"d,e"})", doc));
    EXPECT_EQ(doc, LR"({"a":b,"c":"d})");
    EXPECT_FALSE(json.FormatJsonText(LR"({"name":"V1"})", doc));  // one piece only
    EXPECT_TRUE(doc.empty());
    EXPECT_FALSE(json.FormatJsonText(L"no colon, here", doc));
    EXPECT_FALSE(json.FormatJsonText(L":x,:y", doc));
}

TEST(ParseFirmwareInfo, ExamplesOfTheServerReply) {
    const Parsed quoted = Parse(LR"({"name":"1.7.15.9","download_server":"fw.example:8080","download_file":"files/a.bin"})");
    ASSERT_TRUE(quoted.ok);
    EXPECT_EQ(quoted.name, L"1.7.15.9");
    EXPECT_EQ(quoted.server, L"fw.example:8080");  // a colon inside a value stays
    EXPECT_EQ(quoted.file, L"files/a.bin");

    const Parsed bare = Parse(L"{name:\"V1\", download_server:\"S\", download_file:\"F\"}");
    ASSERT_TRUE(bare.ok);
    EXPECT_EQ(bare.name, L"V1");
    EXPECT_EQ(bare.server, L"S");
    EXPECT_EQ(bare.file, L"F");

    const Parsed pretty = Parse(L"{\n  \"download_file\": \"F\",\n  \"name\": \"V9\",\n  \"extra\": true\n}\n");
    ASSERT_TRUE(pretty.ok);
    EXPECT_EQ(pretty.name, L"V9");
    EXPECT_EQ(pretty.server, L"");  // missing member: empty
    EXPECT_EQ(pretty.file, L"F");

    const Parsed number = Parse(LR"({"name":"V1","download_server":"S","download_file":42})");
    ASSERT_TRUE(number.ok);
    EXPECT_EQ(number.file, L"");  // not a text: empty

    EXPECT_FALSE(Parse(LR"({"name":"V1"})").ok);
    const Parsed split = Parse(LR"({"name":"V1","download_server":"a,b","download_file":"F"})");
    EXPECT_FALSE(split.ok);
    EXPECT_EQ(split.name, L"-");  // outputs untouched on failure
    EXPECT_FALSE(Parse(LR"({"name":V1,"download_server":S})").ok);  // unquoted values
    EXPECT_FALSE(Parse(L"server error").ok);
}

TEST(ParseFirmwareInfo, LimitsRefuseRatherThanCut) {
    // 255 bytes are read; 256 are refused (not cut into another document).
    const std::wstring head = LR"({"name":"V1","download_server":"S","download_file":")";
    const std::wstring fits = head + std::wstring(255 - head.size() - 2, L'f') + L"\"}";
    ASSERT_EQ(fits.size(), 255u);
    EXPECT_TRUE(Parse(fits).ok);
    const std::wstring over = head + std::wstring(256 - head.size() - 2, L'f') + L"\"}";
    EXPECT_FALSE(Parse(over).ok);

    // A piece of 128 characters is read whole; one of 129 is skipped.
    const std::wstring piece128 = L"\"download_file\":\"" + std::wstring(128 - 18, L'p') + L"\"";
    ASSERT_EQ(piece128.size(), 128u);
    const Parsed p128 = Parse(L"{\"name\":\"V1\"," + piece128 + L",\"x\":\"y\"}");
    ASSERT_TRUE(p128.ok);
    EXPECT_EQ(p128.file.size(), 110u);
    const std::wstring piece129 = L"\"download_file\":\"" + std::wstring(129 - 18, L'p') + L"\"";
    const Parsed p129 = Parse(L"{\"name\":\"V1\",\"download_server\":\"S\"," + piece129 + L",\"x\":\"y\"}");
    ASSERT_TRUE(p129.ok);
    EXPECT_EQ(p129.file, L"");

    // Multi-byte text counts in bytes: 90 Chinese characters are 270 bytes in UTF-8.
    EXPECT_FALSE(Parse(L"{\"name\":\"" + std::wstring(90, L'版') + L"\",\"a\":\"b\"}").ok);
    const Parsed chinese = Parse(L"{\"name\":\"固件版本\",\"download_server\":\"S\"}");
    ASSERT_TRUE(chinese.ok);
    EXPECT_EQ(chinese.name, L"固件版本");
}

}  // namespace
}  // namespace orvex
