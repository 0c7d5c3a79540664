// Clamping of the stored window placement.
#include <editorcore/placement.h>

#include <algorithm>

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
    // Measured from the work area's own corner: it need not be the screen's (panels, monitors).
    if (p.left >= area.right - kReachableEdge)
        p.left = area.right - p.width;
    else if (p.left + p.width < area.left + kReachableEdge)
        p.left = area.left;
    if (p.top >= area.bottom - kReachableEdge)
        p.top = area.bottom - p.height;
    else if (p.top < area.top)
        p.top = area.top;
    return p;
}

WindowPlacement defaultPlacement(const WorkArea& area, const std::optional<ScreenRect>& toolbox, FrameAllowance frame)
{
    const auto centredIn = [&](const ScreenRect& room, int outerWidth, int outerHeight) {
        outerWidth = std::min(outerWidth, room.right - room.left);
        outerHeight = std::min(outerHeight, room.bottom - room.top);
        return WindowPlacement{room.left + (room.right - room.left - outerWidth) / 2,
                               room.top + (room.bottom - room.top - outerHeight) / 2,
                               std::max(outerWidth - frame.width, 0), std::max(outerHeight - frame.height, 0)};
    };
    const ScreenRect whole{area.left, area.top, area.right, area.bottom};
    const int outerWidth = (area.right - area.left) * 2 / 3;
    const int outerHeight = (area.bottom - area.top) * 2 / 3;
    const WindowPlacement centred = centredIn(whole, outerWidth, outerHeight);
    if (!toolbox)
        return centred;
    const ScreenRect covered{std::max(toolbox->left, area.left), std::max(toolbox->top, area.top),
                             std::min(toolbox->right, area.right), std::min(toolbox->bottom, area.bottom)};
    const bool overlaps = covered.left < centred.left + centred.width + frame.width &&
                          centred.left < covered.right && covered.top < centred.top + centred.height + frame.height &&
                          centred.top < covered.bottom;
    if (covered.left >= covered.right || covered.top >= covered.bottom || !overlaps)
        return centred;
    // The free bands beside the toolbox; the largest takes the window.
    const ScreenRect bands[] = {{area.left, covered.bottom, area.right, area.bottom},
                                {covered.right, area.top, area.right, area.bottom},
                                {area.left, area.top, area.right, covered.top},
                                {area.left, area.top, covered.left, area.bottom}};
    const auto size = [](const ScreenRect& r) {
        return static_cast<long long>(r.right - r.left) * static_cast<long long>(r.bottom - r.top);
    };
    const ScreenRect* best = &bands[0];
    for (const ScreenRect& band : bands)
        if (size(band) > size(*best))
            best = &band;
    // A toolbox that leaves no usable room: better covered in part than squeezed.
    if (best->right - best->left < outerWidth / 2 || best->bottom - best->top < outerHeight / 2)
        return centred;
    return centredIn(*best, outerWidth, outerHeight);
}

int splitterPosition(int divide, int clientWidth)
{
    return divide > 0 && divide < clientWidth ? divide : clientWidth / 2;
}

} // namespace yv::editor
