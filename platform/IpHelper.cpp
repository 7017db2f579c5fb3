#include "platform/IpHelper.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/AdapterSource.h"
#include "platform/TextUtil.h"

namespace platform {
namespace {

constexpr DWORD ERROR_INVALID_PARAMETER = 87;

// Fills a chain whose first element is embedded; further elements come from `spare`.
template <typename Item, typename Fill>
void FillChain(IpAddrString* first, const std::vector<Item>& items, IpAddrString*& spare,
               Fill fill) {
    std::memset(first, 0, sizeof(*first));
    IpAddrString* tail = first;
    for (std::size_t i = 0; i < items.size(); ++i) {
        IpAddrString* node = tail;
        if (i > 0) {
            node = new (spare++) IpAddrString{};
            tail->Next = node;
        }
        fill(node, items[i]);
        tail = node;
    }
}

std::size_t ExtraNodes(std::size_t count) { return count > 1 ? count - 1 : 0; }

}  // namespace

DWORD GetAdaptersInfo(IpAdapterInfo* buffer, DWORD* sizeBytes) {
    if (!sizeBytes) return ERROR_INVALID_PARAMETER;
    const std::vector<Adapter> adapters = AdapterSource::Current()->Adapters();
    if (adapters.empty()) return ERROR_NO_DATA;
    std::size_t nodes = 0;
    for (const Adapter& a : adapters) {
        nodes += ExtraNodes(a.addresses.size()) + ExtraNodes(a.gateways.size());
    }
    const std::size_t needed =
        adapters.size() * sizeof(IpAdapterInfo) + nodes * sizeof(IpAddrString);
    if (!buffer || *sizeBytes < needed) {
        *sizeBytes = static_cast<DWORD>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    auto* spare = reinterpret_cast<IpAddrString*>(buffer + adapters.size());
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        const Adapter& a = adapters[i];
        IpAdapterInfo* info = new (buffer + i) IpAdapterInfo{};
        info->Next = (i + 1 < adapters.size()) ? buffer + i + 1 : nullptr;
        PutFieldString(info->AdapterName, a.name);
        PutFieldString(info->Description, a.description);
        info->Index = a.index;
        FillChain(&info->IpAddressList, a.addresses, spare,
                  [](IpAddrString* node, const AdapterAddress& address) {
                      PutFieldString(node->IpAddress, address.ip);
                      PutFieldString(node->IpMask, address.mask);
                  });
        FillChain(&info->GatewayList, a.gateways, spare,
                  [](IpAddrString* node, const std::string& gateway) {
                      PutFieldString(node->IpAddress, gateway);
                  });
    }
    return 0;
}

DWORD GetPerAdapterInfo(DWORD index, IpPerAdapterInfo* buffer, DWORD* sizeBytes) {
    if (!sizeBytes) return ERROR_INVALID_PARAMETER;
    const auto servers = AdapterSource::Current()->DnsServers(index);
    if (!servers) return ERROR_NO_DATA;
    const std::size_t needed =
        sizeof(IpPerAdapterInfo) + ExtraNodes(servers->size()) * sizeof(IpAddrString);
    if (!buffer || *sizeBytes < needed) {
        *sizeBytes = static_cast<DWORD>(needed);
        return ERROR_BUFFER_OVERFLOW;
    }
    IpPerAdapterInfo* info = new (buffer) IpPerAdapterInfo{};
    auto* spare = reinterpret_cast<IpAddrString*>(info + 1);
    FillChain(&info->DnsServerList, *servers, spare,
              [](IpAddrString* node, const std::string& server) {
                  PutFieldString(node->IpAddress, server);
              });
    return 0;
}

}  // namespace platform
