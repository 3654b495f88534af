#include "app/backend_choice.h"

#include <cstdlib>
#include <string_view>

#include "framework/console_backend.h"
#ifdef _WIN32
#include "framework/win32/win32_backend.h"
#include "framework/win32/window_station.h"
#elif defined(HASHWICK_HAVE_QT)
#include "framework/qt/qt_backend.h"
#endif

namespace {

[[maybe_unused]] std::string_view AskedFor() {
    const char* asked = std::getenv("HASHWICK_UI");
    return asked != nullptr ? asked : "";
}

}  // namespace

#ifdef _WIN32

// Windows: the program is a console program, so that cmd.exe waits for `hashwick.exe FOLDER`
// and gets its exit status, and --verify and --compare print there. The window shows wherever
// someone can see it, from cmd.exe too; only where no one can (a service, a remote shell without
// a desktop, Wine without a display) does a run go to the console. A program started from
// Explorer has a console of its own, which goes away before the window shows.
std::unique_ptr<UiBackend> ChooseBackend() {
    const std::string_view choice = AskedFor();
    if (choice == "window" || (choice != "console" && WindowsCanBeSeen())) {
        ReleaseOwnConsole();
        return std::make_unique<Win32Backend>();
    }
    return std::make_unique<ConsoleBackend>();
}

#else

std::unique_ptr<UiBackend> ChooseBackend() {
#ifdef HASHWICK_HAVE_QT
    const std::string_view choice = AskedFor();
    if (choice == "window" || (choice != "console" && QtBackend::CanShowWindows())) {
        return std::make_unique<QtBackend>();
    }
#endif
    return std::make_unique<ConsoleBackend>();
}

#endif
