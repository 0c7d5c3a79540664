// The capturing side's view of the X server: which window lies under a point, which of its
// ancestors belong to the same program, and the one-pixel strip that makes it draw again.
#pragma once

#include <captureengine/capturearea.h>
#include <captureengine/records.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct xcb_connection_t;

namespace yv::capture {

struct TargetWindow {
    // The windows whose drawing counts, with their screen origins: the deepest window at the
    // point and its ancestors up to the program's top-level window.
    std::vector<area::DrawTarget> chain;
    std::uint32_t window = 0;  // the deepest window that draws (not input-only)
    std::int32_t originX = 0, originY = 0;
    Cell rect;              // its rectangle on the screen
    std::string className;  // the program's WM_CLASS class
    bool popupMenu = false;
};

class X11Screen final {
public:
    X11Screen();
    ~X11Screen();
    X11Screen(const X11Screen&) = delete;
    X11Screen& operator=(const X11Screen&) = delete;

    bool connected() const;
    // The program window at the point; nothing over the root window or the window manager's
    // frames and title bars, whose text is not the program's.
    std::optional<TargetWindow> targetAt(std::int32_t x, std::int32_t y);
    // Clears the row through screen y of the window, which then draws it again.
    void clearRow(const TargetWindow& target, std::int32_t y);

private:
    std::uint32_t atom(const char* name);
    bool hasProperty(std::uint32_t window, std::uint32_t property);

    xcb_connection_t* m_connection = nullptr;
    std::uint32_t m_root = 0;
};

} // namespace yv::capture
