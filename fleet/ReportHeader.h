#pragma once
#include <json/json.h>

#include <string>

namespace orvex {

// The head of every JSON report orvexctl writes (scan, set, upgrade, set-uid, journal):
// which report it is, the version of its schema (the files in /usr/share/orvex/schema say
// what each key means), the orvexctl that wrote it, and when its run began, one time for
// the whole run. Keys are snake_case everywhere; CSV headers use the same names.
class ReportHeader {
public:
    // Raised whenever a key is added, renamed or changes its meaning.
    static constexpr int kSchema = 1;

    // {"schema": 1, "orvexctl": "1.1.0.0", "report": KIND, "time": "2026-12-10T09:30:00Z"}
    static Json::Value Begin(const std::string& kind);
    // The time this process began its run, in UTC (ISO 8601), the same for every report.
    static const std::string& RunTime();
};

}  // namespace orvex
