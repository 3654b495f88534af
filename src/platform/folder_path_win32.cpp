#include <windows.h>

#include "platform/folder_path.h"

std::u16string ResolvedFolderPath(const std::u16string& path) {
    const auto* wide = reinterpret_cast<const wchar_t*>(path.c_str());
    const DWORD size = GetFullPathNameW(wide, 0, nullptr, nullptr);
    if (size == 0)
        return path;
    std::u16string full(size, u'\0');
    const DWORD length =
        GetFullPathNameW(wide, size, reinterpret_cast<wchar_t*>(full.data()), nullptr);
    if (length == 0 || length >= size)
        return path;
    full.resize(length);
    return full;
}
