#include "discovery/CameraExport.h"

#include "discovery/DiscoveryCodec.h"
#include "platform/CodePage.h"
#include "platform/TextUtil.h"

namespace orvex {
namespace {

// "%-Ns": left-aligned, padded with blanks, never cut.
std::wstring Column(std::wstring text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), L' ');
    return text;
}

}  // namespace

std::string FormatExportLine(int number, const DeviceRecord& record) {
    using platform::CodePage;
    std::wstring line;
    line += Column(std::to_wstring(number), 8);
    line += Column(platform::Widen(ModelLetter(record.nMode)), 8);
    line += Column(CodePage::FieldToWide(record.szName, sizeof(record.szName)), 20);
    line += Column(CodePage::FieldToWide(record.szIp, sizeof(record.szIp)), 20);
    line += Column(std::to_wstring(record.wPort), 8);
    line += Column(platform::Widen(MacText(record)), 20);
    line += L"\r\n";
    return CodePage::WideToOem(line, 511);
}

std::string FormatExportLines(const std::vector<DeviceRecord>& records) {
    std::string text;
    int number = 1;
    for (const DeviceRecord& record : records) text += FormatExportLine(number++, record);
    return text;
}

}  // namespace orvex
