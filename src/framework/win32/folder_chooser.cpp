#include <windows.h>
// After windows.h.
#include <shlobj.h>

#include "framework/win32/com_apartment.h"
#include "framework/win32/native_shell.h"
#include "framework/win32/wide_text.h"

std::optional<std::u16string> ChooseFolder(HWND owner, const std::u16string& title) {
    const ComApartment com;
    const std::wstring heading = ToWide(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.lpszTitle = heading.c_str();
    // The browser of the newer style can be resized and shows long names whole; it needs a
    // single-threaded apartment, and the older one serves where there is none.
    info.ulFlags = BIF_EDITBOX | (com.SingleThreaded() ? BIF_NEWDIALOGSTYLE : 0);
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (item == nullptr)
        return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool isFolder = SHGetPathFromIDListW(item, path) != FALSE;
    CoTaskMemFree(item);
    return isFolder ? FromWide(path) : std::u16string();
}
