// The handful of Windows scalar types that the system's code is written against.
#pragma once

#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using WCHAR = char16_t;
using LPCWSTR = const char16_t*;
using HANDLE = void*;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
