#include "cgi/BugLog.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/LocalTime.h"
#include "platform/ModulePath.h"

namespace orvex {

bool WriteBugLog(const char* text, bool timePrefix, bool lineEnd) {
    if (!text || text[0] == '\0') return false;
    const std::string path = platform::ModulePath::Directory() + "/BugLog.txt";
    std::FILE* file = std::fopen(path.c_str(), "a+");
    if (!file) return true;
    if (timePrefix) {
        const platform::LocalTime t = platform::LocalTime::Now();
        std::fprintf(file, "<%04d-%02d-%02d %02d:%02d:%02d>:", t.year, t.month, t.day, t.hour,
                     t.minute, t.second);
    }
    std::fwrite(text, 1, strnlen(text, 1024), file);
    if (lineEnd) std::fputs("\r\n", file);
    std::fclose(file);
    return true;
}

const char* GetExceptionName(std::uint32_t code) {
    switch (code) {
        case 0x80000001: return "Guard page";
        case 0x80000003: return "Breakpoint";
        case 0xC0000005: return "Memory access exception";
        case 0xC0000008: return "Invalid handle";
        case 0xC000001D: return "Illegal instruction";
        case 0xC0000025: return "Noncontinuable exception";
        case 0xC000008C: return "Array bounds exceeded";
        case 0xC000008E: return "Float divide by zero";
        case 0xC00000FD: return "Stack overflow";
        default: return "Unknown eception";
    }
}

}  // namespace orvex
