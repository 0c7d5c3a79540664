// Where the main window opens: the stored rectangle clamped to the desktop's work area, and
// the splitter between the panes.
#pragma once

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

// Keeps at least 200 pixels of the window reachable, and no side larger than the work area.
WindowPlacement clampPlacement(WindowPlacement stored, const WorkArea& area);

// "DIVIDE" when it lies strictly inside the client width, else half of it.
int splitterPosition(int divide, int clientWidth);

} // namespace yv::editor
