#include "fleet/SetReport.h"

#include <cstdio>

#include "fleet/CameraName.h"
#include "fleet/CameraReport.h"
#include "fleet/JsonText.h"
#include "fleet/ReportHeader.h"

namespace orvex {
namespace {

constexpr const char* kDryRun = "would change";

std::string ChangesText(const SetOutcome& o) {
    std::string text;
    for (const SettingDifference& d : NetSettings::Differences(o.job.before, o.job.after))
        text += (text.empty() ? "" : "; ") + d.key + ": " + d.before + " -> " + d.after;
    return text;
}

Json::Value ChangesJson(const SetOutcome& o) {
    Json::Value list(Json::arrayValue);
    for (const SettingDifference& d : NetSettings::Differences(o.job.before, o.job.after)) {
        Json::Value change(Json::objectValue);
        change["field"] = d.key;
        change["old"] = d.before;
        change["new"] = d.after;
        list.append(change);
    }
    return list;
}

std::string Seconds(double s) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f", s);
    return text;
}

}  // namespace

std::string SetReport::IpAfter(const SetOutcome& o) {
    if (o.verification == SetOutcome::kUnchanged) return o.job.before.ip;
    if (o.verification == kDryRun) return o.job.after.ip;
    return o.seen ? o.seenAfter.ip : "";
}

std::string SetReport::ResultCode(const SetOutcome& o) {
    return o.replied ? BatchSet::CodeText(o.result) : "";
}

std::vector<SetOutcome> SetReport::DryRun(const std::vector<SetJob>& jobs) {
    std::vector<SetOutcome> outcomes;
    for (const SetJob& job : jobs) {
        SetOutcome o;
        o.job = job;
        o.verification = job.Unchanged() ? SetOutcome::kUnchanged : kDryRun;
        outcomes.push_back(o);
    }
    return outcomes;
}

std::string SetReport::Text(const std::vector<SetOutcome>& outcomes) {
    std::string text;
    for (const SetOutcome& o : outcomes) {
        const std::string after = IpAfter(o);
        text += MacText(o.job.camera.record) + "  " + o.job.before.ip + " -> " +
                (after.empty() ? "?" : after) + "  " + o.verification;
        if (!o.resultText.empty()) text += " (" + o.resultText + ")";
        if (o.interrupted) text += " [interrupted]";
        if (o.job.step == SetJob::kTemporary) text += " [a step through a free address]";
        text += "\n";
        for (const SettingDifference& d : NetSettings::Differences(o.job.before, o.job.after))
            text += "    " + d.key + ": " + d.before + " -> " + d.after + "\n";
        if (o.job.before.netMode == 1 && o.job.after.netMode == 0)
            text +=
                "    (the new fixed address switches the camera from DHCP to a fixed address)\n";
        if (o.job.outsideAdapterSubnet && !o.job.Unchanged())
            text += "    note: " + o.job.after.ip + " is outside the adapter's subnet\n";
        if (o.verification == SetOutcome::kNotVerified && o.seen) {
            for (const SettingDifference& d : NetSettings::Differences(o.job.after, o.seenAfter))
                text += "    camera shows " + d.key + " " + d.after + ", not " + d.before + "\n";
        } else if (o.verification == SetOutcome::kNotVerified) {
            text += "    the camera did not answer a search after its set reply\n";
        }
        if (o.journal.rfind("not written", 0) == 0) text += "    journal: " + o.journal + "\n";
    }
    return text;
}

std::string SetReport::Csv(const std::vector<SetOutcome>& outcomes) {
    std::string out =
        "mac,ip_before,ip_after,result,result_text,verification,changes,outside_subnet,"
        "seconds,step,journal\r\n";
    for (const SetOutcome& o : outcomes) {
        out += CameraReport::CsvRow({MacText(o.job.camera.record), o.job.before.ip, IpAfter(o),
                                     ResultCode(o), o.resultText, o.verification, ChangesText(o),
                                     o.job.outsideAdapterSubnet ? "yes" : "", Seconds(o.seconds),
                                     o.job.step, o.journal});
    }
    return out;
}

std::string SetReport::Json(const std::vector<SetOutcome>& outcomes) {
    Json::Value document = ReportHeader::Begin("set");
    Json::Value& list = document["results"] = Json::Value(Json::arrayValue);
    for (const SetOutcome& o : outcomes) {
        Json::Value c(Json::objectValue);
        c["mac"] = MacText(o.job.camera.record);
        c["ip_before"] = o.job.before.ip;
        c["ip_after"] = IpAfter(o);
        c["result"] = ResultCode(o);
        c["result_text"] = o.resultText;
        c["verification"] = o.verification;
        c["changes"] = ChangesJson(o);
        c["outside_subnet"] = o.job.outsideAdapterSubnet;
        c["interrupted"] = o.interrupted;
        c["seconds"] = o.seconds;
        c["step"] = o.job.step;
        c["journal"] = o.journal;
        list.append(c);
    }
    return JsonText(document);
}

Json::Value SetReport::SetRequestEntry(const std::string& mac, const NetSettings& before,
                                       const NetSettings& after, const std::string& adapter) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "set";
    entry["adapter"] = adapter;
    entry["mac"] = mac;
    entry["ip"] = before.ip;
    Json::Value changes(Json::objectValue);
    for (const SettingDifference& d : NetSettings::Differences(before, after)) {
        changes[d.key]["old"] = d.before;
        changes[d.key]["new"] = d.after;
    }
    // A name that is not UTF-8 keeps its bytes, so that it can be put back exactly.
    if (changes.isMember("name")) {
        for (const auto& [key, name] : {std::pair{"old_hex", &before.name}, std::pair{"new_hex", &after.name}}) {
            const std::string hex = CameraName::HexUnlessUtf8(*name);
            if (!hex.empty()) changes["name"][key] = hex;
        }
    }
    entry["changes"] = changes;
    return entry;
}

Json::Value SetReport::SentEntry(const SetOutcome& o, const std::string& adapter,
                                 const std::string& id) {
    Json::Value entry =
        SetRequestEntry(MacText(o.job.camera.record), o.job.before, o.job.after, adapter);
    entry["phase"] = "sent";
    entry["id"] = id;
    if (!o.job.step.empty()) entry["step"] = o.job.step;
    return entry;
}

Json::Value SetReport::ResultEntry(const SetOutcome& o, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "set";
    entry["phase"] = "result";
    entry["id"] = id;
    entry["mac"] = MacText(o.job.camera.record);
    entry["ip_after"] = IpAfter(o);
    entry["result"] = o.verification;
    entry["result_code"] = ResultCode(o);
    entry["result_text"] = o.resultText;
    return entry;
}

bool SetReport::AllSucceeded(const std::vector<SetOutcome>& outcomes) {
    for (const SetOutcome& o : outcomes) {
        if (!o.Success()) return false;
    }
    return true;
}

}  // namespace orvex
