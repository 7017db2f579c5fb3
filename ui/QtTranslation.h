#pragma once

namespace orvex {

// Qt's own texts (the file dialogs, the context menus of edits, standard buttons) in the
// interface language: 2052 installs Qt's Simplified Chinese translation, any other
// language removes it. On the user-interface thread; false when the translation the
// language needs could not be loaded (Qt's English texts stay).
bool InstallQtTranslation(int language);

}  // namespace orvex
