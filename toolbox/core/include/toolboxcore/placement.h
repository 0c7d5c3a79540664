// Where the toolbox window goes: its stored position pulled inside the desktop's work area.
#pragma once

namespace yv::toolbox {

struct WorkArea {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct Position {
    int left = 0;
    int top = 0;
};

// "LEFT" / "TOP" as stored (0x80000000 when never saved, read as a signed value): at least the
// work area's left and top, and moved back so that the window does not cross its right or
// bottom edge.
Position placeToolbox(int storedLeft, int storedTop, int width, int height, const WorkArea& area);

} // namespace yv::toolbox
