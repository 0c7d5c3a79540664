// Probes built by hand: rows of characters as a program would have drawn them.
#pragma once

#include <captureengine/records.h>

#include <string_view>

namespace yv::capture::testdata {

inline constexpr std::int32_t kRowHeight = 10;
inline constexpr std::int32_t kCharWidth = 8;

// One drawing call of `text` from x = `left` on the row starting at `top`, each character
// `width` pixels wide; indexes run from 1.
inline void drawCall(Probe& probe, std::u16string_view text, std::int32_t left, std::int32_t top,
                     std::int32_t width = kCharWidth, bool wide = true)
{
    std::int32_t x = left;
    int index = 1;
    for (const char16_t c : text) {
        Record r;
        r.character = c;
        r.cell = {x, top, x + width, top + kRowHeight};
        r.index = index++;
        r.lineHeight = kRowHeight;
        r.wide = wide;
        r.charSet = wide ? 128 : 0;
        probe.records.push_back(r);
        x += width;
    }
    probe.textSeen = true;
}

// The hit found from the cells, as the reader does.
inline void findHit(Probe& probe, std::int32_t x, std::int32_t y)
{
    probe.hit = -1;
    for (std::size_t i = 0; i < probe.records.size(); ++i) {
        if (probe.records[i].cell.contains(x, y)) {
            probe.hit = static_cast<int>(i);
            return;
        }
    }
}

} // namespace yv::capture::testdata
