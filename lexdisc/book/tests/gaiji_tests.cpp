// External-character fonts: glyph numbering and bitmaps.
#include <book/gaiji.h>

#include "testbook.h"

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using namespace testing;

TEST(BookGaijiTest, OrdinalCountsRowsOfNinetyFourFromTheFirstCode)
{
    const GaijiFontHeader font{16, 16, 0xA121, 100};
    EXPECT_EQ(glyphOrdinal(font, 0xA121), 1u);
    EXPECT_EQ(glyphOrdinal(font, 0xA17E), 94u);
    EXPECT_EQ(glyphOrdinal(font, 0xA221), 95u);
    EXPECT_EQ(glyphOrdinal(font, 0xA226), 100u);
    // Outside the font: above its count, below its first code (ordinal 0 would be the header).
    EXPECT_EQ(glyphOrdinal(font, 0xA227), 0u);
    EXPECT_EQ(glyphOrdinal(font, 0xA120), 0u);
    EXPECT_EQ(glyphOrdinal(font, 0xA021), 0u);
}

TEST(BookGaijiTest, HeaderFieldsAndUnusableSizes)
{
    ByteVector header(14, 0);
    header[8] = 8;
    header[9] = 16;
    header[10] = 0xA1;
    header[11] = 0x21;
    header[13] = 3;
    const auto font = parseFontHeader(header);
    ASSERT_TRUE(font);
    EXPECT_EQ(font->glyphSize(), 16u);
    EXPECT_EQ(font->glyphCount, 3);
    header[8] = 0;
    EXPECT_FALSE(parseFontHeader(header));
    header[8] = 12;
    EXPECT_FALSE(parseFontHeader(header));
    EXPECT_FALSE(parseFontHeader(ByteVector(13, 0)));
}

TEST(BookGaijiTest, GlyphBitsAreInvertedAndRowsPaddedToSixteenBits)
{
    const GaijiFontHeader half{8, 16, 0xA121, 1};
    ByteVector data(16, 0);
    data[0] = 0x81;  // ink at both edges of the first row
    const GaijiGlyph g = makeGlyph(half, data, true);
    EXPECT_EQ(g.width, 8);
    EXPECT_EQ(g.height, 16);
    EXPECT_EQ(g.stride, 2);
    EXPECT_EQ(g.bits[0], 0x7E);
    EXPECT_EQ(g.bits[1], 0xFF);
    EXPECT_TRUE(g.ink(0, 0));
    EXPECT_TRUE(g.ink(7, 0));
    EXPECT_FALSE(g.ink(1, 0));
    EXPECT_FALSE(g.ink(0, 1));

    const GaijiFontHeader full{16, 16, 0xA121, 1};
    ByteVector square(32, 0xFF);
    const GaijiGlyph f = makeGlyph(full, square, false);
    EXPECT_EQ(f.width, 16);
    EXPECT_TRUE(f.ink(15, 15));
    EXPECT_FALSE(f.ink(16, 0));
}

} // namespace
} // namespace yv::book
