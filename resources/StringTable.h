#pragma once
#include <string>
#include <vector>

namespace orvex {

constexpr int kLanguageEnglish = 1033;
constexpr int kLanguageChinese = 2052;

// The text of a string id (101..212) in a language (1033 or 2052; any other language
// reads English); an unknown id loads as empty text.
std::wstring LoadStringText(int id, int language);
// Every id of the table, in order.
std::vector<int> StringIds();

}  // namespace orvex
