// Firmware server replies of any shape: the rewrite stays within its limits and parses
// or fails cleanly.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/CodePage.h"
#include "upgrade/JsonHandle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring reply = platform::CodePage::AnsiToWide(
        std::string(reinterpret_cast<const char*>(data), size));
    orvex::CJsonHandle json;
    std::wstring document;
    if (json.FormatJsonText(reply, document)) {
        if (platform::CodePage::WideToOem(document).size() > 511) std::abort();
        if (document.front() != L'{' || document.back() != L'}') std::abort();
    }
    std::wstring name, server, file;
    json.ParseFirmwareInfo(reply, name, server, file);
    return 0;
}
