#pragma once
// Fixed-width names the engine uses for values that cross threads or the wire.
#include <cstdint>

namespace platform {

using DWORD = std::uint32_t;
using UINT = unsigned int;
using BOOL = int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr DWORD kStillActive = 259;          // exit code of a thread that still runs
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_COPYDATA = 0x004A;
constexpr DWORD ERROR_BUFFER_OVERFLOW = 111;
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;

}  // namespace platform
