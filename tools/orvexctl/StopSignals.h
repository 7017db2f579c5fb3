#pragma once
#include <atomic>

namespace orvexctl {

// How orvexctl takes SIGINT, SIGTERM and SIGHUP: the first asks the command to stop (it
// hands out no new camera, aborts the runs in flight and still writes its report); a
// second one ends the process at once with 128 + the signal. SIGPIPE is ignored, so a
// closed pipe shows as a failed write instead of ending the process.
class StopSignals {
public:
    // Installs the handlers; call once at start.
    static void Install();
    // The stop signal received (0 while none): the flag the runs poll.
    static const std::atomic<int>& Flag();
    // 128 + the signal once one came, else `status`.
    static int ExitStatus(int status);
};

}  // namespace orvexctl
