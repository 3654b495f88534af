#include "framework/win32/wait_cursor.h"

#include <windows.h>

namespace {

// The UI thread's alone, as is every window of the program.
bool shown = false;
HCURSOR kept = nullptr;

}  // namespace

void ShowWaitCursor(bool on) {
    if (on == shown)
        return;
    shown = on;
    // The cursor changes at once where it is; the dialog's windows keep it while the mouse
    // moves over them (WM_SETCURSOR).
    if (on) {
        kept = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        SetCursor(kept != nullptr ? kept : LoadCursorW(nullptr, IDC_ARROW));
    }
}

bool WaitCursorShown() {
    return shown;
}
