// The few window-manager operations the suite needs, over EWMH on the X server (xcb).
// Without a display every call answers "no window" and does nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::x11 {

using WindowId = std::uint32_t;

bool available();
// _NET_ACTIVE_WINDOW (0 when unknown).
WindowId activeWindow();
// Asks the window manager to activate (raise, map and focus) the window, as a pager would,
// so that focus-stealing prevention lets it through; without one, raises and focuses it.
bool activateWindow(WindowId window);
bool windowExists(WindowId window);

// The managed top-level windows (_NET_CLIENT_LIST) whose title (_NET_WM_NAME, else WM_NAME)
// is exactly `title` (UTF-8).
std::vector<WindowId> windowsTitled(std::string_view title);
// The class part of the window's WM_CLASS ("XTerm"), empty when it has none.
std::string windowClassName(WindowId window);
// Asks the window manager to close the window as its close button would (_NET_CLOSE_WINDOW).
bool closeWindow(WindowId window);

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};
// Where the window is on the screen, with the frame the window manager put around it
// (_NET_FRAME_EXTENTS); nothing when there is no such window.
std::optional<Rect> frameRect(WindowId window);

} // namespace yv::x11
