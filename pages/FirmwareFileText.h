#pragma once
#include <string>

#include "fleet/FirmwareFile.h"

namespace orvex {

// The window's texts for a firmware file, in the language shown: why it is not sent (a
// box: the file and the reason), and what it is (the status line before an upload).
class FirmwareFileText {
public:
    static std::wstring Refusal(const FirmwareFile& file);
    // "system.bin: 1048576 bytes, SHA-256 ..."
    static std::wstring Summary(const FirmwareFile& file);
};

}  // namespace orvex
