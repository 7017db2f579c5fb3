#include "platform/ModulePath.h"

#include <limits.h>
#include <unistd.h>

#include <mutex>

namespace platform {
namespace {

std::mutex g_lock;
std::string g_override;

}  // namespace

std::string ModulePath::Directory() {
    {
        std::lock_guard<std::mutex> guard(g_lock);
        if (!g_override.empty()) return g_override;
    }
    char path[PATH_MAX] = {};
    const ssize_t len = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (len <= 0) return ".";
    std::string full(path, static_cast<std::size_t>(len));
    const auto slash = full.rfind('/');
    return slash == std::string::npos ? "." : full.substr(0, slash);
}

void ModulePath::OverrideDirectory(const std::string& directory) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_override = directory;
}

}  // namespace platform
