#include "pages/FirmwareFileText.h"

#include "platform/CodePage.h"
#include "resources/Resource.h"
#include "ui/UiLanguage.h"

namespace orvex {
namespace {

using platform::CodePage;
using Refusal = FirmwareFile::Refusal;

// The text of `id` with %1 and %2 replaced.
std::wstring Filled(int id, const std::string& first, const std::string& second = "") {
    std::wstring text = UiLanguage::Load(id);
    for (const auto& [mark, value] : {std::pair{L"%1", first}, std::pair{L"%2", second}}) {
        const auto at = text.find(mark);
        if (at != std::wstring::npos) text.replace(at, 2, CodePage::Utf8ToWide(value));
    }
    return text;
}

}  // namespace

std::wstring FirmwareFileText::Refusal(const FirmwareFile& file) {
    std::wstring why;
    switch (file.Refused()) {
        case Refusal::kNone:
            return L"";
        case Refusal::kUnreadable:
            why = Filled(IDS_FIRMWARE_UNREADABLE, file.Detail());
            break;
        case Refusal::kNotRegular:
            why = UiLanguage::Load(IDS_FIRMWARE_NOT_FILE);
            break;
        case Refusal::kEmpty:
            why = UiLanguage::Load(IDS_FIRMWARE_EMPTY);
            break;
        case Refusal::kTooLarge:
            why = Filled(IDS_FIRMWARE_TOO_LARGE, file.Detail());
            break;
        case Refusal::kText:
            why = Filled(IDS_FIRMWARE_TEXT, file.Detail());
            break;
        case Refusal::kSameByte:
            why = Filled(IDS_FIRMWARE_BLANK, file.Detail());
            break;
    }
    return UiLanguage::Load(IDS_FIRMWARE_REFUSED) + L"\n" + CodePage::AnsiToWide(file.Path()) +
           L"\n" + why;
}

std::wstring FirmwareFileText::Summary(const FirmwareFile& file) {
    return CodePage::AnsiToWide(file.Name()) + L": " +
           Filled(IDS_FIRMWARE_SUMMARY, std::to_string(file.Size()), file.Sha256());
}

}  // namespace orvex
