#include <gtest/gtest.h>

#include "resources/StringTable.h"
#include "upgrade/UidFormat.h"
#include "upgrade/UpgradeStatusText.h"

namespace orvex {
namespace {

TEST(UidFormat, FifteenCommaSixAfterTrimmingAndUpperCase) {
    std::wstring accepted;
    EXPECT_EQ(CheckUid(L"  orvxabcdefghijk,abcdef ", &accepted), 0);
    EXPECT_EQ(accepted, L"ORVXABCDEFGHIJK,ABCDEF");
    EXPECT_EQ(CheckUid(L"   ", &accepted), 196);
    EXPECT_EQ(CheckUid(L"", &accepted), 196);
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJ,KABCDEF", &accepted), 197);   // comma at 14
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJKA,BCDEF", &accepted), 197);   // comma at 16
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJ ,ABCDEF", &accepted), 197);   // blank by the comma
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJK, ABCDE", &accepted), 197);
    EXPECT_EQ(CheckUid(L",ORVXABCDEFGHIJKABCDEF", &accepted), 197);
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJKLABCDEF", &accepted), 197);   // no comma
    EXPECT_EQ(CheckUid(L"ORVXABCDEFGHIJK,ABCDEFG", &accepted), 197);  // 23
    EXPECT_EQ(CheckUid(L"!@#$%^&*()_+-=~,123456", &accepted), 0);    // any characters
}

TEST(StatusTexts, SmartPageAndManualDialogTables) {
    const int en = kLanguageEnglish;
    EXPECT_EQ(SmartStatusText(-1, 1, L"", L"", en).text, L"Begin upgrade...");
    EXPECT_EQ(SmartStatusText(29, 1, L"1.0.0.1", L"", en).text, L"The current device firmware version is 1.0.0.1");
    EXPECT_EQ(SmartStatusText(31, 1, L"", L"1.0.0.2", en).text, L"The latest device firmware version is 1.0.0.2");
    EXPECT_EQ(SmartStatusText(35, 56, L"", L"", en).text, L"Upgrade System Firmware...56");
    EXPECT_EQ(SmartStatusText(36, 66, L"", L"", en).text, L"System Firmware upgrade to complete reboot...66");
    EXPECT_EQ(SmartStatusText(13, 1, L"", L"", en).text, L"Other upgrades, error codes = 13");
    EXPECT_EQ(SmartStatusText(28, 1, L"", L"", en).text, L"Cancel the upgrade");
    for (int going : {-1, 10, 29, 31, 32, 33, 35, 36}) EXPECT_TRUE(SmartStatusText(going, 1, L"", L"", en).goesOn);
    for (int final : {3, 7, 9, 28, 30, 34, 37, 38, 1, 4, 13}) EXPECT_FALSE(SmartStatusText(final, 1, L"", L"", en).goesOn);
    EXPECT_EQ(ManualStatusText(-1, 1, en).text, L"");
    EXPECT_TRUE(ManualStatusText(-1, 1, en).goesOn);
    EXPECT_EQ(ManualStatusText(7, 1, en).text, L"Unable to connect to the camera");
    EXPECT_EQ(ManualStatusText(9, 1, en).text, L"Unable to connect to the camera");
    EXPECT_EQ(ManualStatusText(10, 1, en).text, L"Other upgrades, error codes = 10");  // not a manual status
    EXPECT_EQ(ManualStatusText(38, 1, kLanguageChinese).text, L"本次升级完成");
    const std::wstring prefix = LogTimePrefix();
    ASSERT_EQ(prefix.size(), 20u);
    EXPECT_EQ(prefix[4], L'-');
    EXPECT_EQ(prefix[19], L':');
}

}  // namespace
}  // namespace orvex
