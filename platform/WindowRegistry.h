#pragma once
#include <memory>

#include "platform/WindowTarget.h"

namespace platform {

// Opaque handle of a window that messages can be posted or sent to; 0 is no window.
using HWND = std::uintptr_t;

// The table of live window handles. Posting to a handle that was never registered or
// has been unregistered does nothing and reports false, so a result meant for a window
// that is gone is dropped. Thread-safe.
class WindowRegistry {
public:
    static HWND Register(std::shared_ptr<WindowTarget> target);
    static void Unregister(HWND hwnd);
    static bool IsWindow(HWND hwnd);
    // Asynchronous; false when the handle is not a live window.
    static bool Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Synchronous; returns the target's result, 0 when the handle is not a live window.
    static LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
};

}  // namespace platform
