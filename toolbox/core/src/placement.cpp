// Clamping of the toolbox's stored position.
#include <toolboxcore/placement.h>

#include <algorithm>

namespace yv::toolbox {

Position placeToolbox(int storedLeft, int storedTop, int width, int height, const WorkArea& area)
{
    Position p{std::max(storedLeft, area.left), std::max(storedTop, area.top)};
    // Compared as a distance, so that a position near INT_MAX cannot overflow.
    if (p.left > area.right - width)
        p.left = area.right - width;
    if (p.top > area.bottom - height)
        p.top = area.bottom - height;
    return p;
}

} // namespace yv::toolbox
