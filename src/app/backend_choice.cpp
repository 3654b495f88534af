#include "app/backend_choice.h"

#include <cstdlib>
#include <string_view>

#include "framework/console_backend.h"
#ifdef HASHWICK_HAVE_QT
#include "framework/qt/qt_backend.h"
#endif

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

}  // namespace

std::unique_ptr<UiBackend> ChooseBackend() {
#ifdef HASHWICK_HAVE_QT
    const char* asked = std::getenv("HASHWICK_UI");
    const std::string_view choice = asked != nullptr ? asked : "";
    const bool display = Set("DISPLAY") || Set("WAYLAND_DISPLAY");
    if (choice == "window" || (choice != "console" && display))
        return std::make_unique<QtBackend>();
#endif
    return std::make_unique<ConsoleBackend>();
}
