#include "tools/orvexctl/StopSignals.h"

#include <signal.h>
#include <unistd.h>

namespace orvexctl {
namespace {

std::atomic<int> g_stop{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is written from a signal handler");

extern "C" void OnStopSignal(int signal) {
    int none = 0;
    if (!g_stop.compare_exchange_strong(none, signal)) _exit(128 + signal);  // the second one
}

}  // namespace

void StopSignals::Install() {
    struct sigaction action {};
    action.sa_handler = &OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

const std::atomic<int>& StopSignals::Flag() {
    return g_stop;
}

int StopSignals::ExitStatus(int status) {
    const int signal = g_stop.load();
    return signal != 0 ? 128 + signal : status;
}

}  // namespace orvexctl
