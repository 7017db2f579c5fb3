// The reply grammar over any text: no name is empty, no value keeps a quote or ';'.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "cgi/CgiOper.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);  // stops at a zero
    orvex::CCgiOper::ReplyMap map;
    orvex::CCgiOper::ParseReplyText(text.c_str(), map);
    for (const auto& [name, value] : map) {
        if (name.empty()) std::abort();
        if (value.find_first_of(L"'\";") != std::wstring::npos) std::abort();
    }
    return 0;
}
