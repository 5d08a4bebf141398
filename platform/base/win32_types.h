// The Windows integer types the programs' signatures are written in, in one place.
#pragma once

#include <cstdint>

namespace tnv {

using BOOL = int;
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using UINT = unsigned int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using HRESULT = std::int32_t;
using COLORREF = std::uint32_t; // 0x00BBGGRR
using LPARAM = std::int32_t;    // the grid's data word is 32 bits wide
using WPARAM = std::uintptr_t;
using LRESULT = std::intptr_t;
using FOURCC = std::uint32_t;
using MMRESULT = UINT;

} // namespace tnv
