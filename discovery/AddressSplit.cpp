#include "discovery/AddressSplit.h"

#include "platform/TextUtil.h"

namespace orvex {

std::array<int, 4> SplitAddress(const std::wstring& text) {
    std::array<int, 4> numbers{-1, -1, -1, -1};
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && start >= text.size()) break;  // nothing after the previous dot
        const std::size_t dot = text.find(L'.', start);
        if (i < 3 && dot == std::wstring::npos) break;
        const std::wstring part = i < 3 ? text.substr(start, dot - start) : text.substr(start);
        numbers[static_cast<std::size_t>(i)] = platform::LeadingInt(platform::Trim(part));
        start = dot == std::wstring::npos ? text.size() : dot + 1;
    }
    return numbers;
}

std::wstring OneKeyAddress(const std::wstring& adapterIp, const std::wstring& cameraIp) {
    const auto adapter = SplitAddress(adapterIp);
    const auto camera = SplitAddress(cameraIp);
    int fourth = camera[3];
    if (fourth == adapter[3]) {
        ++fourth;
        if (fourth > 255) fourth = 188;
    }
    return std::to_wstring(adapter[0]) + L"." + std::to_wstring(adapter[1]) + L"." +
           std::to_wstring(adapter[2]) + L"." + std::to_wstring(fourth);
}

}  // namespace orvex
