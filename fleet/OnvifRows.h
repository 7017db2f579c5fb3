#pragma once
#include <json/json.h>

#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "onvif/OnvifDiscovery.h"

namespace orvex {

// ONVIF cameras as rows of a scan report, beside the native ones: "protocol": "onvif", the
// address it answered from, its device service, endpoint, the scopes' name, hardware,
// location and MAC, its types, and the adapter that heard it.
class OnvifRows {
public:
    static Json::Value Json(const OnvifCamera& camera, const std::vector<ScanSource>& sources);
    // The CSV cells in the scan report's column order (see CameraReport::Csv).
    static std::vector<std::string> CsvCells(const OnvifCamera& camera,
                                             const std::vector<ScanSource>& sources);
    // A type as "{namespace}name".
    static std::string TypeText(const WsdType& type);
};

}  // namespace orvex
