#include "platform/AdapterSource.h"

#include <mutex>

#include "platform/SystemAdapterSource.h"

namespace platform {
namespace {

std::mutex g_sourceLock;
std::shared_ptr<AdapterSource> g_source;

}  // namespace

std::optional<std::vector<std::string>> AdapterSource::DnsServers(DWORD index) {
    for (const Adapter& adapter : Adapters()) {
        if (adapter.index == index) return adapter.dnsServers;
    }
    return std::nullopt;
}

void AdapterSource::Install(std::shared_ptr<AdapterSource> source) {
    std::lock_guard<std::mutex> guard(g_sourceLock);
    g_source = std::move(source);
}

std::shared_ptr<AdapterSource> AdapterSource::Current() {
    std::lock_guard<std::mutex> guard(g_sourceLock);
    if (!g_source) g_source = std::make_shared<SystemAdapterSource>();
    return g_source;
}

}  // namespace platform
