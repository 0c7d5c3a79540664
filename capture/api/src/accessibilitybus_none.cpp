// A build without the accessibility bus library: the second source tells the user once that
// programs drawing their own text cannot be read, and answers nothing.
#include "accessibilitybus.h"

#include <atomic>
#include <cstdio>

namespace yv::capture {

namespace {

class NoAccessibilityBus final : public AccessibilityBus {
public:
    bool ask(int, int, int, AcrobatSharedData*, std::chrono::milliseconds) override
    {
        if (!m_told.exchange(true))
            std::fprintf(stderr, "SNRAPI: this build has no accessibility bus support (libatspi): text of programs "
                                 "that draw it themselves (Qt) cannot be captured.\n");
        return false;
    }

private:
    std::atomic<bool> m_told{false};
};

} // namespace

std::unique_ptr<AccessibilityBus> AccessibilityBus::make()
{
    return std::make_unique<NoAccessibilityBus>();
}

} // namespace yv::capture
