// Which backend shows the dialog in this session.
#pragma once

#include <memory>

#include "framework/backend.h"

// The window when the desktop's display (DISPLAY or WAYLAND_DISPLAY) can be reached, otherwise
// the console. HASHWICK_UI=console or HASHWICK_UI=window chooses one regardless.
std::unique_ptr<UiBackend> ChooseBackend();
