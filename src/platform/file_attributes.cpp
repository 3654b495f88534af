#include "platform/file_attributes.h"

#include <sys/stat.h>

#include "platform/path_lookup.h"
#include "platform/path_text.h"

DWORD GetFileAttributesW(LPCWSTR path) {
    const std::optional<std::string> native = WideToNative(path);
    struct stat status {};
    const auto statusCall = [&status](int folder, const char* name) {
        return fstatat(folder, name, &status, 0);
    };
    if (!native || LookUpPath(*native, statusCall) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}
