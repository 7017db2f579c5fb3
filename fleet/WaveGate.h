#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "fleet/BatchSet.h"

namespace orvex {

// What a wave of a set must find before its cameras go: every job a camera waits for
// verified (a camera that kept its address, never answered or refused keeps the address
// too), and then, by a fresh search, nothing answering from any address the wave is to
// take. A camera that may not go ends `not started` with the reason and is sent nothing.
class WaveGate {
public:
    // Removes the cameras that may not go from `members` (indices of jobs and outcomes).
    static void Pass(const std::vector<SetJob>& jobs, std::vector<SetOutcome>& outcomes,
                     std::vector<std::size_t>& members, AdapterScan& scan,
                     const SetOptions& options);
    // Why a camera moving onto `ip` may not (or may no longer) be there: the devices other
    // than itself heard there after `mark`, named as this batch knows them ("" when none).
    static std::string Occupied(const std::vector<SetJob>& jobs, const SetJob& job,
                                unsigned long mark, AdapterScan& scan, bool verifying);
};

}  // namespace orvex
