#include <sys/stat.h>

#include "platform/any_length_path_posix.h"
#include "platform/file_attributes.h"
#include "platform/path_text.h"

DWORD GetFileAttributesW(LPCWSTR path) {
    const std::optional<std::string> native = WideToNative(path);
    struct stat status {};
    if (!native || StatAnyLength(*native, status, false) != 0)
        return INVALID_FILE_ATTRIBUTES;
    // Most paths are no links, and for those the one query answers everything.
    DWORD link = 0;
    if (S_ISLNK(status.st_mode)) {
        if (StatAnyLength(*native, status, true) != 0)
            return INVALID_FILE_ATTRIBUTES;
        link = FILE_ATTRIBUTE_REPARSE_POINT;
    }
    const DWORD type = S_ISDIR(status.st_mode)   ? FILE_ATTRIBUTE_DIRECTORY
                       : S_ISREG(status.st_mode) ? FILE_ATTRIBUTE_NORMAL
                                                 : FILE_ATTRIBUTE_DEVICE;
    return link | type;
}

bool IsSameFile(LPCWSTR first, LPCWSTR second) {
    const std::optional<std::string> nativeFirst = WideToNative(first);
    const std::optional<std::string> nativeSecond = WideToNative(second);
    struct stat one {};
    struct stat other {};
    return nativeFirst && nativeSecond && stat(nativeFirst->c_str(), &one) == 0 &&
           stat(nativeSecond->c_str(), &other) == 0 && one.st_dev == other.st_dev &&
           one.st_ino == other.st_ino;
}
