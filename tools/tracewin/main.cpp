// orvex-tracewin: the trace viewer. Claims the trace window class and prints every
// trace text as it arrives, exactly as received.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>

#include "cgi/TraceMsg.h"
#include "platform/CopyDataChannel.h"
#include "resources/Version.h"

namespace {
volatile std::sig_atomic_t g_stop = 0;
}

int main(int argc, char** argv) {
    std::string className = orvex::kTraceWinClass;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--mfx") {
            className = orvex::kMfxTraceClass;
        } else if (arg == "--version") {
            std::printf("orvex-tracewin %s\n", orvex::kOrvexVersion);
            return 0;
        } else if (arg == "--help" || arg == "-h") {
            std::printf("usage: orvex-tracewin [--mfx | --help | --version]\n"
                        "Listens as \"%s\" (or \"%s\" with --mfx) and prints each trace.\n",
                        orvex::kTraceWinClass, orvex::kMfxTraceClass);
            return 0;
        } else {
            std::fprintf(stderr, "orvex-tracewin: unknown option '%s'\n", arg.c_str());
            return 2;
        }
    }
    platform::CopyDataListener listener;
    if (!listener.Open(className)) {
        std::fprintf(stderr, "orvex-tracewin: \"%s\" is taken by another viewer\n",
                     className.c_str());
        return 1;
    }
    std::signal(SIGINT, [](int) { g_stop = 1; });
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    while (!g_stop) {
        auto record = listener.Receive(std::chrono::milliseconds(200));
        if (!record || record->dwData != orvex::kTraceTag) continue;
        std::fwrite(record->data.data(), 1, record->data.size(), stdout);
        std::fflush(stdout);
    }
    std::fputc('\n', stdout);
    return 0;
}
