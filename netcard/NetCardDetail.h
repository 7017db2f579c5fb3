#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/IpHelper.h"

namespace orvex {

// Everything one adapter entry of the platform query says, for one enumeration.
struct NetCardDetail {
    std::wstring strDescription;
    platform::DWORD dwIndex = 0;
    std::vector<std::pair<std::wstring, std::wstring>> vecIpMask;
    std::vector<std::wstring> vecGateway;
    std::vector<std::wstring> vecDns;

    // Fills the record from one adapter entry; 1 when the DNS list was read, else 0.
    int FillFromAdapter(const platform::IpAdapterInfo& adapter);
};

}  // namespace orvex
