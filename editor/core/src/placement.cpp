// Clamping of the stored window placement.
#include <editorcore/placement.h>

namespace yv::editor {

namespace {

// How much of the window must stay inside the work area.
constexpr int kReachableEdge = 200;

} // namespace

WindowPlacement clampPlacement(WindowPlacement p, const WorkArea& area)
{
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    if (p.width > areaWidth || p.width < 0)
        p.width = areaWidth;
    if (p.height > areaHeight || p.height < 0)
        p.height = areaHeight;
    if (p.left >= area.right - kReachableEdge)
        p.left = area.right - p.width;
    else if (p.left + p.width < kReachableEdge)
        p.left = 0;
    if (p.top >= area.bottom - kReachableEdge)
        p.top = area.bottom - p.height;
    else if (p.top < 0)
        p.top = 0;
    return p;
}

int splitterPosition(int divide, int clientWidth)
{
    return divide > 0 && divide < clientWidth ? divide : clientWidth / 2;
}

} // namespace yv::editor
