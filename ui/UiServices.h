#pragma once
#include <memory>
#include <string>

namespace orvex {

// Message box looks and answers, as the platform numbers them.
enum class BoxIcon { kInformation, kWarning, kQuestion };
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Everything a window asks of the desktop: message boxes, file dialogs and the shell's
// "open". Tests install a scripted implementation. May be called from any thread: a box
// asked for from a worker thread is shown on the user-interface thread while it waits.
class UiServices {
public:
    virtual ~UiServices() = default;
    // A box without owner window; OK only, or OK and Cancel for the question box.
    virtual int MessageBox(const std::wstring& text, const std::wstring& caption, BoxIcon icon) = 0;
    // The path chosen in a save or open dialog, or empty when cancelled. Filters take the
    // platform's form: "*.txt", or "Description|pattern|" pairs.
    virtual std::wstring SaveFileName(const std::wstring& initialName, const std::wstring& filter) = 0;
    virtual std::wstring OpenFileName(const std::wstring& filter) = 0;
    // The shell's "open" verb on a URL or file (8-bit text).
    virtual void ShellOpen(const std::string& target) = 0;

    static std::shared_ptr<UiServices> Current();
    // Installs an implementation (null restores the desktop's).
    static void Install(std::shared_ptr<UiServices> services);
};

// Message box helpers with the caption string 117 "Prompt".
int InformationBox(int textId);
int WarningBox(int textId);
int ConfirmBox(int textId);  // kIdOk to proceed

}  // namespace orvex
