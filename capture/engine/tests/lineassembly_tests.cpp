// Reading a probe out of the shared area, assembling the line under the point and the
// rectangles of its words.
#include "capturetestdata.h"

#include <captureengine/lineassembly.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

namespace {

using namespace yv::capture;
using namespace yv::capture::testdata;

std::u16string textOf(const AssembledLine& line)
{
    return line.text;
}

Probe probeAt(std::int32_t x, std::int32_t y, const std::function<void(Probe&)>& draw)
{
    Probe p;
    draw(p);
    findHit(p, x, y);
    return p;
}

TEST(CaptureLineAssembly, OneCallIsOneLineWithTheHitPosition)
{
    const Probe p = probeAt(8 * 4 + 3, 5, [](Probe& p) { drawCall(p, u"Hello", 0, 0); });
    const AssembledLine line = assembleAroundHit(p, 0, u' ');
    EXPECT_EQ(textOf(line), u"Hello");
    EXPECT_EQ(line.hitPosition, 4);
    EXPECT_EQ(line.rect, (Cell{0, 0, 40, 10}));
    EXPECT_TRUE(line.wide);
}

TEST(CaptureLineAssembly, CallsJoinAcrossTheWordSpaceAndGetSeparatorsBeyondTwoPixels)
{
    // "ab" and "cd" drawn by two calls 5 pixels apart; "ef" a call 2 pixels after "cd".
    const auto draw = [](Probe& p) {
        drawCall(p, u"ab", 0, 0);
        drawCall(p, u"cd", 21, 0);
        drawCall(p, u"ef", 39, 0);
    };
    const Probe p = probeAt(42, 5, draw);  // in "e"

    // Word space 0: the second call is a new line; the third touches it within 2 pixels but is
    // also a new call beyond the word space.
    AssembledLine line = assembleAroundHit(p, 0, u' ');
    EXPECT_EQ(textOf(line), u"ef");
    EXPECT_EQ(line.hitPosition, 0);

    // Word space 5: all three join; a separator only where the gap exceeds 2 pixels.
    line = assembleAroundHit(p, 5, u' ');
    EXPECT_EQ(textOf(line), u"ab cdef");
    EXPECT_EQ(line.hitPosition, 5);
    EXPECT_TRUE(line.isSeparator(2));
    EXPECT_FALSE(line.isSeparator(4));
    EXPECT_EQ(line.rect, (Cell{0, 0, 55, 10}));

    // Single-line mode writes carriage returns instead.
    EXPECT_EQ(textOf(assembleAroundHit(p, 5, u'\r')), u"ab\rcdef");
}

TEST(CaptureLineAssembly, JustifiedCallStaysOneLineAndARunBackwardsEndsIt)
{
    Probe p;
    // One call with wide gaps (index keeps rising): one line, separators at the gaps.
    drawCall(p, u"a", 0, 0);
    Record spread = p.records.back();
    spread.character = u'b';
    spread.cell = {40, 0, 48, 10};
    spread.index = 2;
    p.records.push_back(spread);
    // The next call starts left of the last character: another line (another column).
    drawCall(p, u"zz", 10, 0);
    findHit(p, 44, 5);
    const AssembledLine line = assembleAroundHit(p, 0, u' ');
    EXPECT_EQ(textOf(line), u"a b");
    EXPECT_EQ(line.hitPosition, 2);
}

TEST(CaptureLineAssembly, NarrowAndWideRecordsNeverJoin)
{
    Probe p;
    drawCall(p, u"ab", 0, 0, kCharWidth, false);
    drawCall(p, u"cd", 16, 0, kCharWidth, true);
    findHit(p, 20, 5);
    const AssembledLine line = assembleAroundHit(p, 100, u' ');
    EXPECT_EQ(textOf(line), u"cd");
    EXPECT_TRUE(line.wide);
}

TEST(CaptureLineAssembly, NoHitGivesNoLineAndAPointBetweenCellsHitsNothing)
{
    Probe p;
    drawCall(p, u"ab", 0, 0);
    drawCall(p, u"cd", 30, 0);
    findHit(p, 20, 5);  // in the gap
    EXPECT_FALSE(p.found());
    EXPECT_TRUE(assembleAroundHit(p, 100, u' ').text.empty());
}

TEST(CaptureLineAssembly, OverlongLineKeepsThePartWithTheHit)
{
    Probe p;
    drawCall(p, std::u16string(300, u'x'), 0, 0, 2);
    p.records[290].character = u'H';
    findHit(p, 290 * 2, 5);
    const AssembledLine line = assembleAroundHit(p, 0, u' ');
    ASSERT_EQ(line.text.size(), kMaxLineChars);
    ASSERT_GE(line.hitPosition, 0);
    EXPECT_EQ(line.text[static_cast<std::size_t>(line.hitPosition)], u'H');
}

TEST(CaptureLineAssembly, WordRectanglesSkipSeparatorsAndRefuseOutOfRangeSpans)
{
    const Probe p = probeAt(5, 5, [](Probe& p) {
        drawCall(p, u"ab", 0, 0);
        drawCall(p, u"cd", 30, 0);
    });
    const AssembledLine line = assembleAroundHit(p, 100, u' ');
    ASSERT_EQ(textOf(line), u"ab cd");
    Cell rect;
    ASSERT_TRUE(spanRect(line, p, 3, 4, &rect));
    EXPECT_EQ(rect, (Cell{30, 0, 46, 10}));
    // A span starting or ending on a separator covers the records beside it.
    ASSERT_TRUE(spanRect(line, p, 1, 3, &rect));
    EXPECT_EQ(rect, (Cell{8, 0, 38, 10}));
    EXPECT_FALSE(spanRect(line, p, 2, 2, &rect));  // the separator alone
    EXPECT_FALSE(spanRect(line, p, 3, 5, &rect));  // past the end
    EXPECT_FALSE(spanRect(line, p, -1, 1, &rect));
    EXPECT_FALSE(spanRect(line, p, 0, 256, &rect));
}

TEST(CaptureLineAssembly, LinesWithoutAHitTakeTheRecordsInTheExtent)
{
    Probe p;
    drawCall(p, u"left", 0, 0);
    drawCall(p, u"mid", 100, 0);
    drawCall(p, u"far", 400, 0);
    const AssembledLine line = assembleInExtent(p, 5, 130, u' ');
    EXPECT_EQ(textOf(line), u"left mid");
    EXPECT_FALSE(line.blank());
    Probe blank;
    drawCall(blank, u"  ", 0, 0);
    EXPECT_TRUE(assembleInExtent(blank, 0, 100, u' ').blank());
}

// The shared area as the drawing programs leave it.
class CaptureAreaReading : public ::testing::Test {
protected:
    CaptureAreaReading()
        : area(std::make_unique<area::CaptureArea>())
    {
        std::memset(area.get(), 0, sizeof *area);
        area->magic = area::kMagic;
        area->layoutVersion = area::kLayoutVersion;
        area->areaSize = sizeof *area;
    }

    void add(std::uint32_t generation, std::uint32_t character, std::int32_t left, std::int32_t right,
             area::RecordKind kind = area::RecordKind::Wide, std::uint8_t charSet = 128)
    {
        area::CharRecord& r = area->records[area->recordCount++];
        r = {generation, character, left, 0, right, 10, 1, 10, kind, charSet};
    }

    Probe read(std::int32_t x) const { return readProbe(*area, sizeof *area, 7, x, 5); }

    std::unique_ptr<area::CaptureArea> area;
};

TEST_F(CaptureAreaReading, KeepsThisProbesPlausibleRecordsAndFindsTheHitFromTheCells)
{
    add(6, 'o', 0, 8);    // an older probe's
    add(7, 'a', 0, 8);
    add(7, 'b', 8, 16);
    add(7, 'x', 20, 20);  // an empty cell
    add(7, 'y', 2000000, 2000008);
    add(7, 'B', 8, 16);   // the same cell drawn again (a cursor): the later drawing wins
    const Probe p = read(10);
    ASSERT_EQ(p.records.size(), 2u);
    EXPECT_EQ(p.records[1].character, u'B');
    EXPECT_EQ(p.hit, 1);
    EXPECT_EQ(p.hitState(), area::kHitWide);
    EXPECT_FALSE(read(30).found());
}

TEST_F(CaptureAreaReading, CountsBeyondTheArraysAndDamagedHeadersAreSafe)
{
    for (int i = 0; i < area::kMaxRecords; ++i)
        add(7, 'a', i * 8, i * 8 + 8);
    area->recordCount = 100000;  // writers count on past the last slot
    EXPECT_EQ(read(8).records.size(), static_cast<std::size_t>(area::kMaxRecords));
    area->areaSize = 12;
    EXPECT_TRUE(read(8).records.empty());
    area->areaSize = sizeof *area;
    EXPECT_TRUE(readProbe(*area, sizeof *area - 1, 7, 8, 5).records.empty());
}

TEST_F(CaptureAreaReading, ConvertsJisCodesAndReadsSymbolFontsAsSpaces)
{
    add(7, 0x2422, 0, 16, area::RecordKind::Jis, 0);  // あ
    add(7, 'q', 16, 24, area::RecordKind::Ansi, area::kSymbolCharSet);
    add(7, 0x1F600, 24, 40);  // beyond UTF-16 units
    const Probe p = read(0);
    ASSERT_EQ(p.records.size(), 3u);
    EXPECT_EQ(p.records[0].character, u'あ');
    EXPECT_EQ(p.records[0].charSet, area::kShiftJisCharSet);
    EXPECT_TRUE(p.records[0].wide);
    EXPECT_EQ(p.records[1].character, u' ');
    EXPECT_FALSE(p.records[1].wide);
    EXPECT_EQ(p.records[2].character, u'\uFFFD');
    EXPECT_EQ(p.hitState(), area::kHitWide);
}

} // namespace
