#include "fleet/OnvifReport.h"

#include <cstdio>

#include "fleet/CameraReport.h"
#include "fleet/JsonText.h"
#include "fleet/ReportHeader.h"

namespace orvex {
namespace {

std::string Host(const OnvifOutcome& o) {
    return o.target.host + ":" + std::to_string(o.target.port);
}

// The cells of a row, in the CSV header's order.
std::vector<std::string> Cells(const OnvifOutcome& o) {
    const OnvifNetwork& n = o.network;
    return {o.target.host, std::to_string(o.target.port), o.result, o.reason, o.identity.manufacturer,
            o.identity.model, o.identity.firmware, o.identity.serial, o.identity.hardwareId, n.mac, n.hostname,
            o.clockRead ? std::to_string(o.clockOffset) : "", n.ip, n.mask, n.gateway, n.dns1, n.dns2,
            o.networkRead ? (n.dhcp ? "true" : "false") : ""};
}

}  // namespace

std::string OnvifReport::Text(const std::vector<OnvifOutcome>& outcomes, const std::string& action) {
    std::string text;
    for (const OnvifOutcome& o : outcomes) {
        text += Host(o) + "\t" + o.result + (o.reason.empty() ? "" : " (" + o.reason + ")");
        if (action == "info" && o.result == "ok") {
            text += "\t" + o.identity.manufacturer + " " + o.identity.model + "\tfirmware " + o.identity.firmware +
                    "\t" + o.network.ip + "/" + o.network.mask + (o.network.dhcp ? " dhcp" : "") + "\tclock " +
                    std::to_string(o.clockOffset) + " s";
        }
        if (action == "time-sync" && o.clockRead) {
            text += "\tclock " + std::to_string(o.clockOffset) + " s -> " + std::to_string(o.clockOffsetAfter) + " s";
        }
        text += "\n";
    }
    return text;
}

std::string OnvifReport::Csv(const std::vector<OnvifOutcome>& outcomes) {
    std::string out =
        "host,port,result,reason,manufacturer,model,firmware,serial,hardware_id,mac,hostname,clock_offset_s,"
        "ip,mask,gateway,dns1,dns2,dhcp\r\n";
    for (const OnvifOutcome& o : outcomes) out += CameraReport::CsvRow(Cells(o));
    return out;
}

std::string OnvifReport::Json(const std::vector<OnvifOutcome>& outcomes, const std::string& action) {
    Json::Value document = ReportHeader::Begin("onvif");
    document["action"] = action;
    Json::Value& results = document["results"] = Json::Value(Json::arrayValue);
    int succeeded = 0;
    for (const OnvifOutcome& o : outcomes) {
        Json::Value r(Json::objectValue);
        r["host"] = o.target.host;
        r["port"] = o.target.port;
        r["result"] = o.result;
        r["reason"] = o.reason;
        r["manufacturer"] = o.identity.manufacturer;
        r["model"] = o.identity.model;
        r["firmware"] = o.identity.firmware;
        r["serial"] = o.identity.serial;
        r["hardware_id"] = o.identity.hardwareId;
        r["mac"] = o.network.mac;
        r["hostname"] = o.network.hostname;
        r["clock_offset_s"] = o.clockRead ? Json::Value(static_cast<Json::Int64>(o.clockOffset)) : Json::Value();
        r["clock_offset_after_s"] =
            action == "time-sync" && o.result != "failed" ? Json::Value(static_cast<Json::Int64>(o.clockOffsetAfter))
                                                           : Json::Value();
        r["ip"] = o.network.ip;
        r["mask"] = o.network.mask;
        r["gateway"] = o.network.gateway;
        r["dns1"] = o.network.dns1;
        r["dns2"] = o.network.dns2;
        r["dhcp"] = o.networkRead ? Json::Value(o.network.dhcp) : Json::Value();
        r["seconds"] = o.seconds;
        r["journal"] = o.journal;
        succeeded += OnvifBatch::Succeeded(o) ? 1 : 0;
        results.append(r);
    }
    document["succeeded"] = succeeded;
    document["failed"] = static_cast<int>(outcomes.size()) - succeeded;
    return JsonText(document);
}

Json::Value OnvifReport::SentEntry(const OnvifOutcome& o, const std::string& action, const std::string& id) {
    Json::Value entry(Json::objectValue);
    entry["action"] = "onvif " + action;
    entry["phase"] = "sent";
    entry["id"] = id;
    entry["protocol"] = "onvif";
    entry["mac"] = "";
    entry["ip"] = o.target.host;
    entry["port"] = o.target.port;
    return entry;
}

Json::Value OnvifReport::ResultEntry(const OnvifOutcome& o, const std::string& action, const std::string& id) {
    Json::Value entry = SentEntry(o, action, id);
    entry["phase"] = "result";
    entry["result"] = o.result;
    entry["result_text"] = o.reason;
    if (action == "time-sync") {
        entry["clock"]["before_s"] = static_cast<Json::Int64>(o.clockOffset);
        entry["clock"]["after_s"] = static_cast<Json::Int64>(o.clockOffsetAfter);
    }
    return entry;
}

}  // namespace orvex
