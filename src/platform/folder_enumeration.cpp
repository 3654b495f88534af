#include "platform/folder_enumeration.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/path_text.h"

namespace {

struct FindState {
    DIR* folder = nullptr;
    FolderIdentity identity;
};

constexpr std::u16string_view kEveryEntry = u"*.*";

bool NextName(DIR* folder, WIN32_FIND_DATAW* findData) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (entry == nullptr)
        return false;
    findData->cFileName = NativeToWide(entry->d_name);
    return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR pattern, WIN32_FIND_DATAW* findData) {
    std::u16string_view text(pattern);
    if (!text.ends_with(kEveryEntry))
        return INVALID_HANDLE_VALUE;
    text.remove_suffix(kEveryEntry.size());
    if (!text.empty() && text.back() != kPathSeparator)
        return INVALID_HANDLE_VALUE;
    const std::optional<std::string> native = WideToNative(text.empty() ? u"." : text);
    if (!native)
        return INVALID_HANDLE_VALUE;

    const int descriptor =
        open(native->c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return INVALID_HANDLE_VALUE;
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        close(descriptor);
        return INVALID_HANDLE_VALUE;
    }
    DIR* folder = fdopendir(descriptor);
    if (folder == nullptr) {
        close(descriptor);
        return INVALID_HANDLE_VALUE;
    }
    if (!NextName(folder, findData)) {
        closedir(folder);
        return INVALID_HANDLE_VALUE;
    }
    return new FindState{folder, {status.st_dev, status.st_ino}};
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

FolderIdentity GetFindFolderIdentity(HANDLE find) {
    return static_cast<FindState*>(find)->identity;
}
