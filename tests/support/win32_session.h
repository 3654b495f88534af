// The application on the Win32 backend: the dialog runs on a UI thread of its own, as the program
// runs it, while the test's thread acts on the real windows through their message queues, as a
// user would. No Windows header here: the framework names the same things its own way.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Runs the application with the arguments while the script runs on the calling thread; returns
// the application's exit status once both have ended.
int RunWithWin32(std::vector<std::string> arguments, const std::function<void()>& script);

// Posts a count to the main dialog as the worker posts it.
void PostToMainDialog(unsigned message, std::uintptr_t count);
