// The application run in the test's own process on the Win32 backend (under Wine in CI): its
// dialog is a real window on the calling thread, and the script works it from a thread of its
// own through Windows. Unlike a separate program, the dialog shares the test's memory, so the
// script can hand it what only a process's own memory carries (a drop) and measure its fonts.
#pragma once

#include <functional>

// Runs the application without a folder on the calling (main) thread while the script runs;
// returns the exit status once the dialog has ended. The script ends the dialog.
int RunWithWin32(const std::function<void()>& script);
