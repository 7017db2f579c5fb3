#include "upgrade/JsonHandle.h"

#include <json/json.h>

#include <vector>

#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

constexpr std::size_t kReplyLimit = 255;     // the reply's working buffer, less its zero
constexpr std::size_t kPieceLimit = 128;
constexpr std::size_t kDocumentLimit = 511;  // the document buffer, less its zero

using platform::CodePage;

std::vector<std::string> SplitAtCommas(const std::string& text) {
    std::vector<std::string> pieces;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t comma = text.find(',', i);
        const std::size_t stop = comma == std::string::npos ? text.size() : comma;
        if (stop > i) pieces.push_back(text.substr(i, stop - i));
        i = stop + 1;
    }
    return pieces;
}

void EraseFirst(std::wstring& text, wchar_t c) {
    const auto at = text.find(c);
    if (at != std::wstring::npos) text.erase(at, 1);
}

// The member as text; a member that is missing, null or not a string reads as empty.
std::wstring MemberText(const Json::Value& root, const char* member) {
    const Json::Value& value = root[member];
    if (!value.isString()) return L"";
    return CodePage::AnsiToWide(value.asCString());
}

}  // namespace

BOOL CJsonHandle::FormatJsonText(const std::wstring& reply, std::wstring& document) {
    document.clear();
    const std::string text = CodePage::WideToOem(reply);
    if (text.size() > kReplyLimit) return FALSE;  // refused rather than cut
    std::vector<std::wstring> items;
    for (const std::string& piece : SplitAtCommas(text)) {
        if (piece.size() > kPieceLimit) continue;
        const auto colon = piece.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        std::wstring name = platform::Trim(CodePage::AnsiToWide(piece.substr(0, colon)));
        if (name.find(L'"') == std::wstring::npos) name = L"\"" + name + L"\"";
        EraseFirst(name, L'{');
        std::wstring value = platform::Trim(CodePage::AnsiToWide(piece.substr(colon + 1)));
        EraseFirst(value, L'}');
        items.push_back(name + L":" + value);
    }
    if (items.size() < 2) return FALSE;
    std::wstring joined = L"{";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) joined += L",";
        joined += platform::Trim(items[i]);
    }
    joined += L"}";
    if (CodePage::WideToOem(joined).size() > kDocumentLimit) return FALSE;
    document = joined;
    return TRUE;
}

BOOL CJsonHandle::ParseFirmwareInfo(const std::wstring& reply, std::wstring& name,
                                    std::wstring& server, std::wstring& file) {
    std::wstring document;
    if (!FormatJsonText(reply, document)) return FALSE;
    const std::string text = CodePage::WideToOem(document);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    Json::Reader reader;
#pragma GCC diagnostic pop
    Json::Value root;
    if (!reader.parse(text, root, true) || !root.isObject()) return FALSE;
    name = MemberText(root, "name");
    server = MemberText(root, "download_server");
    file = MemberText(root, "download_file");
    return TRUE;
}

}  // namespace orvex
