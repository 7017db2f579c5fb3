#include "platform/NetworkIsolation.h"

#include <ifaddrs.h>
#include <net/if.h>

namespace platform {

std::string FirstRealAdapterUp() {
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) return "";
    std::string found;
    for (ifaddrs* it = list; it && found.empty(); it = it->ifa_next) {
        if ((it->ifa_flags & IFF_UP) && !(it->ifa_flags & IFF_LOOPBACK)) found = it->ifa_name;
    }
    freeifaddrs(list);
    return found;
}

}  // namespace platform
