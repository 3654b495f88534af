#include "support/win32_session.h"

#include <thread>

#include "app/hashwick_app.h"
#include "framework/win32/win32_backend.h"
#include "framework/window_handles.h"
#include "ui/resources.h"

namespace {

CHashwickApp theApp;

}  // namespace

int RunWithWin32(std::vector<std::string> arguments, const std::function<void()>& script) {
    arguments.insert(arguments.begin(), "hashwick");
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    int status = -1;
    std::thread ui([&] {
        Win32Backend backend;
        status =
            AfxWinMain(&HashwickResources(), static_cast<int>(argv.size()), argv.data(), backend);
    });
    script();
    ui.join();
    return status;
}

void PostToMainDialog(unsigned message, std::uintptr_t count) {
    PostMessageW(g_hMainDialog, message, count, 0);
}
