#include "platform/WindowRegistry.h"

#include <map>
#include <mutex>

namespace platform {
namespace {

struct Registry {
    std::mutex lock;
    std::map<HWND, std::shared_ptr<WindowTarget>> windows;
    HWND next = 0x10000;
};

Registry& Windows() {
    static Registry registry;
    return registry;
}

}  // namespace

HWND WindowRegistry::Register(std::shared_ptr<WindowTarget> target) {
    if (!target) return 0;
    Registry& r = Windows();
    std::lock_guard<std::mutex> guard(r.lock);
    const HWND hwnd = r.next;
    r.next += 4;  // handles are never reused
    r.windows.emplace(hwnd, std::move(target));
    return hwnd;
}

void WindowRegistry::Unregister(HWND hwnd) {
    std::shared_ptr<WindowTarget> target;
    {
        Registry& r = Windows();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.windows.find(hwnd);
        if (it == r.windows.end()) return;
        target = std::move(it->second);
        r.windows.erase(it);
    }
    target->OnUnregistered();
}

bool WindowRegistry::IsWindow(HWND hwnd) {
    Registry& r = Windows();
    std::lock_guard<std::mutex> guard(r.lock);
    return r.windows.count(hwnd) != 0;
}

bool WindowRegistry::Post(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Held while posting: once Unregister has returned, nothing more arrives.
    Registry& r = Windows();
    std::lock_guard<std::mutex> guard(r.lock);
    auto it = r.windows.find(hwnd);
    if (it == r.windows.end()) return false;
    it->second->OnPost(Message{message, wParam, lParam});
    return true;
}

LRESULT WindowRegistry::Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    std::shared_ptr<WindowTarget> target;
    {
        Registry& r = Windows();
        std::lock_guard<std::mutex> guard(r.lock);
        auto it = r.windows.find(hwnd);
        if (it == r.windows.end()) return 0;
        target = it->second;
    }
    return target->OnSend(Message{message, wParam, lParam});
}

}  // namespace platform
