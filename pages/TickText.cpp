#include "pages/TickText.h"

#include "pages/PageMessages.h"

namespace orvex {

void PostTickText(platform::HWND window, int status, const std::wstring& text) {
    auto line = std::make_unique<std::wstring>(text);
    const auto lParam = reinterpret_cast<platform::LPARAM>(line.get());
    if (platform::WindowRegistry::Post(window, kMsgTickText, static_cast<platform::WPARAM>(status), lParam)) {
        line.release();  // the window owns it now
    }
}

std::unique_ptr<std::wstring> TakeTickText(const platform::Message& msg) {
    return std::unique_ptr<std::wstring>(reinterpret_cast<std::wstring*>(msg.lParam));
}

void DeleteTickText(const platform::Message& msg) {
    if (msg.message == kMsgTickText) TakeTickText(msg);
}

}  // namespace orvex
