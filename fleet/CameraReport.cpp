#include "fleet/CameraReport.h"

#include "discovery/DiscoveryCodec.h"
#include "fleet/CameraName.h"
#include "fleet/JsonText.h"
#include "fleet/NetSettings.h"
#include "fleet/OnvifRows.h"
#include "fleet/ReportHeader.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

using platform::CodePage;

// The fields of one camera, in column order.
struct Fields {
    std::string mode, name, ip, port, mac, mask, gateway, dns1, dns2, network, uid, version,
        adapter, adapterIp, nameHex;
    bool otherSubnet = false;
    bool sharedMac = false;
};

template <std::size_t N>
std::string Text(const char (&field)[N]) {
    return platform::Trim(CodePage::WideToUtf8(CodePage::FieldToWide(field, N)));
}

Fields FieldsOf(const ScannedCamera& camera, const std::vector<ScanSource>& sources) {
    const DeviceRecord& r = camera.record;
    // The settings as `set` reads them, so that a report is a plan that restores them.
    const NetSettings settings = NetSettings::Of(r);
    Fields f;
    f.mode = ModelLetter(r.nMode);
    f.name = CameraName::Readable(settings.name);
    f.nameHex = CameraName::HexUnlessUtf8(settings.name);  // a name in the camera's code page
    f.ip = settings.ip;
    f.port = std::to_string(settings.port);
    f.mac = MacText(r);
    f.mask = settings.mask;
    f.gateway = settings.gateway;
    f.dns1 = settings.dns1;
    f.dns2 = settings.dns2;
    f.network = NetSettings::NetworkText(settings.netMode);
    f.uid = Text(r.szDeviceId);
    f.version = Text(r.szVersion);
    if (camera.source < sources.size()) {
        f.adapter = sources[camera.source].name;
        f.adapterIp = sources[camera.source].ip;
    }
    f.otherSubnet = camera.otherSubnet;
    f.sharedMac = camera.sharedMac;
    return f;
}

}  // namespace

std::string CameraReport::CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

std::string CameraReport::CsvRow(const std::vector<std::string>& cells) {
    std::string row;
    for (std::size_t i = 0; i < cells.size(); ++i) row += (i ? "," : "") + CsvField(cells[i]);
    return row + "\r\n";
}

std::string CameraReport::Csv(const std::vector<ScannedCamera>& cameras,
                              const std::vector<ScanSource>& sources,
                              const std::vector<OnvifCamera>& onvif) {
    std::string out =
        "mode,name,ip,port,mac,mask,gateway,dns1,dns2,network,uid,version,adapter,adapter_ip,"
        "other_subnet,shared_mac,name_hex,protocol,endpoint,xaddrs,hardware,location\r\n";
    for (const ScannedCamera& camera : cameras) {
        const Fields f = FieldsOf(camera, sources);
        out += CsvRow({f.mode, f.name, f.ip, f.port, f.mac, f.mask, f.gateway, f.dns1, f.dns2,
                       f.network, f.uid, f.version, f.adapter, f.adapterIp,
                       f.otherSubnet ? "true" : "false", f.sharedMac ? "true" : "false", f.nameHex,
                       "native", "", "", "", ""});
    }
    for (const OnvifCamera& camera : onvif) out += CsvRow(OnvifRows::CsvCells(camera, sources));
    return out;
}

std::string CameraReport::Json(const std::vector<ScannedCamera>& cameras,
                               const std::vector<ScanSource>& sources,
                               const std::vector<ScanFailure>& failures,
                               const std::vector<OnvifCamera>& onvif) {
    Json::Value document = ReportHeader::Begin("scan");
    Json::Value& list = document["cameras"] = Json::Value(Json::arrayValue);
    for (const ScannedCamera& camera : cameras) {
        const Fields f = FieldsOf(camera, sources);
        Json::Value c(Json::objectValue);
        c["protocol"] = "native";
        c["mode"] = f.mode;
        c["name"] = f.name;
        c["ip"] = f.ip;
        c["port"] = camera.record.wPort;
        c["mac"] = f.mac;
        c["mask"] = f.mask;
        c["gateway"] = f.gateway;
        c["dns1"] = f.dns1;
        c["dns2"] = f.dns2;
        c["network"] = f.network;
        c["uid"] = f.uid;
        c["version"] = f.version;
        c["adapter"] = f.adapter;
        c["adapter_ip"] = f.adapterIp;
        c["other_subnet"] = f.otherSubnet;
        c["shared_mac"] = f.sharedMac;
        c["name_hex"] = f.nameHex;
        list.append(c);
    }
    for (const OnvifCamera& camera : onvif) list.append(OnvifRows::Json(camera, sources));
    Json::Value& searched = document["adapters"] = Json::Value(Json::arrayValue);
    for (const ScanSource& source : sources) {
        Json::Value a(Json::objectValue);
        a["adapter"] = source.name;
        a["adapter_ip"] = source.ip;
        searched.append(a);
    }
    Json::Value& failed = document["failures"] = Json::Value(Json::arrayValue);
    for (const ScanFailure& failure : failures) {
        Json::Value f(Json::objectValue);
        f["adapter_ip"] = failure.source < sources.size() ? sources[failure.source].ip : "";
        f["code"] = failure.code;
        f["reason"] = AdapterScan::Reason(failure.error);
        failed.append(f);
    }
    return JsonText(document);
}

}  // namespace orvex
