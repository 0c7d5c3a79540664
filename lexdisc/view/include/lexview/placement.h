// Where the viewer's window opens: the stored rectangle fitted to the desktop's work area.
#pragma once

namespace yv::lexview {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct WorkArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// Defaults of "LEFT", "TOP", "WIDTH", "HEIGHT".
inline constexpr Rect kDefaultPlacement{100, 100, 680, 400};

// No side larger than the work area (a negative one counts as too large); a window that
// starts within 200 pixels of the right or bottom edge is moved to end at that edge; one
// that would end left of 200 starts at 0; a negative top becomes 0.
Rect fitToWorkArea(Rect stored, const WorkArea& area);

// The hit-list column: "DIVIDE" when it lies strictly inside the client, else half of the
// client width less 10.
int hitListWidth(int divide, int clientWidth);

} // namespace yv::lexview
