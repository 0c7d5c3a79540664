// Fitting the stored placement to the desktop.
#include <lexview/placement.h>

namespace yv::lexview {

namespace {

constexpr int kReachableEdge = 200;
constexpr int kSplitterAllowance = 10;

} // namespace

Rect fitToWorkArea(Rect r, const WorkArea& area)
{
    const int areaWidth = area.right - area.left;
    const int areaHeight = area.bottom - area.top;
    if (r.width > areaWidth || r.width < 0)
        r.width = areaWidth;
    if (r.height > areaHeight || r.height < 0)
        r.height = areaHeight;
    if (r.left >= area.right - kReachableEdge)
        r.left = area.right - r.width;
    else if (r.left + r.width < kReachableEdge)
        r.left = 0;
    if (r.top >= area.bottom - kReachableEdge)
        r.top = area.bottom - r.height;
    else if (r.top < 0)
        r.top = 0;
    return r;
}

int hitListWidth(int divide, int clientWidth)
{
    if (divide > 0 && divide < clientWidth)
        return divide;
    return (clientWidth - kSplitterAllowance) / 2;
}

} // namespace yv::lexview
