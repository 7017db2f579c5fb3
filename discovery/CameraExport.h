#pragma once
#include <string>
#include <vector>

#include "discovery/DeviceRecord.h"

namespace orvex {

// One export line: number, model letter, name, IP, port and MAC in fixed columns,
// ended by CR LF, in the OEM code page, at most 511 bytes.
std::string FormatExportLine(int number, const DeviceRecord& record);
// All lines of a camera list, numbered from 1.
std::string FormatExportLines(const std::vector<DeviceRecord>& records);

}  // namespace orvex
