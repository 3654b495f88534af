// The file-system queries of the Windows platform layer, in types of our own. <windows.h> is
// included by windows_file_queries.cpp alone: its DWORD, WCHAR, LPCWSTR, TRUE and
// WIN32_FIND_DATAW are not the ones that the system's code is written against (our wide
// characters are char16_t), so a source cannot include it and our declarations of the same names.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace windows {

// The path as the system is to be given it: a path too long for MAX_PATH in the "\\?\" form
// (made absolute and normalised first, as that form is taken as it stands), any other unchanged.
// The program shows and lists paths without the prefix.
std::u16string SystemPath(const char16_t* path);

// The attributes as the system keeps them, or 0xFFFFFFFF.
std::uint32_t FileAttributes(const char16_t* path);

// FindFirstFileW, FindNextFileW and FindClose: each entry's name and attributes; a failure's
// error code is given back for the calling thread.
void* FindFirst(const char16_t* pattern, std::u16string& name, std::uint32_t& attributes,
                std::uint32_t& error);
bool FindNext(void* find, std::u16string& name, std::uint32_t& attributes);
void FindClose(void* find);

// The volume's serial number and the file index of a folder, which name it however it is reached.
struct FileId {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
};
std::optional<FileId> FolderId(const char16_t* path);

// Each folder that holds the given one, from its parent to the drive's root, where the folder
// really is (a link or junction on the way counts where it leads).
std::vector<FileId> EnclosingFolderIds(const char16_t* path);

}  // namespace windows
