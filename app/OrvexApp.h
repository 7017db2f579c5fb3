#pragma once

namespace orvex {

// Starts the program: picks the interface language from the user's UI language and runs
// the main window modally; the program ends when it closes.
class COrvexApp {
public:
    virtual ~COrvexApp() = default;
    // Returns false, as the framework ends the process after the main window closed.
    bool InitInstance();
    int ExitInstance() { return 0; }
    // 1 for Chinese (when the user's language is 2052), else 0.
    static int LanguageIndexFor(int userLanguage);
};

}  // namespace orvex
