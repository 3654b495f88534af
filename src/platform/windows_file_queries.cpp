#include "platform/windows_file_queries.h"

#include <windows.h>

namespace windows {

namespace {

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

std::optional<FileId> IdOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileInformationByHandle(file, &information) == 0)
        return std::nullopt;
    return FileId{information.dwVolumeSerialNumber,
                  std::uint64_t{information.nFileIndexHigh} << 32 | information.nFileIndexLow};
}

// A folder opened for its identity and name alone: no right to read it is needed, and nobody
// is kept from changing, renaming or removing it meanwhile.
HANDLE OpenFolder(const wchar_t* path) {
    return CreateFileW(path, FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// Below this length every call takes a path as it stands; a folder's path must leave room for
// a file name of 8.3 characters.
constexpr std::size_t kLongPath = MAX_PATH - 12;

}  // namespace

std::u16string SystemPath(const char16_t* path) {
    const std::u16string_view given(path);
    if (given.size() < kLongPath || given.starts_with(u"\\\\?\\") || given.starts_with(u"\\\\.\\"))
        return std::u16string(given);
    std::wstring full(given.size() + MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFullPathNameW(Wide(path), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0)
            return std::u16string(given);
        if (length < full.size()) {
            full.resize(length);
            break;
        }
        full.resize(length);
    }
    const std::u16string absolute(full.begin(), full.end());
    if (absolute.starts_with(u"\\\\"))
        return u"\\\\?\\UNC\\" + absolute.substr(2);
    return u"\\\\?\\" + absolute;
}

std::uint32_t FileAttributes(const char16_t* path) {
    return GetFileAttributesW(Wide(SystemPath(path).c_str()));
}

void* FindFirst(const char16_t* pattern, std::u16string& name, std::uint32_t& attributes,
                std::uint32_t& error) {
    WIN32_FIND_DATAW found{};
    const HANDLE find = FindFirstFileW(Wide(SystemPath(pattern).c_str()), &found);
    if (find == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    name.assign(reinterpret_cast<const char16_t*>(found.cFileName));
    attributes = found.dwFileAttributes;
    return find;
}

bool FindNext(void* find, std::u16string& name, std::uint32_t& attributes) {
    WIN32_FIND_DATAW found{};
    if (FindNextFileW(find, &found) == 0)
        return false;
    name.assign(reinterpret_cast<const char16_t*>(found.cFileName));
    attributes = found.dwFileAttributes;
    return true;
}

void FindClose(void* find) {
    ::FindClose(find);
}

std::optional<FileId> FolderId(const char16_t* path) {
    const HANDLE folder = OpenFolder(Wide(SystemPath(path).c_str()));
    if (folder == INVALID_HANDLE_VALUE)
        return std::nullopt;
    const std::optional<FileId> id = IdOf(folder);
    CloseHandle(folder);
    return id;
}

std::vector<FileId> EnclosingFolderIds(const char16_t* path) {
    std::vector<FileId> enclosing;
    const HANDLE folder = OpenFolder(Wide(SystemPath(path).c_str()));
    if (folder == INVALID_HANDLE_VALUE)
        return enclosing;
    std::wstring real(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(folder, real.data(), static_cast<DWORD>(real.size()), 0);
        if (length < real.size()) {
            real.resize(length);
            break;
        }
        real.resize(length);
    }
    CloseHandle(folder);
    // The real path is "\\?\C:\a\b": each folder up to the root is what lies before a backslash
    // past the drive's own.
    const std::size_t rootEnd = real.find(L'\\', real.find(L':'));
    if (rootEnd == std::wstring::npos || rootEnd + 1 == real.size())
        return enclosing;
    for (std::size_t end = real.rfind(L'\\'); end != std::wstring::npos && end >= rootEnd;
         end = end == 0 ? std::wstring::npos : real.rfind(L'\\', end - 1)) {
        const std::wstring parent = real.substr(0, end == rootEnd ? end + 1 : end);
        const HANDLE handle = OpenFolder(parent.c_str());
        if (handle == INVALID_HANDLE_VALUE)
            break;
        if (const std::optional<FileId> id = IdOf(handle))
            enclosing.push_back(*id);
        CloseHandle(handle);
        if (end == rootEnd)
            break;
    }
    return enclosing;
}

}  // namespace windows
