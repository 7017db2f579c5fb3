#pragma once
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"
#include "onvif/OnvifDiscovery.h"

namespace orvex {

// The cameras of a scan as other programs read them: every field a user sees in the
// window, plus the adapter each answered on and whether it is in that adapter's subnet.
// Texts are UTF-8 (a camera's name is read as UTF-8, its other texts in the locale's
// character set).
class CameraReport {
public:
    // CSV with a header row, RFC 4180 quoting, CR LF line ends.
    // ONVIF cameras follow the native ones, each row saying its protocol.
    static std::string Csv(const std::vector<ScannedCamera>& cameras,
                           const std::vector<ScanSource>& sources,
                           const std::vector<OnvifCamera>& onvif = {});
    // One JSON document: {"cameras": [...], "adapters": [...], "failures": [...]}.
    static std::string Json(const std::vector<ScannedCamera>& cameras,
                            const std::vector<ScanSource>& sources,
                            const std::vector<ScanFailure>& failures,
                            const std::vector<OnvifCamera>& onvif = {});
    // One CSV field, quoted when it holds a comma, a quote or a line break.
    static std::string CsvField(const std::string& text);
    // One CSV row of these fields, with its CR LF.
    static std::string CsvRow(const std::vector<std::string>& cells);
};

}  // namespace orvex
