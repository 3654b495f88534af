#include "app/backend_choice.h"

#include "framework/console_backend.h"

std::unique_ptr<UiBackend> ChooseBackend() {
    return std::make_unique<ConsoleBackend>();
}
