// Enumeration of a folder's entries by name, one at a time.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win_types.h"

struct WIN32_FIND_DATAW {
    std::u16string cFileName;
    // The entry's attributes as GetFileAttributesW gives them for its path, as far as the folder
    // itself tells them; INVALID_FILE_ATTRIBUTES where only that query can (on Linux a symbolic
    // link, whose target the folder does not describe, and the entries of a file system that
    // gives no types).
    DWORD dwFileAttributes = 0;
};

inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

// Begins the enumeration of the folder that the pattern names: a folder path followed by the
// separator and "*.*", which matches every entry ("*.*" alone names the current folder). The entry
// names come in the order the file system delivers them, "." and ".." included. Gives the first
// name, or INVALID_HANDLE_VALUE when the folder cannot be opened or delivers no entry at all; the
// reason is then kept for GetLastError. Links are followed; opening never blocks.
HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData);

// The system's error code for the calling thread's last FindFirstFileW that failed.
DWORD GetLastError();

// The next name; FALSE at the end of the folder or when reading it fails.
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);

BOOL FindClose(HANDLE find);

// Which folder an enumeration reads: equal identities are the same folder, however it was reached.
struct FolderIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    auto operator<=>(const FolderIdentity&) const = default;
};

FolderIdentity GetFindFolderIdentity(HANDLE find);

// Whether the enumerated folder belongs to one of the kernel's interface file systems (/proc,
// /sys), whose links lead to live kernel objects rather than to folders of a tree.
bool IsKernelInterfaceFolder(HANDLE find);

// The folders that hold the given folder, from its parent up to the file system's root, as they
// really are: a link on the way counts where it leads. Empty when the folder cannot be opened.
std::vector<FolderIdentity> GetEnclosingFolderIdentities(LPCWSTR folder);
