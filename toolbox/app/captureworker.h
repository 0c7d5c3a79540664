// One hot-key or button press: a worker thread takes the text the user has selected in the
// program in front, brings up the box of the action and hands the text over.
#pragma once

#include "boxes.h"

#include <atomic>
#include <functional>
#include <memory>

namespace yv::toolbox {

// The toolbox's own thread as the workers see it. Workers hold it by shared pointer, so it
// outlives the toolbox window; once closed, nothing more runs on the toolbox's thread.
class GuiBridge final : public std::enable_shared_from_this<GuiBridge> {
public:
    static std::shared_ptr<GuiBridge> create();

    // On the toolbox's thread, when the toolbox goes away.
    void close() { m_alive = false; }
    bool alive() const { return m_alive; }

    // Runs `task` on the toolbox's thread and waits for it; false when it did not run (the
    // toolbox went away, or its thread did not get to it in time).
    bool run(std::function<void()> task);
    // Runs `task` on the toolbox's thread without waiting.
    void post(std::function<void()> task);
    // Message boxes of a worker, shown by the toolbox's thread.
    Notifier notifier();

    std::atomic<int> running{0};

private:
    GuiBridge() = default;
    bool dispatch(std::function<void()> task);
    std::atomic<bool> m_alive{true};
};

struct CaptureRequest {
    ActionKind kind = ActionKind::Translate;
    // The window in front when the key was pressed (0: none, only the box comes up).
    WindowHandle source = 0;
};

// Starts the worker of one press; it counts itself in `gui->running` while it runs.
void startCapture(const std::shared_ptr<GuiBridge>& gui, CaptureRequest request);

} // namespace yv::toolbox
