// External characters: the 16-dot font files of a subbook and glyph bitmaps made from them.
#pragma once

#include <book/bookformat.h>

#include <cstdint>
#include <optional>
#include <vector>

namespace yv::book {

// The header fields a glyph load needs lie in its first 14 bytes; glyphs start at 2,048.
inline constexpr std::size_t kFontHeaderSize = 14;
inline constexpr std::size_t kGlyphDataOffset = 2048;
// The only glyph height the viewer asks for.
inline constexpr int kGlyphHeight = 16;
// Wider or taller glyphs are not a 16-dot font's.
inline constexpr int kMaxGlyphDots = 64;

struct GaijiFontHeader {
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::uint16_t firstCode = 0;
    std::uint16_t glyphCount = 0;

    std::size_t glyphSize() const { return std::size_t{width} * height / 8; }
};

// Nothing when the header is short or its glyph size is unusable.
std::optional<GaijiFontHeader> parseFontHeader(Bytes header);

// Glyph number of a code counted from 1; 0 when the code lies outside the font.
std::uint32_t glyphOrdinal(const GaijiFontHeader& font, std::uint16_t code);

// A monochrome bitmap: rows of `stride` bytes (at least 16 bits), bits inverted so that
// ink is 0, as a device-independent monochrome bitmap draws it.
struct GaijiGlyph {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<std::uint8_t> bits;

    // Whether the pixel is ink.
    bool ink(int x, int y) const;
};

// Makes the bitmap of one glyph from its font data (glyphSize() bytes): full width is
// height x height, half width height / 2 wide.
GaijiGlyph makeGlyph(const GaijiFontHeader& font, Bytes data, bool halfWidth);

} // namespace yv::book
