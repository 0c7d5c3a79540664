// The capture area's owner and the probe: recording switched on for the target, a row cleared,
// the repaint waited for, recording switched off, the records read.
#include "engine.h"

#include <platform/sharedmemory.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

namespace yv::capture {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// A program answers an exposure within a millisecond when idle; nothing marks the end of its
// repaint, so the probe ends after a quiet spell, and gives up on a program that draws nothing.
constexpr auto kPollInterval = 200us;
constexpr auto kQuietSpell = 4ms;
constexpr auto kFirstDrawingWait = 40ms;
constexpr auto kLongestRepaint = 250ms;
constexpr auto kWritersWait = 50ms;

void initialise(area::CaptureArea& a)
{
    std::memset(&a, 0, sizeof a);
    a.layoutVersion = area::kLayoutVersion;
    a.areaSize = sizeof(area::CaptureArea);
    a.hitIndex = -1;
    area::store(a.magic, area::kMagic);
}

void waitForRepaint(const area::CaptureArea& a)
{
    const Clock::time_point start = Clock::now();
    Clock::time_point lastChange = start;
    std::uint64_t seen = 0;
    for (;;) {
        std::this_thread::sleep_for(kPollInterval);
        const Clock::time_point now = Clock::now();
        const std::uint64_t drawn = std::uint64_t{area::load(a.activity)} + area::load(a.recordCount);
        if (drawn != seen) {
            seen = drawn;
            lastChange = now;
        }
        if (seen == 0 ? now - start >= kFirstDrawingWait : now - lastChange >= kQuietSpell)
            return;
        if (now - start >= kLongestRepaint)
            return;
    }
}

void waitForWriters(const area::CaptureArea& a)
{
    const Clock::time_point start = Clock::now();
    while (area::load(a.writers) != 0 && Clock::now() - start < kWritersWait)
        std::this_thread::sleep_for(kPollInterval);
}

} // namespace

Engine& Engine::instance()
{
    static Engine engine;
    return engine;
}

Engine::Engine()
{
    m_block = shm::SharedBlock::create(area::kBlockName, sizeof(area::CaptureArea));
    if (!m_block)
        return;
    auto* a = reinterpret_cast<area::CaptureArea*>(m_block->data());
    if (!area::headerValid(*a, m_block->size())) {
        initialise(*a);
        m_areaMade = Clock::now();
    }
    // A capturing program that died mid-probe left recording on.
    area::store(a->recording, 0u);
}

Engine::~Engine() = default;

area::CaptureArea* Engine::area()
{
    if (!m_block)
        return nullptr;
    auto* a = reinterpret_cast<area::CaptureArea*>(m_block->data());
    if (!area::headerValid(*a, m_block->size())) {
        initialise(*a);
        m_areaMade = Clock::now();
    }
    return a;
}

X11Screen& Engine::screen()
{
    if (!m_screen || !m_screen->connected())
        m_screen = std::make_unique<X11Screen>();
    return *m_screen;
}

bool Engine::pass(area::CaptureArea& a, const TargetWindow& target, std::int32_t x, std::int32_t y, Probe* out)
{
    const std::uint32_t generation = area::fetchAdd(a.generation, 1u) + 1;
    area::store(a.recordCount, 0u);
    area::store(a.hitIndex, std::int32_t{-1});
    area::store(a.hitState, area::kHitNone);
    area::store(a.hitCharSet, 0u);
    area::store(a.lineSeen[0], 0u);
    area::store(a.lineSeen[1], 0u);
    area::store(a.activity, 0u);
    area::store(a.probeX, x);
    area::store(a.probeY, y);
    const std::size_t count = std::min<std::size_t>(target.chain.size(), area::kMaxTargets);
    for (std::size_t i = 0; i < count; ++i) {
        area::store(a.targets[i].window, target.chain[i].window);
        area::store(a.targets[i].originX, target.chain[i].originX);
        area::store(a.targets[i].originY, target.chain[i].originY);
    }
    area::store(a.targetCount, static_cast<std::uint32_t>(count));
    area::store(a.recording, 1u);
    screen().clearRow(target, y);
    waitForRepaint(a);
    area::store(a.recording, 0u);
    waitForWriters(a);
    *out = readProbe(a, sizeof a, generation, x, y);
    return out->found();
}

Probe Engine::probe(const TargetWindow& target, std::int32_t x, std::int32_t y)
{
    Probe result;
    area::CaptureArea* a = area();
    if (!a || !screen().connected())
        return result;
    if (m_areaMade) {
        std::this_thread::sleep_until(*m_areaMade + std::chrono::milliseconds(area::kAreaRetryMilliseconds) + kQuietSpell);
        m_areaMade.reset();
    }
    area::store(a->lastCapturedWindow, target.window);
    area::store(a->copyOffsetX, std::int32_t{0});
    area::store(a->copyOffsetY, std::int32_t{0});
    if (!pass(*a, target, x, y, &result))
        pass(*a, target, x, y, &result);
    return result;
}

} // namespace yv::capture
