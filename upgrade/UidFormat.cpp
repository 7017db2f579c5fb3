#include "upgrade/UidFormat.h"

#include "platform/TextUtil.h"
#include "resources/Resource.h"

namespace orvex {

int CheckUid(const std::wstring& typed, std::wstring* accepted) {
    std::wstring text = platform::Trim(typed);
    for (wchar_t& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    if (text.empty()) return IDS_UID_EMPTY;
    const auto comma = text.find(L',');
    if (text.size() != 22 || comma == std::wstring::npos || comma == 0) return IDS_UID_BAD_FORMAT;
    if (platform::Trim(text.substr(0, comma)).size() != 15) return IDS_UID_BAD_FORMAT;
    if (platform::Trim(text.substr(comma + 1)).size() != 6) return IDS_UID_BAD_FORMAT;
    if (accepted) *accepted = text;
    return 0;
}

}  // namespace orvex
