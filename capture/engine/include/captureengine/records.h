// What one probe left in the capture area, read as a reader must: counts clamped, records of
// other probes and impossible cells dropped, a cell drawn twice kept once (the later drawing
// wins), and the hit found again from the cells themselves.
#pragma once

#include "capturearea.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace yv::capture {

struct Cell {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    bool contains(std::int32_t x, std::int32_t y) const { return left <= x && x < right && top <= y && y < bottom; }
    bool operator==(const Cell&) const = default;
};

Cell unite(const Cell& a, const Cell& b);

struct Record {
    char16_t character = 0;  // a byte for ANSI records, a UTF-16 unit otherwise
    Cell cell;
    std::int32_t index = 0;
    std::int32_t lineHeight = 0;
    bool wide = false;
    std::uint8_t charSet = 0;
};

struct Probe {
    std::vector<Record> records;
    int hit = -1;  // index into records
    bool textSeen = false;

    bool found() const { return hit >= 0; }
    std::int32_t hitState() const;
};

// Reads the records of probe `generation` at (x, y) from an area of `size` mapped bytes. JIS
// codes of two-byte fonts become UTF-16 with the Shift_JIS character set; symbol fonts read as
// spaces.
Probe readProbe(const area::CaptureArea& area, std::size_t size, std::uint32_t generation, std::int32_t x,
                std::int32_t y);

} // namespace yv::capture
