// The walks from the line under the point to the lines above and below it: the block of lines
// around the point, and the sentence that runs through it.
#pragma once

#include "lineassembly.h"

#include <functional>
#include <optional>
#include <vector>

namespace yv::capture {

// Lines walked on each side of the point's line.
inline constexpr int kMaxLinesEachSide = 12;

// Probes one row of the captured window again.
class RowProber {
public:
    virtual ~RowProber() = default;
    // The records of the row through screen y; nothing when y lies outside the window.
    virtual std::optional<Probe> probeRow(std::int32_t y) = 0;
};

struct WalkSettings {
    std::int32_t wordSpace = 0;
    std::int32_t lineExtra = 0;
    char16_t separator = u' ';
};

struct WalkedLine {
    Probe probe;
    AssembledLine line;
};

// Steps from the point's line to the next line above or below, by the height of the last hit
// font plus the line extra, as long as the rows keep text.
class LineWalker final {
public:
    // `first` must hold a hit; `firstY` is the point's row.
    LineWalker(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings);

    const WalkedLine& hitLine() const { return m_hitLine; }
    std::optional<WalkedLine> above();
    std::optional<WalkedLine> below();

private:
    struct Direction {
        std::int32_t y;
        std::int32_t step;
        int taken = 0;
        bool ended = false;
    };
    std::optional<WalkedLine> next(Direction& d, int sign);

    RowProber& m_prober;
    WalkSettings m_settings;
    WalkedLine m_hitLine;
    std::int32_t m_left, m_right;  // horizontal extent of the lines so far
    Direction m_up, m_down;
};

struct BlockLine {
    std::u16string text;  // bytes (one per unit) when not wide
    Cell rect;
    bool wide = false;
    std::uint8_t charSet = 0;
};

struct LineBlock {
    std::vector<BlockLine> lines;  // top to bottom
    int above = 0;
    int hitPosition = -1;  // in the point's line
};

// The point's line with up to 12 lines above and below it.
LineBlock walkLines(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings);

// The sentence-break procedure over an assembled line: *position in, the found position out;
// direction 1 finds the sentence start scanning backward, 2 its last character scanning forward;
// -1 starts from the line's end (backward) or start (forward).
using SentenceBreak = std::function<bool(const AssembledLine& line, int* position, int direction)>;

// The sentence through the point: the point's line cut at the sentence's start and end, and
// while either lies beyond it, the lines above or below, cut at the first start or end found.
LineBlock walkSentence(RowProber& prober, const Probe& first, std::int32_t firstY, const WalkSettings& settings,
                       const SentenceBreak& sentenceBreak);

// The point's line alone (menus, lists, single-line windows).
LineBlock singleLine(const Probe& first, const WalkSettings& settings);

} // namespace yv::capture
