// The walks to the lines above and below the point: the block of lines, the sentence cut at
// its breaks, and the single line of lists and menus.
#include "capturetestdata.h"

#include <captureengine/linewalk.h>
#include <capturerules/sentencebreak.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace yv::capture;
using namespace yv::capture::testdata;

// A window whose rows hold the given lines, one per 10 pixels from y = `firstTop`; a line is
// drawn from x = 0 (or from its own indent).
class Page final : public RowProber {
public:
    Page(std::vector<std::u16string> lines, std::int32_t x, std::int32_t firstTop = 0)
        : m_lines(std::move(lines))
        , m_x(x)
        , m_firstTop(firstTop)
    {
    }
    std::vector<std::int32_t> indent;

    Probe row(std::int32_t y) const
    {
        Probe p;
        const std::int32_t n = (y - m_firstTop) / kRowHeight;
        if (y >= m_firstTop && n < static_cast<std::int32_t>(m_lines.size())) {
            const std::int32_t left = n < static_cast<std::int32_t>(indent.size()) ? indent[static_cast<std::size_t>(n)] : 0;
            drawCall(p, m_lines[static_cast<std::size_t>(n)], left, m_firstTop + n * kRowHeight);
        }
        findHit(p, m_x, y);
        return p;
    }

    std::optional<Probe> probeRow(std::int32_t y) override
    {
        probed.push_back(y);
        return row(y);
    }
    std::vector<std::int32_t> probed;

private:
    std::vector<std::u16string> m_lines;
    std::int32_t m_x;
    std::int32_t m_firstTop;
};

std::vector<std::u16string> texts(const LineBlock& block)
{
    std::vector<std::u16string> out;
    for (const BlockLine& line : block.lines)
        out.push_back(line.text);
    return out;
}

SentenceBreak rulesBreak()
{
    return [](const AssembledLine& line, int* position, int direction) {
        const std::optional<int> found = sentenceBreakW(line.text, *position, direction);
        if (found)
            *position = *found;
        return found.has_value();
    };
}

TEST(CaptureLineWalk, BlockRunsFromTheTopLineToTheBottomLineAroundThePoint)
{
    Page page({u"one", u"two", u"three", u"four", u"  ", u"after"}, 4, 20);
    const Probe first = page.row(45);  // in "three"
    const LineBlock block = walkLines(page, first, 45, {});
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"one", u"two", u"three", u"four"}));
    EXPECT_EQ(block.above, 2);
    EXPECT_EQ(block.hitPosition, 0);
    EXPECT_EQ(block.lines[0].rect, (Cell{0, 20, 24, 30}));
    EXPECT_EQ(block.lines[3].rect, (Cell{0, 50, 32, 60}));
    // Above "one" the walk met a row with no text; below "four" a blank line ended it.
    EXPECT_EQ(page.probed, (std::vector<std::int32_t>{35, 25, 15, 55, 65}));
}

TEST(CaptureLineWalk, AtMostTwelveLinesOnEachSideAndNeverAboveTheScreen)
{
    std::vector<std::u16string> lines;
    for (int i = 0; i < 40; ++i)
        lines.push_back(u"line" + std::u16string(1, static_cast<char16_t>(u'A' + i)));
    Page page(lines, 2);
    const LineBlock block = walkLines(page, page.row(205), 205, {});  // row 20
    ASSERT_EQ(block.lines.size(), 25u);
    EXPECT_EQ(block.above, 12);
    EXPECT_EQ(block.lines.front().text, u"lineI");
    EXPECT_EQ(block.lines.back().text, lines[32]);

    Page top(lines, 2);
    const LineBlock fromTop = walkLines(top, top.row(3), 3, {});
    EXPECT_EQ(fromTop.above, 0);
    EXPECT_EQ(fromTop.lines.size(), 13u);
}

TEST(CaptureLineWalk, ShortLinesBesideThePointAreTakenFromTheExtentSoFar)
{
    // The point lies past the end of the lines above and below: no hit there, but text.
    Page page({u"ab", u"abcdefgh", u"cd"}, 50);
    const LineBlock block = walkLines(page, page.row(15), 15, {});
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"ab", u"abcdefgh", u"cd"}));
    EXPECT_EQ(block.above, 1);
}

TEST(CaptureLineWalk, LineExtraWidensTheRowStep)
{
    Page page({u"a", u"b", u"c", u"d", u"e"}, 2);
    const LineBlock block = walkLines(page, page.row(25), 25, {0, 10, u' '});
    // 10 + 10 pixels a step: every other line.
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"a", u"c", u"e"}));
    EXPECT_EQ(page.probed, (std::vector<std::int32_t>{5, 45, 65}));
}

TEST(CaptureLineWalk, ExtremeLineExtraEndsTheWalkInsteadOfOverflowing)
{
    Page page({u"a", u"b", u"c"}, 2);
    const LineBlock block = walkLines(page, page.row(15), 15, {0, INT32_MAX, u' '});
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"b"}));
    const LineBlock negative = walkLines(page, page.row(15), 15, {0, INT32_MIN, u' '});
    EXPECT_FALSE(negative.lines.empty());
}

TEST(CaptureLineWalk, SentenceIsCutAtItsBreaksAcrossLines)
{
    Page page({u"Old text. The sen", u"tence runs on over", u"three lines. Then more"}, 20);
    const LineBlock block = walkSentence(page, page.row(15), 15, {}, rulesBreak());
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u" The sen", u"tence runs on over", u"three lines."}));
    EXPECT_EQ(block.above, 1);
    // The rectangles are those of the cut parts (the start keeps the space before it).
    EXPECT_EQ(block.lines[0].rect, (Cell{72, 0, 136, 10}));
    EXPECT_EQ(block.lines[2].rect, (Cell{0, 20, 96, 30}));
}

TEST(CaptureLineWalk, SentenceWithinOneLineProbesNothingElse)
{
    Page page({u"above", u"First one. Second one. Third", u"below"}, 12 * 8 + 2);  // in "Second"
    const LineBlock block = walkSentence(page, page.row(15), 15, {}, rulesBreak());
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u" Second one."}));
    EXPECT_EQ(block.above, 0);
    EXPECT_EQ(block.hitPosition, 2);
    EXPECT_TRUE(page.probed.empty());
}

TEST(CaptureLineWalk, SentenceStartingAtALineStartTakesNoEmptyLineFromAbove)
{
    // The line above ends its own sentence: nothing of it belongs to this one.
    Page page({u"That was all.", u"Next one starts here and", u"ends here. Done"}, 4);
    const LineBlock block = walkSentence(page, page.row(15), 15, {}, rulesBreak());
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"Next one starts here and", u"ends here."}));
    EXPECT_EQ(block.above, 0);
}

TEST(CaptureLineWalk, SingleLineModeKeepsTheHitLineWithCarriageReturns)
{
    Probe p;
    drawCall(p, u"Name", 0, 0);
    drawCall(p, u"Size", 60, 0);
    findHit(p, 62, 5);
    const LineBlock block = singleLine(p, {100, 0, u'\r'});
    EXPECT_EQ(texts(block), (std::vector<std::u16string>{u"Name\rSize"}));
    EXPECT_EQ(block.hitPosition, 5);
    EXPECT_EQ(block.lines[0].rect, (Cell{0, 0, 92, 10}));
    Probe none;
    EXPECT_TRUE(singleLine(none, {}).lines.empty());
}

} // namespace
