#pragma once
#include <array>
#include <string>

namespace orvex {

// The four numbers of an address text: each part between dots, trimmed, read from its
// leading sign and digits (0 when none); -1 from a missing dot onwards.
std::array<int, 4> SplitAddress(const std::wstring& text);

// One Key Set's new camera address: the adapter's first three numbers and the camera's
// fourth, moved up by one when it equals the adapter's (188 instead of 256).
std::wstring OneKeyAddress(const std::wstring& adapterIp, const std::wstring& cameraIp);

}  // namespace orvex
