// The second source on X11: the accessibility bus (AT-SPI), asked for the text and character
// boxes at a point of a program that draws its text itself (Qt, and others the engine cannot
// read). The bus can hang, so a worker thread talks to it and a caller waits a bounded time.
#pragma once

#include <SnrApi32.h>

#include <chrono>
#include <memory>

namespace yv::capture {

class AccessibilityBus {
public:
    virtual ~AccessibilityBus() = default;
    // Request 1 (words) or 2 (sentence) at screen (x, y): fills the answer's text fields and
    // rectangles in `out`. False when nothing is there, the bus does not answer within
    // `budget`, or the last request is still running.
    virtual bool ask(int request, int x, int y, AcrobatSharedData* out, std::chrono::milliseconds budget) = 0;

    // The bus source of this build; one without the bus library says so when asked.
    static std::unique_ptr<AccessibilityBus> make();
};

} // namespace yv::capture
