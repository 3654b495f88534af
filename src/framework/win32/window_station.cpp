#include "framework/win32/window_station.h"

#include <windows.h>

bool WindowsCanBeSeen() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (station != nullptr &&
        GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) != FALSE &&
        (flags.dwFlags & WSF_VISIBLE) == 0) {
        return false;
    }
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       nullptr, nullptr);
    if (probe == nullptr)
        return false;
    DestroyWindow(probe);
    return true;
}

void ReleaseOwnConsole() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
}
