#include "netcard/NetCardInfo.h"

#include <cstdio>
#include <cstdlib>

namespace orvex {

platform::DWORD CNetCardInfo::FillNetCardDetails(NetCardDetail* records,
                                                 platform::DWORD bufferBytes,
                                                 platform::DWORD* neededBytes) {
    platform::IpAdapterInfo* buffer = nullptr;
    platform::DWORD queryResult = platform::ERROR_NO_DATA;
    platform::DWORD size = 0;
    if (platform::GetAdaptersInfo(nullptr, &size) == platform::ERROR_BUFFER_OVERFLOW) {
        buffer = static_cast<platform::IpAdapterInfo*>(std::calloc(1, size));
        if (buffer) queryResult = platform::GetAdaptersInfo(buffer, &size);
    }
    platform::DWORD count = 0;
    // A failed second query leaves the buffer zero-filled: its first entry counts, empty.
    if (buffer) {
        for (const platform::IpAdapterInfo* a = buffer; a; a = a->Next) ++count;
    }
    *neededBytes = count * static_cast<platform::DWORD>(sizeof(NetCardDetail));
    if (bufferBytes < *neededBytes) {
        std::free(buffer);
        return platform::ERROR_INSUFFICIENT_BUFFER;
    }
    if (queryResult == 0 && buffer && records) {
        NetCardDetail* record = records;
        for (const platform::IpAdapterInfo* a = buffer; a; a = a->Next) (record++)->FillFromAdapter(*a);
    }
    std::free(buffer);
    return 0;
}

int CNetCardInfo::GetNetCardList(std::vector<NetCardItem>& list) {
    platform::DWORD needed = 0;
    if (FillNetCardDetails(nullptr, 0, &needed) != platform::ERROR_INSUFFICIENT_BUFFER) {
        std::fputs("No Network Adapters Found on System.\r\n", stdout);
        return 0;
    }
    const std::size_t count = needed / sizeof(NetCardDetail);
    std::vector<NetCardDetail> details(count);
    FillNetCardDetails(details.data(), needed, &needed);
    for (const NetCardDetail& d : details) {
        NetCardItem item;
        item.strDescription = d.strDescription;
        if (!d.vecIpMask.empty()) {
            item.strIp = d.vecIpMask[0].first;
            item.strSubMask = d.vecIpMask[0].second;
        }
        if (!d.vecGateway.empty()) item.strGateway = d.vecGateway[0];
        if (!d.vecDns.empty()) item.strPrimaryDns = d.vecDns[0];
        if (d.vecDns.size() > 1) item.strSecondaryDns = d.vecDns[1];
        list.push_back(item);
    }
    return 1;
}

}  // namespace orvex
