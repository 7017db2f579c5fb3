#include "tools/camsim/EventLog.h"

#include <cstdio>
#include <mutex>

namespace camsim {
namespace {

std::mutex g_lock;
std::FILE* g_file = nullptr;  // guarded by g_lock

}  // namespace

bool EventLog::Open(const std::string& path) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (g_file) std::fclose(g_file);
    g_file = std::fopen(path.c_str(), "a");
    return g_file != nullptr;
}

void EventLog::Write(const std::string& line) {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_file) return;
    std::fprintf(g_file, "%s\n", line.c_str());
    std::fflush(g_file);  // read by another process while this one runs
}

}  // namespace camsim
