// Where the main window opens: the stored rectangle clamped to the desktop's work area, and
// the splitter between the panes.
#pragma once

#include <optional>

namespace yv::editor {

struct WindowPlacement {
    int left = 10;    // "LEFT"
    int top = 10;     // "TOP"
    int width = 500;  // "WIDTH"
    int height = 300; // "HEIGHT"
};

struct WorkArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A window's outer rectangle on the screen, right and bottom exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the window manager adds around the client area (title bar and borders).
struct FrameAllowance {
    int width = 0;
    int height = 0;
};

// Keeps at least 200 pixels of the window reachable, and no side larger than the work area.
WindowPlacement clampPlacement(WindowPlacement stored, const WorkArea& area);

// Where a window with no stored placement opens: two thirds of the work area, centred; when the
// always-on-top toolbox would cover that, in the largest part of the work area beside it.
// LEFT and TOP place the frame, WIDTH and HEIGHT the client area.
WindowPlacement defaultPlacement(const WorkArea& area, const std::optional<ScreenRect>& toolbox,
                                 FrameAllowance frame);

// "DIVIDE" when it lies strictly inside the client width, else half of it.
int splitterPosition(int divide, int clientWidth);

} // namespace yv::editor
