// When the cursor-capture feature captures: the cursor must rest for one tick at a new place,
// and a place inside the last captured word's rectangle is not captured again.
#pragma once

#include <optional>

namespace yv::toolbox {

struct ScreenPoint {
    int x = 0;
    int y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// Right and bottom are outside, as in a Windows RECT.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool contains(ScreenPoint p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
};

class SpyglassTracker final {
public:
    // One timer tick with the cursor at `cursor`: true when the toolbox should capture there
    // (the point is then remembered as the last captured one).
    bool tick(ScreenPoint cursor);
    // The rectangle of the word a capture found.
    void setWordRect(const ScreenRect& rect) { m_wordRect = rect; }

private:
    std::optional<ScreenPoint> m_previous;
    std::optional<ScreenPoint> m_lastCaptured;
    ScreenRect m_wordRect;
};

} // namespace yv::toolbox
