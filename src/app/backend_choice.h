// Which backend shows the dialog in this session.
#pragma once

#include <memory>

#include "framework/backend.h"

// The console backend when HASHWICK_UI=console, or when there is no display.
std::unique_ptr<UiBackend> ChooseBackend();
