#include <gtest/gtest.h>

#include "app/OrvexApp.h"
#include "resources/StringTable.h"
#include "ui/UiLanguage.h"

namespace orvex {
namespace {

TEST(StringTable, EveryIdInBothLanguages) {
    const std::vector<int> ids = StringIds();
    ASSERT_EQ(ids.size(), 112u);
    for (int id = 101; id <= 212; ++id) {
        EXPECT_EQ(ids[static_cast<std::size_t>(id - 101)], id);
        EXPECT_FALSE(LoadStringText(id, kLanguageEnglish).empty()) << id;
        EXPECT_FALSE(LoadStringText(id, kLanguageChinese).empty()) << id;
        const bool same = id == 101 || id == 147 || id == 158;
        EXPECT_EQ(LoadStringText(id, kLanguageEnglish) == LoadStringText(id, kLanguageChinese), same) << id;
    }
    EXPECT_EQ(LoadStringText(100, kLanguageEnglish), L"");
    EXPECT_EQ(LoadStringText(213, kLanguageChinese), L"");
    EXPECT_EQ(LoadStringText(122, 1028), L"Search send failure, please check the network connection.");
}

TEST(StringTable, TextsExactlyAsTheyStand) {
    struct Text {
        int id;
        const wchar_t* english;
        const wchar_t* chinese;
    };
    const Text texts[] = {
        {101, L"About Orvex(&A)...", L"About Orvex(&A)..."},
        {115, L"Count:", L"共有摄像机:"},
        {117, L"Prompt", L"提示"},
        {124, L"ERROR Incorrect username or password", L"用户名或密码错误"},
        {125, L"Lack of user rights  Lack", L"用户权限不够"},
        {151, L"The network is not \"Fixed IP\", this operation could not be done.",
         L"当前连网方式不是\"固定IP地址 (静态IP)\", 不能使用一键设置功能."},
        {158, L"Orvex", L"Orvex"},
        {177, L"Other upgrades, error codes", L"其它升级错误, 错误码"},
        {197, L"The UID format is incorrect. Please re-enter.", L"UID格式不正确, 请重新输入."},
    };
    for (const Text& t : texts) {
        EXPECT_EQ(LoadStringText(t.id, kLanguageEnglish), t.english) << t.id;
        EXPECT_EQ(LoadStringText(t.id, kLanguageChinese), t.chinese) << t.id;
    }
    // String 178 ends with its own sentence: no contact line follows.
    const std::wstring smart = LoadStringText(178, kLanguageEnglish);
    const std::wstring end = L"please contact with company's technical support.";
    EXPECT_EQ(smart.substr(smart.size() - end.size()), end);
    const std::wstring smartZh = LoadStringText(178, kLanguageChinese);
    EXPECT_EQ(smartZh.substr(smartZh.size() - 7), L"技术支持联系.");
}

TEST(StartLanguage, OnlySimplifiedChineseStartsInChinese) {
    auto start = [](const char* all, const char* messages, const char* lang) {
        return COrvexApp::LanguageIndexFor(UiLanguage::UserDefaultFrom(all, messages, lang));
    };
    EXPECT_EQ(start(nullptr, nullptr, "zh_CN.UTF-8"), 1);
    EXPECT_EQ(start(nullptr, nullptr, "zh_SG.GBK"), 1);
    EXPECT_EQ(start("", "zh_Hans", "en_US.UTF-8"), 1);
    EXPECT_EQ(start(nullptr, nullptr, "zh_TW.UTF-8"), 0);  // Traditional Chinese: English
    EXPECT_EQ(start(nullptr, nullptr, "zh_HK.UTF-8"), 0);
    EXPECT_EQ(start("en_GB.UTF-8", nullptr, "zh_CN.UTF-8"), 0);  // LC_ALL wins
    EXPECT_EQ(start(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(start(nullptr, nullptr, "C"), 0);
    EXPECT_EQ(UiLanguage::UserDefaultFrom(nullptr, nullptr, "zh_TW"), 1028);
}

}  // namespace
}  // namespace orvex
