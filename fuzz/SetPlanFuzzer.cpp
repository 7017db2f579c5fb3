// Plan files of any shape, CSV or JSON: each parses into rows or fails with one line that
// names the file, and a row that parsed names a valid MAC and its place in the file.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fleet/SetPlanFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<orvex::SetRequestRow> rows;
    std::string error;
    if (!orvex::SetPlanFile::Parse(text, "plan", &rows, &error)) {
        if (error.rfind("plan: ", 0) != 0) std::abort();
        return 0;
    }
    for (const orvex::SetRequestRow& row : rows) {
        if (orvex::SetPlanner::NormalMac(row.mac).empty()) std::abort();
        if (row.where.rfind("plan line ", 0) != 0) std::abort();
        if (row.change.port && (*row.change.port < 1 || *row.change.port > 65535)) std::abort();
    }
    return 0;
}
