#include "platform/file_attributes.h"

#include <sys/stat.h>

#include "platform/path_text.h"

DWORD GetFileAttributesW(LPCWSTR path) {
    const std::optional<std::string> native = WideToNative(path);
    struct stat status {};
    if (!native || stat(native->c_str(), &status) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}
