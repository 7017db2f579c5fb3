#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/TextUtil.h"

namespace platform {
namespace {

class CodePageTest : public ::testing::Test {
protected:
    void TearDown() override { CodePage::SetCharset(""); }
};

TEST_F(CodePageTest, LocaleCharsetCanBeSwitchedToGbk) {
    EXPECT_EQ(CodePage::Charset(), "UTF-8");  // the tests run in C.UTF-8
    EXPECT_EQ(CodePage::AnsiToWide("\xE6\x91\x84\xE5\x83\x8F"), L"摄像");
    CodePage::SetCharset("GBK");
    EXPECT_EQ(CodePage::AnsiToWide("\xC9\xE3\xCF\xF1"), L"摄像");
    EXPECT_EQ(CodePage::WideToOem(L"摄像 cam"), "\xC9\xE3\xCF\xF1 cam");
    // Not representable in GBK: one '?' per character.
    EXPECT_EQ(CodePage::WideToOem(L"a\u0E01\U0001F600b"), "a??b");
}

TEST_F(CodePageTest, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(CodePage::Utf8ToWide("ab\xFF\xC3"), std::wstring(L"ab\uFFFD\uFFFD"));
    EXPECT_EQ(CodePage::Utf8ToWide(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
    EXPECT_EQ(CodePage::WideToUtf8(L"Café"), "Caf\xC3\xA9");
}

TEST_F(CodePageTest, FieldsAreReadWithinTheirWidthAndWrittenWithTheirTerminator) {
    const char full[4] = {'1', '2', '3', '4'};  // no terminator
    EXPECT_EQ(CodePage::FieldToWide(full, sizeof(full)), L"1234");
    EXPECT_EQ(CodePage::Utf8FieldToWide("ab\0cd", 5), L"ab");

    char field[8];
    std::memset(field, 'x', sizeof(field));
    EXPECT_EQ(CodePage::WriteField(field, sizeof(field), L"admin"), 5u);
    EXPECT_EQ(std::string(field, 8), std::string("admin\0\0\0", 8));
    EXPECT_EQ(CodePage::WriteField(field, sizeof(field), L"abcdefghij"), 7u);
    EXPECT_EQ(std::string(field, 8), std::string("abcdefg\0", 8));
    // A multi-byte character that does not fit is left out whole.
    EXPECT_EQ(CodePage::WriteField(field, sizeof(field), L"abcde摄"), 5u);
    EXPECT_EQ(std::string(field, 8), std::string("abcde\0\0\0", 8));
    CodePage::SetCharset("GBK");
    EXPECT_EQ(CodePage::WriteField(field, sizeof(field), L"abcde摄"), 7u);
    EXPECT_EQ(field[7], '\0');
    EXPECT_EQ(CodePage::WriteField(field, 0, L"x"), 0u);
}

TEST(TextUtil, TrimAndLeadingNumbers) {
    EXPECT_EQ(Trim(std::wstring(L" \t\r\n\v\f a b \n")), L"a b");
    EXPECT_EQ(Trim(std::string("   ")), "");
    EXPECT_EQ(LeadingInt(std::wstring(L"  42abc")), 42);
    EXPECT_EQ(LeadingInt(std::wstring(L"-7.5")), -7);
    EXPECT_EQ(LeadingInt(std::wstring(L"+3")), 3);
    EXPECT_EQ(LeadingInt(std::wstring(L"x9")), 0);
    EXPECT_EQ(LeadingInt(std::wstring(L"")), 0);
    EXPECT_EQ(LeadingInt(std::string("99999999999999")), 2147483647);
    EXPECT_EQ(LeadingInt(std::string("-99999999999999")), -2147483647 - 1);
}

}  // namespace
}  // namespace platform
