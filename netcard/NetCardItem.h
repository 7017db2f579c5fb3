#pragma once
#include <string>

namespace orvex {

// One adapter of the adapter panel: its description, first address and mask, first
// gateway and first two DNS servers.
struct NetCardItem {
    std::wstring strDescription;
    std::wstring strIp;
    std::wstring strSubMask;
    std::wstring strGateway;
    std::wstring strPrimaryDns;
    std::wstring strSecondaryDns;
};

}  // namespace orvex
