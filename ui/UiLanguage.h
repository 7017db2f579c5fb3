#pragma once
#include <string>

#include <QString>

namespace orvex {

// The thread UI language of the program (1033 English, 2052 Chinese): one process-wide
// value that every text load reads. Set on the user-interface thread.
class UiLanguage {
public:
    // The user's UI language from LC_ALL, LC_MESSAGES or LANG: zh_CN, zh_SG and zh_Hans
    // give 2052, zh_TW and zh_HK 1028, everything else 1033.
    static int UserDefault();
    static int UserDefaultFrom(const char* lcAll, const char* lcMessages, const char* lang);
    static void Set(int language);
    static int Current();
    // The text of a string id in the current language.
    static std::wstring Load(int id);
    static QString LoadQ(int id);
};

QString ToQString(const std::wstring& text);
std::wstring FromQString(const QString& text);

}  // namespace orvex
