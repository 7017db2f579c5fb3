#pragma once
#include <json/json.h>

#include <string>
#include <vector>

#include "fleet/BatchSet.h"

namespace orvex {

// The outcomes of a batch set (or the plan of a dry run) as people and programs read them.
class SetReport {
public:
    // Per camera: MAC, address before and after, verdict and the set reply's text; with the
    // fields that changed (old -> new) under it.
    static std::string Text(const std::vector<SetOutcome>& outcomes);
    // CSV with a header row (mac, ip_before, ip_after, result, result_text, verification,
    // changes, outside_subnet, seconds, step, journal); RFC 4180 quoting, CR LF.
    static std::string Csv(const std::vector<SetOutcome>& outcomes);
    // An array with one object per camera, the same keys (changes as a list of
    // {"field", "old", "new"}).
    static std::string Json(const std::vector<SetOutcome>& outcomes);
    // Outcomes for a dry run: "would change" or "unchanged", the address it would end with.
    static std::vector<SetOutcome> DryRun(const std::vector<SetJob>& jobs);
    // A change journal entry for a set request sent to `mac` through `adapter`: the camera's
    // address and what changed (old, new); the result is the caller's to add. The window's
    // entries and orvexctl's are made by it alike.
    static Json::Value SetRequestEntry(const std::string& mac, const NetSettings& before,
                                       const NetSettings& after, const std::string& adapter);
    // The journal entry written before a camera's request leaves ("phase": "sent") and the
    // one written when its set has ended ("phase": "result"), tied by `id`.
    static Json::Value SentEntry(const SetOutcome& outcome, const std::string& adapter,
                                 const std::string& id);
    static Json::Value ResultEntry(const SetOutcome& outcome, const std::string& id);
    // The address a camera shows after its set ("" when unknown).
    static std::string IpAfter(const SetOutcome& outcome);
    static std::string ResultCode(const SetOutcome& outcome);  // "0x8000", or "" with no reply
    static bool AllSucceeded(const std::vector<SetOutcome>& outcomes);
};

}  // namespace orvex
