#include "platform/file_attributes.h"
#include "platform/windows_file_queries.h"

DWORD GetFileAttributesW(LPCWSTR path) {
    return windows::FileAttributes(path);
}
