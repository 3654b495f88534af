#include "framework/win32/app_icon.h"

#include <windows.h>

HICON__* AppIcon(unsigned resourceId, bool big) {
    const int size = GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
    // Shared icons live as long as the program; the system keeps one per size.
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId),
                                         IMAGE_ICON, size, size, LR_SHARED));
}
