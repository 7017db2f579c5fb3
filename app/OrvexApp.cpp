#include "app/OrvexApp.h"

#include "app/OrvexDlg.h"
#include "resources/StringTable.h"
#include "ui/QtTranslation.h"
#include "ui/UiLanguage.h"

namespace orvex {

int COrvexApp::LanguageIndexFor(int userLanguage) { return userLanguage == kLanguageChinese ? 1 : 0; }

bool COrvexApp::InitInstance() {
    const int index = LanguageIndexFor(UiLanguage::UserDefault());
    UiLanguage::Set(index == 1 ? kLanguageChinese : kLanguageEnglish);
    InstallQtTranslation(UiLanguage::Current());
    COrvexDlg dialog;
    dialog.DoModal();
    return false;
}

}  // namespace orvex
