// External-character fonts: header, glyph numbering and bitmaps.
#include <book/gaiji.h>

#include <algorithm>

namespace yv::book {

std::optional<GaijiFontHeader> parseFontHeader(Bytes header)
{
    if (header.size() < kFontHeaderSize)
        return std::nullopt;
    GaijiFontHeader font;
    font.width = header[8];
    font.height = header[9];
    font.firstCode = readBe16(header, 10);
    font.glyphCount = readBe16(header, 12);
    if (font.width == 0 || font.height == 0 || font.width % 8 != 0 || font.width > kMaxGlyphDots
        || font.height > kMaxGlyphDots)
        return std::nullopt;
    return font;
}

std::uint32_t glyphOrdinal(const GaijiFontHeader& font, std::uint16_t code)
{
    const int ordinal = ((code >> 8) - (font.firstCode >> 8)) * 94 + ((code & 0xFF) - (font.firstCode & 0xFF)) + 1;
    // Numbering starts at 1: ordinal 0 would read the header as a glyph.
    if (ordinal < 1 || ordinal > font.glyphCount)
        return 0;
    return static_cast<std::uint32_t>(ordinal);
}

bool GaijiGlyph::ink(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    return !(bits[static_cast<std::size_t>(y * stride + x / 8)] & (0x80 >> (x % 8)));
}

GaijiGlyph makeGlyph(const GaijiFontHeader& font, Bytes data, bool halfWidth)
{
    GaijiGlyph glyph;
    glyph.height = font.height;
    glyph.width = halfWidth ? font.height / 2 : font.height;
    const int rowBytes = font.width / 8;
    glyph.stride = std::max(2, (std::max(rowBytes, (glyph.width + 7) / 8) + 1) / 2 * 2);
    glyph.bits.assign(static_cast<std::size_t>(glyph.stride) * glyph.height, 0xFF);
    for (int y = 0; y < glyph.height; ++y) {
        for (int b = 0; b < rowBytes; ++b) {
            const std::size_t from = static_cast<std::size_t>(y * rowBytes + b);
            if (from < data.size())
                glyph.bits[static_cast<std::size_t>(y * glyph.stride + b)] = static_cast<std::uint8_t>(~data[from]);
        }
    }
    return glyph;
}

} // namespace yv::book
