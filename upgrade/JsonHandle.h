#pragma once
#include <string>

#include "platform/Types.h"

namespace orvex {

using platform::BOOL;
using platform::FALSE;
using platform::TRUE;

// Reads the firmware server's reply: {"name":..., "download_server":..., "download_file":...}.
// The reply is first rewritten into a strict flat object (names without quotes and stray
// braces are tolerated), then parsed with jsoncpp. Holds no state.
class CJsonHandle {
public:
    virtual ~CJsonHandle() = default;

    // TRUE when the reply could be rewritten and parsed; the three outputs are written
    // only then (a missing or non-text member gives an empty text).
    BOOL ParseFirmwareInfo(const std::wstring& reply, std::wstring& name, std::wstring& server,
                           std::wstring& file);
    // The rewriting step. Refuses a reply over 255 bytes, fewer than two name:value
    // pieces, or a document over 511 bytes.
    BOOL FormatJsonText(const std::wstring& reply, std::wstring& document);
};

}  // namespace orvex
