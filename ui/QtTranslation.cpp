#include "ui/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

#include "resources/StringTable.h"

namespace orvex {

bool InstallQtTranslation(int language) {
    static QPointer<QTranslator> installed;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed.data();
    }
    if (language != kLanguageChinese) return true;
    auto* translator = new QTranslator(app);
    if (!translator->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

}  // namespace orvex
