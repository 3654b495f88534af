#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/any_length_path_posix.h"
#include "platform/file_attributes.h"
#include "platform/folder_enumeration.h"
#include "platform/kernel_file_systems.h"
#include "platform/path_text.h"

namespace {

struct FindState {
    DIR* folder = nullptr;
    FolderIdentity identity;
    bool kernelInterface = false;
};

constexpr std::u16string_view kEveryEntry = u"*.*";

thread_local DWORD lastError = 0;

HANDLE Failed(int code) {
    lastError = static_cast<DWORD>(code);
    return INVALID_HANDLE_VALUE;
}

// What the entry's type in the folder says of it, as GetFileAttributesW would tell; a link, whose
// target only a query can tell, and an entry of a file system that gives no types are left to
// the query.
DWORD AttributesOfType(unsigned char type) {
    switch (type) {
        case DT_DIR:
            return FILE_ATTRIBUTE_DIRECTORY;
        case DT_REG:
            return FILE_ATTRIBUTE_NORMAL;
        case DT_FIFO:
        case DT_SOCK:
        case DT_CHR:
        case DT_BLK:
            return FILE_ATTRIBUTE_DEVICE;
        default:
            return INVALID_FILE_ATTRIBUTES;
    }
}

bool NextName(DIR* folder, WIN32_FIND_DATAW* findData) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (entry == nullptr)
        return false;
    findData->cFileName = NativeToWide(entry->d_name);
    findData->dwFileAttributes = AttributesOfType(entry->d_type);
    return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData) {
    std::u16string_view text(pattern);
    if (!text.ends_with(kEveryEntry))
        return Failed(EINVAL);
    text.remove_suffix(kEveryEntry.size());
    if (!text.empty() && text.back() != kPathSeparator)
        return Failed(EINVAL);
    const std::optional<std::string> native = WideToNative(text.empty() ? u"." : text);
    if (!native)
        return Failed(ENOENT);

    const int descriptor =
        OpenAnyLength(*native, O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return Failed(errno);
    struct stat status {};
    struct statfs system {};
    if (fstat(descriptor, &status) != 0 || fstatfs(descriptor, &system) != 0) {
        const int code = errno;
        close(descriptor);
        return Failed(code);
    }
    DIR* folder = fdopendir(descriptor);
    if (folder == nullptr) {
        const int code = errno;
        close(descriptor);
        return Failed(code);
    }
    if (!NextName(folder, findData)) {
        const int code = errno != 0 ? errno : EIO;
        closedir(folder);
        return Failed(code);
    }
    return new FindState{folder,
                         {status.st_dev, status.st_ino},
                         IsKernelInterfaceFileSystem(static_cast<unsigned long>(system.f_type))};
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    return NextName(static_cast<FindState*>(find)->folder, findData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
    if (find == nullptr || find == INVALID_HANDLE_VALUE)
        return FALSE;
    auto* state = static_cast<FindState*>(find);
    closedir(state->folder);
    delete state;
    return TRUE;
}

DWORD GetLastError() {
    return lastError;
}

FolderIdentity GetFindFolderIdentity(HANDLE find) {
    return static_cast<FindState*>(find)->identity;
}

bool IsKernelInterfaceFolder(HANDLE find) {
    return static_cast<FindState*>(find)->kernelInterface;
}

std::vector<FolderIdentity> GetEnclosingFolderIdentities(LPCWSTR folder) {
    std::vector<FolderIdentity> enclosing;
    const std::optional<std::string> native = WideToNative(folder);
    if (!native)
        return enclosing;
    // Climbing by ".." from the open folder follows the real parents, across mount points too;
    // a path-only access needs no permission to read the folders.
    constexpr int kPathOnly = O_PATH | O_DIRECTORY | O_CLOEXEC;
    int current = OpenAnyLength(native->empty() ? "." : *native, kPathOnly);
    struct stat status {};
    if (current < 0 || fstat(current, &status) != 0) {
        if (current >= 0)
            close(current);
        return enclosing;
    }
    FolderIdentity below{status.st_dev, status.st_ino};
    for (;;) {
        const int parent = openat(current, "..", kPathOnly);
        close(current);
        if (parent < 0 || fstat(parent, &status) != 0) {
            if (parent >= 0)
                close(parent);
            return enclosing;
        }
        const FolderIdentity identity{status.st_dev, status.st_ino};
        // The root is its own parent.
        if (identity == below) {
            close(parent);
            return enclosing;
        }
        enclosing.push_back(identity);
        below = identity;
        current = parent;
    }
}
