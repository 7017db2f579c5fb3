#include "fleet/UpgradeReport.h"

#include <cstdio>

#include "fleet/CameraReport.h"
#include "fleet/JsonText.h"
#include "fleet/ReportHeader.h"
#include "platform/CodePage.h"
#include "upgrade/UpgradeHandle.h"

namespace orvex {
namespace {

std::string Utf8(const std::wstring& text) {
    return platform::CodePage::WideToUtf8(text);
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", seconds);
    return text;
}

}  // namespace

std::string UpgradeReport::Verdict(const UpgradeOutcome& outcome) {
    if (outcome.interrupted) return "interrupted";
    if (outcome.unchanged) return "unchanged";
    if (outcome.dryRun) return "would upgrade";
    if (outcome.refused || (!outcome.started && outcome.failure.empty())) return "not started";
    if (!outcome.failure.empty() || outcome.status != kStatusComplete) return "failed";
    return outcome.verified ? "verified" : "not verified";
}

bool UpgradeReport::AllSucceeded(const std::vector<UpgradeOutcome>& outcomes) {
    for (const UpgradeOutcome& outcome : outcomes) {
        const std::string verdict = Verdict(outcome);
        if (verdict != "verified" && verdict != "unchanged" && verdict != "would upgrade")
            return false;
    }
    return true;
}

std::string UpgradeReport::Text(const std::vector<UpgradeOutcome>& outcomes) {
    std::string text;
    for (const UpgradeOutcome& o : outcomes) {
        text += o.target.host + ":" + std::to_string(o.target.port) + "\t" + Verdict(o) +
                "\tstatus " + std::to_string(o.status) + " " + Utf8(o.text) +
                (o.failure.empty() ? "" : ": " + o.failure) + "\tversion " +
                (o.versionBefore.empty() ? "?" : o.versionBefore) + " -> " +
                (o.versionAfter.empty() ? (o.expected.empty() ? "?" : o.expected) : o.versionAfter) +
                "\t" + Seconds(o.seconds) + " s" +
                (o.firmwareSha256.empty() ? "" : "\t" + std::to_string(o.firmwareBytes) +
                                                     " bytes, SHA-256 " + o.firmwareSha256) +
                "\n";
    }
    return text;
}

std::string UpgradeReport::Csv(const std::vector<UpgradeOutcome>& outcomes) {
    std::string out =
        "host,port,mac,verdict,status,text,version_before,version_after,expected,seconds,"
        "http_status,reason,journal,firmware_file,firmware_bytes,firmware_sha256,download_url\r\n";
    for (const UpgradeOutcome& o : outcomes) {
        out += CameraReport::CsvRow(
            {o.target.host, std::to_string(o.target.port), o.target.mac, Verdict(o),
             std::to_string(o.status), Utf8(o.text), o.versionBefore, o.versionAfter, o.expected,
             Seconds(o.seconds), o.httpStatus ? std::to_string(o.httpStatus) : "", o.failure,
             o.journal, o.firmwareFile, o.firmwareSha256.empty() ? "" : std::to_string(o.firmwareBytes),
             o.firmwareSha256, o.downloadUrl});
    }
    return out;
}

std::string UpgradeReport::Json(const std::vector<UpgradeOutcome>& outcomes) {
    Json::Value document = ReportHeader::Begin("upgrade");
    Json::Value& results = document["results"] = Json::Value(Json::arrayValue);
    int completed = 0;
    for (const UpgradeOutcome& o : outcomes) {
        Json::Value r(Json::objectValue);
        r["host"] = o.target.host;
        r["port"] = o.target.port;
        r["mac"] = o.target.mac;
        r["verdict"] = Verdict(o);
        r["verified"] = Verdict(o) == "verified";
        r["status"] = o.status;
        r["text"] = Utf8(o.text);
        r["version_before"] = o.versionBefore;
        r["version_after"] = o.versionAfter;
        r["expected"] = o.expected;
        r["seconds"] = o.seconds;
        r["http_status"] = o.httpStatus;
        r["reason"] = o.failure;
        r["journal"] = o.journal;
        r["firmware_file"] = o.firmwareFile;
        r["firmware_bytes"] = static_cast<Json::UInt64>(o.firmwareBytes);
        r["firmware_sha256"] = o.firmwareSha256;
        r["download_url"] = o.downloadUrl;
        if (Verdict(o) == "verified") ++completed;
        results.append(r);
    }
    int unchanged = 0, failed = 0;
    for (const UpgradeOutcome& o : outcomes) {
        const std::string verdict = Verdict(o);
        unchanged += verdict == "unchanged" ? 1 : 0;
        failed += verdict != "verified" && verdict != "unchanged" && verdict != "would upgrade";
    }
    document["completed"] = completed;
    document["unchanged"] = unchanged;
    document["failed"] = failed;
    return JsonText(document);
}

std::string UpgradeReport::SetUidCsv(const std::string& host, int port, const std::string& uid,
                                     int code, const std::string& text) {
    return "host,port,uid,result,text\r\n" +
           CameraReport::CsvRow({host, std::to_string(port), uid, std::to_string(code), text});
}

std::string UpgradeReport::SetUidJson(const std::string& host, int port, const std::string& uid,
                                      int code, const std::string& text) {
    Json::Value document = ReportHeader::Begin("set-uid");
    document["host"] = host;
    document["port"] = port;
    document["uid"] = uid;
    document["result"] = code;
    document["text"] = text;
    return JsonText(document);
}

Json::Value UpgradeReport::StartEntry(const UpgradeTarget& target, const std::string& adapter,
                                      const std::string& firmware, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "upgrade";
    entry["phase"] = "sent";
    entry["id"] = id;
    entry["adapter"] = adapter;
    entry["mac"] = target.mac;
    entry["ip"] = target.host;
    entry["firmware"]["file"] = firmware;
    return entry;
}

void UpgradeReport::AddFirmwareFile(Json::Value& entry, const FirmwareFile& file) {
    if (!file.Bytes()) return;
    entry["firmware"]["bytes"] = static_cast<Json::UInt64>(file.Size());
    entry["firmware"]["sha256"] = file.Sha256();
}

Json::Value UpgradeReport::ResultEntry(const UpgradeOutcome& o, const std::string& firmware,
                                       const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "upgrade";
    entry["phase"] = "result";
    entry["id"] = id;
    entry["mac"] = o.target.mac;
    entry["firmware"]["file"] = firmware;
    entry["firmware"]["before"] = o.versionBefore;
    entry["firmware"]["after"] = o.versionAfter;
    entry["firmware"]["expected"] = o.expected;
    if (!o.downloadUrl.empty()) entry["firmware"]["url"] = o.downloadUrl;
    if (!o.firmwareSha256.empty()) {
        entry["firmware"]["bytes"] = static_cast<Json::UInt64>(o.firmwareBytes);
        entry["firmware"]["sha256"] = o.firmwareSha256;
    }
    entry["result"] = o.started ? Verdict(o) : "not started";
    entry["result_text"] = platform::CodePage::WideToUtf8(o.text);
    return entry;
}

}  // namespace orvex
