#pragma once
#include <vector>

#include "netcard/NetCardDetail.h"
#include "netcard/NetCardItem.h"

namespace orvex {

// Lists the computer's network adapters. Holds no data; used on one thread at a time.
class CNetCardInfo {
public:
    virtual ~CNetCardInfo() = default;

    // Appends one item per adapter; 1 when at least one adapter was found, else 0.
    int GetNetCardList(std::vector<NetCardItem>& list);

    // Two-call sizing: 122 when bufferBytes is smaller than the neededBytes it reports,
    // 0 otherwise (also when there is no adapter or the query failed).
    static platform::DWORD FillNetCardDetails(NetCardDetail* records, platform::DWORD bufferBytes,
                                              platform::DWORD* neededBytes);
};

}  // namespace orvex
