#include "app/backend_choice.h"

#include "framework/console_backend.h"
#ifdef HASHWICK_HAVE_QT
#include <cstdlib>
#include <string_view>

#include "framework/qt/qt_backend.h"
#endif

std::unique_ptr<UiBackend> ChooseBackend() {
#ifdef HASHWICK_HAVE_QT
    const char* asked = std::getenv("HASHWICK_UI");
    const std::string_view choice = asked != nullptr ? asked : "";
    if (choice == "window" || (choice != "console" && QtBackend::CanShowWindows())) {
        return std::make_unique<QtBackend>();
    }
#endif
    return std::make_unique<ConsoleBackend>();
}
