#include <atomic>
#include <string_view>

#include "platform/folder_enumeration.h"
#include "platform/windows_file_queries.h"

namespace {

struct FindState {
    void* find = nullptr;
    FolderIdentity identity;
};

constexpr std::u16string_view kEveryEntry = u"*.*";
constexpr DWORD kErrorInvalidName = 123;

thread_local DWORD lastError = 0;

FolderIdentity Identity(const windows::FileId& id) {
    return {id.volume, id.index};
}

// A folder whose identity the system does not give is taken as one seen nowhere else: the walk
// then never mistakes it for a folder it is already in.
FolderIdentity UniqueIdentity() {
    static std::atomic<std::uint64_t> counter{0};
    return {~std::uint64_t{0}, counter++};
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData) {
    std::u16string_view folder(pattern);
    if (!folder.ends_with(kEveryEntry)) {
        lastError = kErrorInvalidName;
        return INVALID_HANDLE_VALUE;
    }
    folder.remove_suffix(kEveryEntry.size());
    std::uint32_t error = 0;
    void* const find =
        windows::FindFirst(pattern, findData->cFileName, findData->dwFileAttributes, error);
    if (find == nullptr) {
        lastError = error;
        return INVALID_HANDLE_VALUE;
    }
    // The folder as the pattern names it; a drive's root keeps its separator ("C:\").
    std::u16string path(folder.empty() ? u"." : folder);
    if (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/') &&
        path[path.size() - 2] != u':') {
        path.pop_back();
    }
    const std::optional<windows::FileId> id = windows::FolderId(path.c_str());
    return new FindState{find, id ? Identity(*id) : UniqueIdentity()};
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    return windows::FindNext(static_cast<FindState*>(find)->find, findData->cFileName,
                             findData->dwFileAttributes)
               ? TRUE
               : FALSE;
}

BOOL FindClose(HANDLE find) {
    if (find == nullptr || find == INVALID_HANDLE_VALUE)
        return FALSE;
    auto* state = static_cast<FindState*>(find);
    windows::FindClose(state->find);
    delete state;
    return TRUE;
}

DWORD GetLastError() {
    return lastError;
}

FolderIdentity GetFindFolderIdentity(HANDLE find) {
    return static_cast<FindState*>(find)->identity;
}

bool IsKernelInterfaceFolder(HANDLE) {
    return false;
}

std::vector<FolderIdentity> GetEnclosingFolderIdentities(LPCWSTR folder) {
    std::vector<FolderIdentity> enclosing;
    for (const windows::FileId& id : windows::EnclosingFolderIds(folder))
        enclosing.push_back(Identity(id));
    return enclosing;
}
