// The second source on X11: the accessibility bus (AT-SPI), asked for the text and character
// boxes at a point of a program that draws its text itself (Qt, and others the engine cannot
// read). The bus can hang, so a worker thread talks to it and a caller waits a bounded time.
// The worker lives in a module of its own, libSnrAccessBus.so, that stays mapped once loaded:
// a worker stuck on a hung bus may outlive the API that started it.
#pragma once

#include <SnrApi32.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace yv::capture {

class AccessibilityBus {
public:
    virtual ~AccessibilityBus() = default;
    // Request 1 (words) or 2 (sentence) at screen (x, y): fills the answer's text fields and
    // rectangles in `out`. False when nothing is there, the bus does not answer within
    // `budget`, or the last request is still running.
    virtual bool ask(int request, int x, int y, AcrobatSharedData* out, std::chrono::milliseconds budget) = 0;

    // The bus source from the module beside `libraryDir`, loaded on the first request; without
    // the module (a build without libatspi) it says so when asked.
    static std::unique_ptr<AccessibilityBus> make(const std::filesystem::path& libraryDir);
};

} // namespace yv::capture

// The module's one export: a new bus source, owned by the caller.
extern "C" yv::capture::AccessibilityBus* SnrAccessBusMake(void);
