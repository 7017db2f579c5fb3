#include "cgi/TraceMsg.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/CopyDataChannel.h"

namespace orvex {

void TraceMsg(const char* format, ...) {
    char text[1024] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    const auto length = static_cast<platform::DWORD>(std::strlen(text));
    if (platform::CopyDataChannel::Send(kTraceWinClass, kTraceTag, text, length)) return;
    platform::CopyDataChannel::Send(kMfxTraceClass, kTraceTag, text, length);
}

}  // namespace orvex
