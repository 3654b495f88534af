// The MD5 digest of one file's bytes as text.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

// The 32 lowercase hexadecimal digits of the file's digest, or the empty string when no digest
// was obtained: the file could not be opened, is not a regular file, or a read failed part way.
std::u16string FileDigest(const char16_t* path);

// The same, but a stop request is also seen between the pieces of the file, so that a stop never
// waits for the rest of a large file. A file cut short by the request has no result at all: it is
// neither a digest nor a failure, since it was never finished.
std::optional<std::u16string> FileDigest(const char16_t* path,
                                         const std::atomic<bool>& stopRequest);
