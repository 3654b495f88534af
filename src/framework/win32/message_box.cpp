#include <windows.h>

#include "framework/win32/native_shell.h"
#include "framework/win32/wide_text.h"

int ShowMessageBox(HWND owner, const std::u16string& text, const std::u16string& caption,
                   unsigned type) {
    const int answer = MessageBoxW(owner, ToWide(text).c_str(), ToWide(caption).c_str(), type);
    // A box that could not be shown gives no consent.
    if (answer == 0)
        return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
    return answer;
}
