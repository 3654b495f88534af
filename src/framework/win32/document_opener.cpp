#include <windows.h>
// After windows.h.
#include <shellapi.h>

#include "framework/win32/com_apartment.h"
#include "framework/win32/native_shell.h"
#include "framework/win32/wide_text.h"

std::intptr_t OpenWithDefaultHandler(const std::u16string& path) {
    // The handler may be a shell extension, which needs COM on this thread.
    const ComApartment com;
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", ToWide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}
