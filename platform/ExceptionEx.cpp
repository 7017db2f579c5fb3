#include "platform/ExceptionEx.h"

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace platform {
namespace {

std::atomic<bool> g_anyArmed{false};
std::mutex g_lock;
std::map<std::string, std::uint32_t> g_armed;

}  // namespace

void FaultPoints::Arm(const char* point, std::uint32_t code) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_armed[point] = code;
    g_anyArmed = true;
}

void FaultPoints::DisarmAll() {
    std::lock_guard<std::mutex> guard(g_lock);
    g_armed.clear();
    g_anyArmed = false;
}

void FaultPoints::Pass(const char* point) {
    if (!g_anyArmed.load(std::memory_order_relaxed)) return;
    std::uint32_t code = 0;
    {
        std::lock_guard<std::mutex> guard(g_lock);
        auto it = g_armed.find(point);
        if (it == g_armed.end()) return;
        code = it->second;
        g_armed.erase(it);
        g_anyArmed = !g_armed.empty();
    }
    throw CExceptionEx{code};
}

}  // namespace platform
