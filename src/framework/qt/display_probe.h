// Whether a desktop display accepts a client: Qt ends the process when it cannot open its display,
// so the window is chosen only after a display has answered.
#pragma once

#include <string>

// DISPLAY's X server answers the start of a connection.
bool X11DisplayAnswers(const std::string& display);

// WAYLAND_DISPLAY's compositor accepts a connection.
bool WaylandDisplayAnswers(const std::string& display);
