#include <windows.h>

#include "platform/clock.h"

namespace {

// Taken during static initialisation, which is as near to the process start as a program gets.
const DWORD processStart = GetTickCount();

}  // namespace

Tick CurrentTick() {
    // The system's tick counts from its start and wraps after 49.7 days; the difference wraps
    // with it.
    return static_cast<Tick>(GetTickCount() - processStart);
}
