#include "fleet/OnvifRows.h"

namespace orvex {
namespace {

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

}  // namespace

std::string OnvifRows::TypeText(const WsdType& type) {
    return "{" + type.ns + "}" + type.name;
}

Json::Value OnvifRows::Json(const OnvifCamera& c, const std::vector<ScanSource>& sources) {
    Json::Value row(Json::objectValue);
    row["protocol"] = "onvif";
    row["ip"] = c.ip;
    row["port"] = c.port;
    row["endpoint"] = c.endpoint;
    row["xaddrs"] = Json::Value(Json::arrayValue);
    for (const std::string& x : c.xaddrs) row["xaddrs"].append(x);
    row["xaddr_ip"] = c.xaddrIp;
    row["name"] = c.name;
    row["hardware"] = c.hardware;
    row["location"] = c.location;
    row["mac"] = c.mac;
    row["types"] = Json::Value(Json::arrayValue);
    for (const WsdType& t : c.types) row["types"].append(TypeText(t));
    row["adapter"] = c.source < sources.size() ? sources[c.source].name : "";
    row["adapter_ip"] = c.source < sources.size() ? sources[c.source].ip : "";
    row["other_subnet"] = c.otherSubnet;
    return row;
}

std::vector<std::string> OnvifRows::CsvCells(const OnvifCamera& c, const std::vector<ScanSource>& sources) {
    const std::string adapter = c.source < sources.size() ? sources[c.source].name : "";
    const std::string adapterIp = c.source < sources.size() ? sources[c.source].ip : "";
    // mode,name,ip,port,mac,mask,gateway,dns1,dns2,network,uid,version,adapter,adapter_ip,
    // other_subnet,shared_mac,name_hex,protocol,endpoint,xaddrs,hardware,location
    return {"",       c.name,  c.ip, std::to_string(c.port), c.mac, "", "", "", "", "", "", "",
            adapter,  adapterIp, c.otherSubnet ? "true" : "false", "false", "", "onvif", c.endpoint,
            Joined(c.xaddrs), c.hardware, c.location};
}

}  // namespace orvex
