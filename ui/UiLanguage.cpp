#include "ui/UiLanguage.h"

#include <atomic>
#include <cstdlib>
#include <string>

#include "resources/StringTable.h"

namespace orvex {
namespace {

std::atomic<int> g_language{kLanguageEnglish};

int LanguageOfLocale(std::string name) {
    const auto dot = name.find_first_of(".@");
    if (dot != std::string::npos) name.resize(dot);
    if (name == "zh_CN" || name == "zh_SG" || name.rfind("zh_Hans", 0) == 0 || name == "zh") {
        return kLanguageChinese;
    }
    if (name == "zh_TW" || name == "zh_HK" || name.rfind("zh_Hant", 0) == 0) return 1028;
    return kLanguageEnglish;
}

}  // namespace

int UiLanguage::UserDefaultFrom(const char* lcAll, const char* lcMessages, const char* lang) {
    for (const char* value : {lcAll, lcMessages, lang}) {
        if (value && *value) return LanguageOfLocale(value);
    }
    return kLanguageEnglish;
}

int UiLanguage::UserDefault() {
    return UserDefaultFrom(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

void UiLanguage::Set(int language) { g_language = language; }
int UiLanguage::Current() { return g_language; }
std::wstring UiLanguage::Load(int id) { return LoadStringText(id, g_language); }
QString UiLanguage::LoadQ(int id) { return ToQString(Load(id)); }

QString ToQString(const std::wstring& text) { return QString::fromStdWString(text); }
std::wstring FromQString(const QString& text) { return text.toStdWString(); }

}  // namespace orvex
