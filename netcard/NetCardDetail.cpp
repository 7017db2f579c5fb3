#include "netcard/NetCardDetail.h"

#include <cstdlib>

#include "platform/CodePage.h"

namespace orvex {

using platform::CodePage;

int NetCardDetail::FillFromAdapter(const platform::IpAdapterInfo& adapter) {
    strDescription = CodePage::FieldToWide(adapter.Description, sizeof(adapter.Description));
    dwIndex = adapter.Index;
    for (const platform::IpAddrString* ip = &adapter.IpAddressList; ip; ip = ip->Next) {
        vecIpMask.emplace_back(CodePage::FieldToWide(ip->IpAddress, sizeof(ip->IpAddress)),
                               CodePage::FieldToWide(ip->IpMask, sizeof(ip->IpMask)));
    }
    for (const platform::IpAddrString* gw = &adapter.GatewayList; gw; gw = gw->Next) {
        vecGateway.push_back(CodePage::FieldToWide(gw->IpAddress, sizeof(gw->IpAddress)));
    }

    int result = 0;
    platform::DWORD size = 0;
    if (platform::GetPerAdapterInfo(dwIndex, nullptr, &size) ==
        platform::ERROR_BUFFER_OVERFLOW) {
        auto* info = static_cast<platform::IpPerAdapterInfo*>(std::calloc(1, size));
        if (info && platform::GetPerAdapterInfo(dwIndex, info, &size) == 0) {
            for (const platform::IpAddrString* dns = &info->DnsServerList; dns; dns = dns->Next) {
                vecDns.push_back(CodePage::FieldToWide(dns->IpAddress, sizeof(dns->IpAddress)));
            }
            result = 1;
        }
        std::free(info);
    }
    return result;
}

}  // namespace orvex
