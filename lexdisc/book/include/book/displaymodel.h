// A decoded entry as the display lays it out: cells, ranges and clickable items.
#pragma once

#include <book/bookformat.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace yv::book {

namespace CellFlag {
inline constexpr std::uint8_t ExternalCharacter = 0x01;
inline constexpr std::uint8_t Highlighted = 0x02;  // an occurrence of the key
inline constexpr std::uint8_t NarrowGlyph = 0x04;  // external character drawn from the half-width font
inline constexpr std::uint8_t LineBreak = 0x08;    // the CR LF cell that ends a line
} // namespace CellFlag

struct DisplayCell {
    std::array<char, 2> bytes{};  // Shift_JIS: two bytes, or one byte and 0
    std::uint8_t length = 0;
    std::uint8_t flags = 0;
    std::uint16_t gaijiCode = 0;  // for external characters
    std::uint16_t indent = 0;     // for line breaks: indent of the next line
    std::int16_t x = 0;           // filled by the layout
    std::int16_t y = 0;
    std::uint32_t color = 0;
    std::uint32_t background = 0;

    std::string_view text() const { return {bytes.data(), length}; }
    bool isExternal() const { return flags & CellFlag::ExternalCharacter; }
    bool isLineBreak() const { return flags & CellFlag::LineBreak; }
};

// First and last cell index, both included.
struct CellRange {
    std::size_t first = 0;
    std::size_t last = 0;
    friend bool operator==(const CellRange&, const CellRange&) = default;
};

struct ReferenceItem {
    CellRange cells;  // the anchor text
    TextPosition target;
};

struct CdAudioItem {
    CellRange cells;  // "［音］"
    std::uint32_t track = 0;
    std::uint32_t start = 0;
    std::uint32_t length = 0;
};

struct WaveItem {
    CellRange cells;  // "［音］"
    std::uint32_t mode = 0;
    TextPosition start;
    TextPosition end;
};

struct MonochromeGraphicItem {
    CellRange cells;  // "［図］"
    std::uint32_t graphicId = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    TextPosition position;
};

struct ColourGraphicItem {
    CellRange cells;  // "［図］"
    std::uint8_t kind = 0;  // low four bits of the first parameter byte (0 bitmap, 2 JPEG)
    std::uint32_t graphicId = 0;
    TextPosition position;
};

struct DisplayModel {
    std::vector<DisplayCell> cells;
    std::uint16_t firstIndent = 0;  // indent of the first line

    std::vector<CellRange> halfWidth;
    std::vector<CellRange> subscript;
    std::vector<CellRange> superscript;
    std::vector<CellRange> emphasis;
    std::vector<CellRange> noBreak;
    std::vector<CellRange> noWrap;
    std::vector<CellRange> keywords;

    std::vector<ReferenceItem> references;
    std::vector<CdAudioItem> cdAudio;
    std::vector<WaveItem> waves;
    std::vector<MonochromeGraphicItem> monochromeGraphics;
    std::vector<ColourGraphicItem> colourGraphics;

    void clear() { *this = DisplayModel(); }
};

} // namespace yv::book
