#include "fleet/FirmwareOffer.h"

#include "cgi/CgiOper.h"
#include "platform/CodePage.h"
#include "upgrade/CameraQuery.h"
#include "upgrade/JsonHandle.h"

namespace orvex {
namespace {

constexpr int kReplySize = 512;  // as much of the document as the engine itself takes

}  // namespace

FirmwareOffer FirmwareOffer::Ask(const std::string& version) {
    FirmwareOffer offer;
    CameraLogin none{};
    const std::string url = CameraQuery::BuildUrl(none, 8, "firmware/" + version + "/cn", false);
    char reply[kReplySize] = {};
    int result = 0, length = 0;
    CCgiOper oper;
    if (!oper.DownloadFile(8, url.c_str(), 5, 1, L"", reply, kReplySize - 1, &result, &length))
        return offer;
    std::wstring name, server, file;
    if (!CJsonHandle().ParseFirmwareInfo(platform::CodePage::AnsiToWide(reply), name, server,
                                         file) ||
        name.empty())
        return offer;
    offer.answered = true;
    offer.version = platform::CodePage::WideToOem(name);
    offer.server = platform::CodePage::WideToOem(server);
    offer.file = platform::CodePage::WideToOem(file);
    return offer;
}

std::string FirmwareOffer::Url(const std::string& server, const std::string& file) {
    if (server.empty() && file.empty()) return "";
    return "http://" + server + (file.compare(0, 1, "/") == 0 ? "" : "/") + file;
}

}  // namespace orvex
