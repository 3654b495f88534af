// Conversion between wide paths (UTF-16) and the native path bytes of the file system.
//
// Linux file names are bytes and need not be UTF-8. Decoding reads strict UTF-8; every byte b that
// is not part of a valid sequence becomes the lone code unit U+DC00+b, and encoding turns such a
// unit back into the byte b. So every name the file system can hold survives the round trip and
// can be walked, opened and hashed by its wide path.
//
// Windows file names are UTF-16 already and the platform layer hands them to the system as they
// are; there these conversions serve only text for the console and the program's arguments, which
// arrive as UTF-16 and are passed on as UTF-8.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// The separator of the paths that the walk builds and splits.
#ifdef _WIN32
constexpr char16_t kPathSeparator = u'\\';
#else
constexpr char16_t kPathSeparator = u'/';
#endif

// The longest path, its terminating NUL counted, that a path buffer of the system holds: Windows'
// own limit there; on Linux the file system's.
#ifdef _WIN32
constexpr std::size_t kMaxPathLength = 260;
#else
constexpr std::size_t kMaxPathLength = 4096;
#endif

std::u16string NativeToWide(std::string_view native);

// Whether the bytes are strict UTF-8 throughout: no byte would decode to a lone code unit.
bool IsUtf8(std::string_view text);

// Empty when the text names no native path: it holds U+0000, or a lone surrogate other than an
// escaped byte (U+DC80 to U+DCFF).
std::optional<std::string> WideToNative(std::u16string_view wide);
