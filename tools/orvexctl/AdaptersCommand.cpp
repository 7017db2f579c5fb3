#include "tools/orvexctl/AdaptersCommand.h"

#include <iostream>

#include "netcard/NetCardInfo.h"
#include "platform/CodePage.h"

namespace orvexctl {

int RunAdapters(const Arguments& args) {
    if (!args.empty()) return BadArguments("adapters takes no arguments, got '" + args[0] + "'");
    std::vector<orvex::NetCardItem> list;
    orvex::CNetCardInfo().GetNetCardList(list);
    auto text = [](const std::wstring& w) { return OneLine(platform::CodePage::WideToOem(w)); };
    for (const orvex::NetCardItem& item : list) {
        std::cout << text(item.strDescription) << '\t' << text(item.strIp) << '\t'
                  << text(item.strSubMask) << '\t' << text(item.strGateway) << '\t'
                  << text(item.strPrimaryDns) << '\t' << text(item.strSecondaryDns) << '\n';
    }
    if (list.empty()) {
        std::cerr << "orvexctl: no network adapter with an IPv4 address" << std::endl;
        return 1;
    }
    return 0;
}

}  // namespace orvexctl
