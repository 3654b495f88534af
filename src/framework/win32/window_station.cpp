#include "framework/win32/window_station.h"

#include <windows.h>

bool WindowStationIsInteractive() {
    USEROBJECTFLAGS flags{};
    const HWINSTA station = GetProcessWindowStation();
    if (station == nullptr ||
        GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) == FALSE) {
        return true;
    }
    return (flags.dwFlags & WSF_VISIBLE) != 0;
}

void ReleaseOwnConsole() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
}
