// Which backend shows the dialog in this session.
#pragma once

#include <memory>

#include "framework/backend.h"

// The window on a desktop (a display named by DISPLAY or WAYLAND_DISPLAY), otherwise the
// console. HASHWICK_UI=console or HASHWICK_UI=window chooses one regardless.
std::unique_ptr<UiBackend> ChooseBackend();
