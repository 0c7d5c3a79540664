// Building the line under the point from a probe's records, and the rectangles of its parts.
#pragma once

#include "records.h"

#include <string>
#include <vector>

namespace yv::capture {

// The longest assembled line, separators included.
inline constexpr std::size_t kMaxLineChars = 255;

struct AssembledLine {
    // UTF-16 units, or bytes (one per unit) when `wide` is false.
    std::u16string text;
    // For each position: the record it came from, or -1 for an inserted separator.
    std::vector<int> recordOf;
    int hitPosition = -1;
    Cell rect;
    bool wide = false;
    std::uint8_t charSet = 0;

    bool isSeparator(std::size_t position) const { return recordOf[position] < 0; }
    // Whether the line holds nothing but spaces, carriage returns and line feeds.
    bool blank() const;
};

// The line around the hit: records join while they run on to the right, either within one
// drawing call or across a gap of at most `wordSpace` pixels; a gap of more than 2 pixels
// inside the line gets `separator`. Records of the other width never join.
AssembledLine assembleAroundHit(const Probe& probe, std::int32_t wordSpace, char16_t separator);

// A line without a hit: the records of the first record's width that overlap [left, right),
// in drawing order, with separators where they stand apart.
AssembledLine assembleInExtent(const Probe& probe, std::int32_t left, std::int32_t right, char16_t separator);

// The rectangle of positions first..last of the line (separators skipped); false when the
// span holds no record or reaches past the 256 positions a line can have.
bool spanRect(const AssembledLine& line, const Probe& probe, int first, int last, Cell* rect);

} // namespace yv::capture
