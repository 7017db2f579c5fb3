#include "cgi/TraceMsg.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/CopyDataChannel.h"

namespace orvex {

namespace {
std::atomic<bool> g_echo{false};
}

void SetTraceEcho(bool echo) {
    g_echo = echo;
}

void TraceMsg(const char* format, ...) {
    char text[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    if (g_echo) {
        const char* shown = text;
        while (*shown == '\r' || *shown == '\n') ++shown;
        std::fprintf(stderr, "trace: %s\n", shown);  // one write: lines of threads do not mix
    }
    const auto length = static_cast<platform::DWORD>(std::strlen(text));
    if (platform::CopyDataChannel::Send(kTraceWinClass, kTraceTag, text, length)) return;
    platform::CopyDataChannel::Send(kMfxTraceClass, kTraceTag, text, length);
}

}  // namespace orvex
