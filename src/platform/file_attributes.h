// Attribute query of a path, following symbolic links as the file system's own lookup does.
#pragma once

#include "platform/win_types.h"

constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL for a regular file,
// FILE_ATTRIBUTE_DEVICE for anything else (a FIFO, a socket, a device), or
// INVALID_FILE_ATTRIBUTES when the path cannot be read (missing, denied, too long, a dangling or
// looping link, or a text that names no native path). FILE_ATTRIBUTE_REPARSE_POINT is added when
// the path's last component is itself a symbolic link, as Windows marks links and junctions.
// On Windows the attributes are the system's own: a file has neither FILE_ATTRIBUTE_DIRECTORY nor
// FILE_ATTRIBUTE_DEVICE, and a link or junction is marked but not followed by the query.
DWORD GetFileAttributesW(LPCWSTR path);

// Whether the two paths name the same file, however each reaches it (a link, a relative path);
// false when either cannot be asked.
bool IsSameFile(LPCWSTR first, LPCWSTR second);
