#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/SetPlanner.h"

namespace orvex {

// What every set of a batch does.
struct SetOptions {
    std::string user;
    std::string password;
    double replySeconds = 5;    // for the set reply (real time)
    double verifySeconds = 60;  // for a search reply that shows the new settings
    // How long (real time) a fresh search before a wave is listened to, and how long a
    // camera that shows its new settings must do so with nothing else on its address.
    double settleSeconds = 1;
    // Set (nonzero) when the batch is to stop: no new camera is sent a request.
    const std::atomic<int>* stop = nullptr;
};

// How one camera's set ended.
struct SetOutcome {
    static constexpr const char* kVerified = "verified";
    static constexpr const char* kUnchanged = "unchanged";
    static constexpr const char* kNotVerified = "not verified";
    static constexpr const char* kFailed = "failed";
    static constexpr const char* kNotStarted = "not started";
    static constexpr const char* kMissing = "missing";  // no search found it; left out

    SetJob job;
    std::string verification = kNotStarted;
    bool sent = false;
    bool replied = false;
    int result = 0;          // the set reply's code as the camera sent it
    std::string resultText;  // its text, or why there is none
    bool seen = false;       // the camera answered a search after its set reply
    NetSettings seenAfter;   // ... with these settings
    DeviceRecord seenRecord;  // ... the block it showed them in
    bool interrupted = false;
    double seconds = 0;
    std::string journal;  // what the change journal holds of it: "written", "not written: WHY"

    bool Success() const {
        return verification == kVerified || verification == kUnchanged || verification == kMissing;
    }
};

// Sets many cameras over the discovery protocol, through the scan that found them: each
// camera's own block, edited, goes out as a set request, resent each second until its set
// reply (matched by MAC) or the reply time passes; at most `parallel` requests are
// outstanding at once. Then the scan's searches go on until each camera answers with the
// settings it was sent, and nothing else answers from its new address (verified), or its
// time passes (not verified). Waves run one after the other; before each, a camera goes
// only once the jobs it waits for were verified and a fresh search shows its new address
// free (WaveGate). Outcomes come back in the order of the jobs.
class BatchSet {
public:
    // Told when a camera's request goes out, when the camera has taken it and is awaited
    // with its new settings, and when its set has ended; on the thread that got there, one
    // call at a time.
    enum class Step { kSending, kVerifying, kEnded };
    // The outcome may be written to (its `journal`): a request is about to leave on
    // kSending, before anything is sent.
    using Progress = std::function<void(std::size_t index, Step step, SetOutcome& outcome)>;

    static std::vector<SetOutcome> Run(const std::vector<SetJob>& jobs, const SetOptions& options,
                                       int parallel, AdapterScan& scan, const Progress& progress);
    // The text of a set reply's code (the window's strings for the three it knows).
    static std::string ResultText(int code);
    // The code as the reports and the journal write it: "0x8000".
    static std::string CodeText(int code);
};

}  // namespace orvex
