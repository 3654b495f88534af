// Enumeration of a folder's entries by name, one at a time.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

struct WIN32_FIND_DATAW {
    std::u16string cFileName;
};

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// Begins the enumeration of the folder that the pattern names: a folder path followed by the
// separator and "*.*", which matches every entry ("*.*" alone names the current folder). The entry
// names come in the order the file system delivers them, "." and ".." included. Gives the first
// name, or INVALID_HANDLE_VALUE when the folder cannot be opened or delivers no entry at all.
// Links are followed; opening never blocks.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData);

// The next name; FALSE at the end of the folder or when reading it fails.
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);

BOOL FindClose(HANDLE find);

// Which folder an enumeration reads: equal identities are the same folder, however it was reached.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

FolderIdentity GetFindFolderIdentity(HANDLE find);
