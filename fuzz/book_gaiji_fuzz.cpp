// Fuzzes the external-character font reader: header, glyph numbers and bitmaps of any bytes.
#include <book/gaiji.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const yv::book::Bytes file(data, size);
    const auto font = yv::book::parseFontHeader(file);
    if (!font)
        return 0;
    for (const std::uint16_t code : {std::uint16_t{0xA121}, font->firstCode, std::uint16_t(font->firstCode + 1),
                                     std::uint16_t(font->firstCode + 0x100), std::uint16_t{0xFE7E}}) {
        const std::uint32_t ordinal = yv::book::glyphOrdinal(*font, code);
        if (ordinal == 0)
            continue;
        if (ordinal > font->glyphCount)
            std::abort();
        const std::uint64_t at = yv::book::kGlyphDataOffset + std::uint64_t{ordinal - 1} * font->glyphSize();
        if (at + font->glyphSize() > size)
            continue;
        for (const bool half : {false, true}) {
            const auto glyph = yv::book::makeGlyph(*font, file.subspan(at, font->glyphSize()), half);
            if (glyph.bits.size() != static_cast<std::size_t>(glyph.stride) * glyph.height || glyph.stride % 2 != 0)
                std::abort();
            (void)glyph.ink(glyph.width - 1, glyph.height - 1);
        }
    }
    return 0;
}
