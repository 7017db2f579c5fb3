#pragma once
#include <string>
#include <vector>

#include "fleet/AdapterScan.h"

namespace orvex {

// The cameras of a scan as other programs read them: every field a user sees in the
// window, plus the adapter each answered on and whether it is in that adapter's subnet.
// Texts are UTF-8 (a camera's name is read as UTF-8, its other texts in the locale's
// character set).
class CameraReport {
public:
    // CSV with a header row, RFC 4180 quoting, CR LF line ends.
    static std::string Csv(const std::vector<ScannedCamera>& cameras,
                           const std::vector<ScanSource>& sources);
    // One JSON document: {"cameras": [...], "failures": [...]}.
    static std::string Json(const std::vector<ScannedCamera>& cameras,
                            const std::vector<ScanSource>& sources,
                            const std::vector<ScanFailure>& failures);
    // One CSV field, quoted when it holds a comma, a quote or a line break.
    static std::string CsvField(const std::string& text);
    // One CSV row of these fields, with its CR LF.
    static std::string CsvRow(const std::vector<std::string>& cells);
};

}  // namespace orvex
