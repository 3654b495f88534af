// The MD5 digest of one file's bytes as text.
#pragma once

#include <string>

// The 32 lowercase hexadecimal digits of the file's digest, or the empty string when no digest
// was obtained: the file could not be opened, is not a regular file, or a read failed part way.
std::u16string FileDigest(const char16_t* path);
