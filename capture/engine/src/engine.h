// The capturing side of the engine: owns the capture area and runs probes, one at a time.
#pragma once

#include "x11target.h"

#include <captureengine/capturearea.h>
#include <captureengine/records.h>

#include <chrono>
#include <memory>
#include <optional>
#include <mutex>

namespace yv::shm {
class SharedBlock;
}

namespace yv::capture {

class Engine final {
public:
    static Engine& instance();

    // Null when the area cannot be had (it belongs to another user, shared memory is out).
    area::CaptureArea* area();
    // One capture at a time in this process.
    std::mutex& mutex() { return m_mutex; }
    X11Screen& screen();

    // Makes the target draw the row through (x, y) and reads what it drew there; when the
    // first repaint finds nothing under the point, a second one.
    Probe probe(const TargetWindow& target, std::int32_t x, std::int32_t y);

private:
    Engine();
    ~Engine();
    bool pass(area::CaptureArea& a, const TargetWindow& target, std::int32_t x, std::int32_t y, Probe* out);

    std::unique_ptr<shm::SharedBlock> m_block;
    // When this process made the area: programs that looked for it just before do not look
    // again until their pause is over.
    std::optional<std::chrono::steady_clock::time_point> m_areaMade;
    std::unique_ptr<X11Screen> m_screen;
    std::mutex m_mutex;
};

} // namespace yv::capture
