#pragma once
#include <json/json.h>

#include <string>
#include <vector>

#include "fleet/UpgradeRun.h"

namespace orvex {

// The outcomes of a batch upgrade as people and programs read them.
class UpgradeReport {
public:
    // One line per camera: address, final status and text, versions, verdict, time.
    static std::string Text(const std::vector<UpgradeOutcome>& outcomes);
    // CSV with a header row (RFC 4180 quoting, CR LF).
    static std::string Csv(const std::vector<UpgradeOutcome>& outcomes);
    // {"results": [...], "completed": N, "unchanged": N, "failed": N}
    static std::string Json(const std::vector<UpgradeOutcome>& outcomes);
    // "verified", "not verified" (completed, the version did not change as it should),
    // "failed", "unchanged" (already at the version: sent nothing), "not started" (refused
    // before anything was sent, or never reached), "would upgrade" (a dry run), or
    // "interrupted".
    static std::string Verdict(const UpgradeOutcome& outcome);
    // The result of setting a camera's UID (code 0 success, 3 authentication, 1 other).
    static std::string SetUidCsv(const std::string& host, int port, const std::string& uid,
                                 int code, const std::string& text);
    static std::string SetUidJson(const std::string& host, int port, const std::string& uid,
                                  int code, const std::string& text);
    // The change journal's entry written before anything is asked of a camera ("phase":
    // "sent"), and the one written when its run has ended ("phase": "result": the firmware
    // versions and the verdict), tied by `id`.
    static Json::Value StartEntry(const UpgradeTarget& target, const std::string& adapter,
                                  const std::string& firmware, const std::string& id);
    static Json::Value ResultEntry(const UpgradeOutcome& outcome, const std::string& firmware,
                                   const std::string& id);
    // The size and SHA-256 of the file an entry's upload sends.
    static void AddFirmwareFile(Json::Value& entry, const FirmwareFile& file);
    // True when every camera was verified, or left unchanged, or (a dry run) would be
    // upgraded.
    static bool AllSucceeded(const std::vector<UpgradeOutcome>& outcomes);
};

}  // namespace orvex
