// The hook's side of the capture area: it finds the block the capturing side made under the
// suite's shared-memory names, records only while a probe runs, places what it draws on the
// screen, and stays idle on a damaged or missing block.
#include <hook.h>

#include <captureengine/records.h>
#include <platform/sharedmemory.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

extern "C" int SnrHookEnable(int on);

namespace {

using namespace yv::capture;

constexpr unsigned long kWindow = 0x400007;
constexpr unsigned long kPixmap = 0x400020;

hook::DrawnChar drawn(std::uint32_t c, std::int32_t left, std::int32_t top, int index)
{
    return {c, left, top, left + 8, top + 10, index, 10, area::RecordKind::Ansi, 0};
}

// The hook looks for a missing block again after a pause; wait until it has found this one.
bool hookSeesProbe()
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        if (hook::Recording(kWindow).active())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// One process, one hook: its cached block makes the steps depend on each other.
TEST(CaptureHookArea, RecordsIntoTheSuitesBlockOnlyWhileAProbeRuns)
{
    yv::testing::TestHome home;
    // No block yet: the hook draws on and records nothing.
    EXPECT_FALSE(hook::Recording(kWindow).active());

    auto block = yv::shm::SharedBlock::create(area::kBlockName, sizeof(area::CaptureArea));
    ASSERT_TRUE(block);
    auto& a = *reinterpret_cast<area::CaptureArea*>(block->data());
    std::memset(&a, 0, sizeof a);
    a.magic = area::kMagic;
    a.layoutVersion = area::kLayoutVersion;
    a.areaSize = sizeof a;
    a.hitIndex = -1;
    a.generation = 3;
    a.probeX = 112;
    a.probeY = 205;
    a.targetCount = 1;
    a.targets[0] = {static_cast<std::uint32_t>(kWindow), 100, 200};
    a.recording = 1;
    ASSERT_TRUE(hookSeesProbe());
    a.activity = 0;

    {
        hook::Recording rec(kWindow);
        ASSERT_TRUE(rec.onTarget());
        EXPECT_EQ(a.writers, 1u);
        EXPECT_EQ(rec.add(drawn('a', 4, 0, 1)), 0);
        const int b = rec.add(drawn('b', 12, 0, 2));
        EXPECT_EQ(rec.add(drawn('c', 12, 20, 1)), -1);  // another row: not recorded
        // A terminal's cell runs on to where its next call draws; never narrower.
        rec.widen(b, 24);
        rec.widen(b, 16);
    }
    EXPECT_EQ(a.writers, 0u);
    EXPECT_EQ(a.activity, 1u);
    EXPECT_EQ(a.lineSeen[0], 1u);
    EXPECT_EQ(a.hitIndex, 1);
    EXPECT_EQ(a.hitState, area::kHitAnsi);
    EXPECT_EQ(a.rowStep, 10);

    // Text drawn into a pixmap waits for the copy onto the window, which places it.
    {
        hook::Recording off(kPixmap);
        ASSERT_TRUE(off.active());
        EXPECT_FALSE(off.onTarget());
        off.add(drawn('d', 0, 0, 1));
    }
    {
        hook::Recording copy(kWindow);
        copy.copied(kPixmap, 0, 0, 50, 50, 20, 5);
    }
    EXPECT_EQ(a.copyOffsetX, 20);
    EXPECT_EQ(a.copyOffsetY, 5);

    const Probe p = readProbe(a, sizeof a, 3, 112, 205);
    ASSERT_EQ(p.records.size(), 3u);
    EXPECT_EQ(p.records[0].cell, (Cell{104, 200, 112, 210}));
    EXPECT_EQ(p.records[1].character, u'b');
    EXPECT_EQ(p.records[1].cell, (Cell{112, 200, 124, 210}));
    EXPECT_EQ(p.records[2].cell, (Cell{120, 205, 128, 215}));
    EXPECT_EQ(p.hit, 1);

    // Recording off, a damaged header, a switched-off process: nothing is recorded.
    a.recording = 0;
    EXPECT_FALSE(hook::Recording(kWindow).active());
    a.recording = 1;
    a.areaSize = 1;
    EXPECT_FALSE(hook::Recording(kWindow).active());
    a.areaSize = sizeof a;
    EXPECT_EQ(SnrHookEnable(0), 1);
    EXPECT_FALSE(hook::Recording(kWindow).active());
    EXPECT_EQ(SnrHookEnable(1), 0);
    EXPECT_TRUE(hook::Recording(kWindow).active());

    // A full record array: later characters are counted but never written past its end.
    a.recordCount = area::kMaxRecords;
    {
        hook::Recording rec(kWindow);
        rec.add(drawn('z', 4, 0, 1));
    }
    EXPECT_EQ(a.recordCount, static_cast<std::uint32_t>(area::kMaxRecords) + 1);
}

} // namespace
