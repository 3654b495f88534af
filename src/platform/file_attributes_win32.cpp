#include "platform/file_attributes.h"
#include "platform/windows_file_queries.h"

DWORD GetFileAttributesW(LPCWSTR path) {
    return windows::FileAttributes(path);
}

// A file opens for its identity as a folder does.
bool IsSameFile(LPCWSTR first, LPCWSTR second) {
    const std::optional<windows::FileId> one = windows::FolderId(first);
    const std::optional<windows::FileId> other = windows::FolderId(second);
    return one && other && one->volume == other->volume && one->index == other->index;
}
