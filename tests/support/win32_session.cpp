#include "support/win32_session.h"

#include <thread>

#include "app/hashwick_app.h"
#include "framework/win32/win32_backend.h"
#include "ui/resources.h"

namespace {

CHashwickApp theApp;

}  // namespace

int RunWithWin32(const std::function<void()>& script) {
    char program[] = "hashwick";
    char* argv[] = {program, nullptr};
    std::thread scriptThread(script);
    int exitStatus = 0;
    {
        Win32Backend backend;
        exitStatus = AfxWinMain(&HashwickResources(), 1, argv, backend);
    }
    scriptThread.join();
    return exitStatus;
}
