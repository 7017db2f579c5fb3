#pragma once
#include <json/json.h>

#include <string>
#include <vector>

#include "fleet/OnvifBatch.h"

namespace orvex {

// The outcomes of orvexctl onvif (info, time-sync, reboot) as people and programs read them,
// in the report schema of every orvexctl report ("report": "onvif"), and their entries in
// the change journal.
class OnvifReport {
public:
    static std::string Text(const std::vector<OnvifOutcome>& outcomes, const std::string& action);
    static std::string Csv(const std::vector<OnvifOutcome>& outcomes);
    static std::string Json(const std::vector<OnvifOutcome>& outcomes, const std::string& action);
    // The journal's entries before the change is sent and once it has ended, tied by `id`.
    static Json::Value SentEntry(const OnvifOutcome& outcome, const std::string& action, const std::string& id);
    static Json::Value ResultEntry(const OnvifOutcome& outcome, const std::string& action, const std::string& id);
};

}  // namespace orvex
