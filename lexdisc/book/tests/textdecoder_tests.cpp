// Entry and heading decoding on hand-made text: control codes, items, block chaining, headings.
#include <book/textdecoder.h>

#include "testbook.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using namespace testing;

std::string utf8(const std::vector<DisplayCell>& cells)
{
    return codec::cp932ToUtf8(cellsToSjis(cells, "@"));
}

// Loads 0xA122 in the full-width font and 0xA123 in both; nothing else.
GaijiAvailability fakeFonts(std::uint16_t code)
{
    return {code == 0xA122 || code == 0xA123, code == 0xA123};
}

struct Text {
    TextFileBuilder file;

    DisplayModel entry(TextPosition at)
    {
        MemoryBlockSource source(file.bytes());
        DisplayModel model;
        EXPECT_EQ(decodeEntry(source, at, fakeFonts, model), DecodeStatus::Ok);
        return model;
    }
    HeadingResult heading(const HitRecord& hit)
    {
        MemoryBlockSource source(file.bytes());
        return decodeHeading(source, hit, fakeFonts);
    }
};

TEST(BookTextTest, ControlCodesBecomeCellsRangesAndItems)
{
    ByteVector t;
    for (const std::uint16_t c : {0x1F02, 0x1F09, 0x0001, 0x1F41, 0x0100})
        put16(t, c);
    putText(t, "見出し");
    for (const std::uint16_t c : {0x1F61, 0x1F0A, 0x1F09, 0x0002})
        put16(t, c);
    putText(t, "本文");
    put16(t, 0x1F12);
    putText(t, "強");
    put16(t, 0x1F13);
    put16(t, 0x1F42);
    putText(t, "参照");
    put16(t, 0x1F62);
    putBcdPosition(t, {3, 10});
    // Colour graphic: kind, id, two unused fields, data position.
    for (const std::uint16_t c : {0x1F4D, 0x0009, 0x0001, 0, 0, 0, 0})
        put16(t, c);
    putBcdPosition(t, {8, 0});
    putText(t, "絵");
    put16(t, 0x1F6D);
    // Wave sound: selector 1, mode 12, start and end positions.
    for (const std::uint16_t c : {0x1F4A, 0x0001, 0x0012})
        put16(t, c);
    putBcdPosition(t, {9, 0});
    putBcdPosition(t, {9, 231});
    put16(t, 0x1F6A);
    // Monochrome graphic 5, 16 high and 32 wide, at 12:34.
    for (const std::uint16_t c : {0x1F44, 0x0005, 0x0000, 0x0016, 0x0000, 0x0032})
        put16(t, c);
    put16(t, 0x1F64);
    putBcdPosition(t, {12, 34});
    // Parameters and skipped constructs leave nothing behind.
    for (const std::uint16_t c : {0x1F1A, 0x4142, 0x1F35, 0x3021, 0x1F55, 0x1FE2, 0x3022, 0x1FE3, 0x1F14, 0x1E01, 0x1F15})
        put16(t, c);
    // External characters: unloadable, full width, inside a half-width range.
    for (const std::uint16_t c : {0xA121, 0xA122, 0x1F04, 0xA123, 0x2341, 0x1F05, 0x7F41, 0x1F0A})
        put16(t, c);
    // A second keyword start with parameter 1 ends the entry.
    for (const std::uint16_t c : {0x1F41, 0x0100, 0x2422})
        put16(t, c);
    Text text;
    text.file.setBlock(2, t);
    const DisplayModel m = text.entry({2, 0});

    EXPECT_EQ(utf8(m.cells), "見出し\r\n本文強参照［図］絵［音］［図］  @@AA\r\n");
    EXPECT_EQ(m.firstIndent, 1);
    EXPECT_EQ(m.cells[3].indent, 2);
    ASSERT_EQ(m.keywords.size(), 1u);
    EXPECT_EQ(m.keywords[0], (CellRange{0, 2}));
    EXPECT_EQ(m.emphasis[0], (CellRange{6, 6}));
    ASSERT_EQ(m.references.size(), 1u);
    EXPECT_EQ(m.references[0].cells, (CellRange{7, 8}));
    EXPECT_EQ(m.references[0].target, (TextPosition{3, 10}));
    ASSERT_EQ(m.colourGraphics.size(), 1u);
    EXPECT_EQ(m.colourGraphics[0].cells, (CellRange{9, 11}));
    EXPECT_EQ(m.colourGraphics[0].graphicId, 1u);
    EXPECT_EQ(m.colourGraphics[0].position, (TextPosition{8, 0}));
    ASSERT_EQ(m.waves.size(), 1u);
    EXPECT_EQ(m.waves[0].mode, 12u);
    EXPECT_EQ(m.waves[0].end, (TextPosition{9, 231}));
    ASSERT_EQ(m.monochromeGraphics.size(), 1u);
    EXPECT_EQ(m.monochromeGraphics[0].graphicId, 5u);
    EXPECT_EQ(m.monochromeGraphics[0].height, 16u);
    EXPECT_EQ(m.monochromeGraphics[0].width, 32u);
    EXPECT_EQ(m.monochromeGraphics[0].position, (TextPosition{12, 34}));
    // The unloadable code shows as two spaces; the others as external characters.
    const std::size_t full = m.cells.size() - 5;
    EXPECT_EQ(m.cells[full].gaijiCode, 0xA122);
    EXPECT_FALSE(m.cells[full].flags & CellFlag::NarrowGlyph);
    EXPECT_TRUE(m.cells[full + 1].flags & CellFlag::NarrowGlyph);
    ASSERT_EQ(m.halfWidth.size(), 1u);
    EXPECT_EQ(m.halfWidth[0], (CellRange{full + 1, full + 2}));
}

TEST(BookTextTest, EntryHalfWidthRangesHoldTheHalfWidthForms)
{
    ByteVector t;
    putText(t, "前");
    put16(t, 0x1F04);
    putText(t, "（ｎ）　ガ猫");
    put16(t, 0x1F05);
    putText(t, "ｎ");
    Text text;
    text.file.setBlock(2, t);
    const DisplayModel m = text.entry({2, 0});
    // Letters, marks and katakana take their half-width forms (a voiced letter two of them);
    // a kanji has none and stays double-byte, drawn narrow. Outside the range nothing changes.
    EXPECT_EQ(utf8(m.cells), "前(n) ｶﾞ猫ｎ");
    ASSERT_EQ(m.halfWidth.size(), 1u);
    EXPECT_EQ(m.halfWidth[0], (CellRange{1, 7}));
    EXPECT_EQ(m.cells[7].length, 2);
}

TEST(BookTextTest, EntriesChainAcrossBlocksAndStopAtTheEndOfTheFile)
{
    Text text;
    ByteVector first(2040, 0);
    putText(first, "あいうえおかきく");
    text.file.setBlock(2, first);
    ByteVector second(first.begin() + 2048, first.end());
    put16(second, 0x1F03);
    putText(second, "けこ");
    text.file.setBlock(3, second);
    EXPECT_EQ(utf8(text.entry({2, 2040}).cells), "あいうえおかきく");
    // An offset past the block end counts on into the following blocks.
    EXPECT_EQ(utf8(text.entry({1, 2048 + 2040}).cells), "あいうえおかきく");

    // Text cut off by the end of the file ends there; a position beyond it is a read error.
    Text cut;
    ByteVector last;
    putText(last, "さしす");
    cut.file.setBlock(1, last);
    ByteVector bytes = cut.file.bytes();
    bytes.resize(6);
    MemoryBlockSource source(bytes);
    DisplayModel model;
    EXPECT_EQ(decodeEntry(source, {1, 0}, fakeFonts, model), DecodeStatus::Ok);
    EXPECT_EQ(utf8(model.cells), "さしす");
    EXPECT_EQ(decodeEntry(source, {5, 0}, fakeFonts, model), DecodeStatus::ReadError);
}

TEST(BookTextTest, HeadingFromItsPositionMakesHalfWidthRangesNarrow)
{
    Text text;
    ByteVector h(2040, 0);
    for (const std::uint16_t c : {0x1F04, 0x2361, 0x2370, 0x252C, 0x252B, 0x2550, 0x1F05})  // ａｐガカバ
        put16(h, c);
    putText(h, "【林檎】");
    put16(h, 0x1F0A);
    putText(h, "次");
    text.file.setBlock(4, h);
    text.file.setBlock(5, ByteVector(h.begin() + 2048, h.end()));
    HitRecord hit;
    hit.hasHeading = true;
    hit.heading = {4, 2040};
    const HeadingResult r = text.heading(hit);
    EXPECT_EQ(r.error, kHeadingOk);
    // Headings that run over a block end are read to their end.
    EXPECT_EQ(codec::cp932ToUtf8(cellsToSjis(r.cells)), "apｶﾞｶﾊﾞ【林檎】");
}

TEST(BookTextTest, HeadingFromTheKeywordAtTheTextPosition)
{
    Text text;
    ByteVector b;
    putText(b, "前");
    for (const std::uint16_t c : {0x1F41, 0x0100})
        put16(b, c);
    putText(b, "かな");
    for (const std::uint16_t c : {0x1F61, 0x1F0A, 0x1F41, 0x0100, 0x1F61})
        put16(b, c);
    putText(b, "続き");
    for (const std::uint16_t c : {0x1F0A, 0x1F03})
        put16(b, c);
    text.file.setBlock(1, b);
    text.file.setBlock(2, {});
    HitRecord hit;
    hit.text = {1, 0};
    EXPECT_EQ(codec::cp932ToUtf8(cellsToSjis(text.heading(hit).cells)), "かな");
    // An empty keyword: the text after it up to the next structure code.
    hit.text = {1, 14};
    EXPECT_EQ(codec::cp932ToUtf8(cellsToSjis(text.heading(hit).cells)), "続き");
    // No keyword start in the rest of the block: an empty heading.
    hit.text = {2, 0};
    const HeadingResult empty = text.heading(hit);
    EXPECT_EQ(empty.error, kHeadingEmpty);
    EXPECT_EQ(empty.diagnostic, "lstrlen 2\n");
    hit.text = {9, 0};
    EXPECT_EQ(text.heading(hit).error, kHeadingFileError);
}

TEST(BookTextTest, HeadingsStopAtFiveHundredTwelveBytes)
{
    Text text;
    ByteVector b;
    for (int i = 0; i < 400; ++i)
        putText(b, "長");
    text.file.setBlock(1, b);
    HitRecord hit;
    hit.hasHeading = true;
    hit.heading = {1, 0};
    EXPECT_EQ(cellsToSjis(text.heading(hit).cells).size(), kMaxHeadingBytes);
}

} // namespace
} // namespace yv::book
