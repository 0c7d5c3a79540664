// The few window-manager operations the suite needs, over EWMH on the X server (xcb).
// Without a display every call answers "no window" and does nothing.
#pragma once

#include <cstdint>

namespace yv::x11 {

using WindowId = std::uint32_t;

bool available();
// _NET_ACTIVE_WINDOW (0 when unknown).
WindowId activeWindow();
// Asks the window manager to activate (raise, map and focus) the window, as a pager would,
// so that focus-stealing prevention lets it through; without one, raises and focuses it.
bool activateWindow(WindowId window);
bool windowExists(WindowId window);

} // namespace yv::x11
