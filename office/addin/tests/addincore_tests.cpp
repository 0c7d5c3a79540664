// The add-in's text rules: requests, answers, clipboard texts and the cell grid.
#include <addincore.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace yv::addin;
using namespace std::string_literals;

TEST(AddInRequests, TopicsAndPokedBytesPerKind)
{
    EXPECT_EQ(topicOf(RequestKind::Text), "Translate");
    EXPECT_EQ(topicOf(RequestKind::TextFile), "TranslateF");
    EXPECT_EQ(topicOf(RequestKind::HtmlFile), "TranslateH");
    EXPECT_EQ(requestData(RequestKind::Text, "Hello.", "", ""), "Hello.\0"s);
    // A text with a NUL inside ends there, as the engine would read it.
    EXPECT_EQ(requestData(RequestKind::Text, "ab\0cd"s, "", ""), "ab\0"s);
    EXPECT_EQ(requestData(RequestKind::TextFile, "ignored", "/t/in.txt", "/t/out.txt"), "/t/in.txt\t/t/out.txt\0"s);
    EXPECT_EQ(requestData(RequestKind::HtmlFile, "", "/t/a.htm", "/t/b.htm"), "/t/a.htm\t/t/b.htm\tvaskel\tJAPAN\0"s);
}

TEST(AddInRequests, DirectionFollowsTheFirstLeadByte)
{
    EXPECT_EQ(textDirection(""), 1);
    EXPECT_EQ(textDirection("This is a pen."), 1);
    // Half-width katakana are single bytes: no lead byte.
    EXPECT_EQ(textDirection("\xB1\xB2\xB3"), 1);
    // One double-byte character among much English is enough.
    EXPECT_EQ(textDirection("A long English sentence \x82\xA0 with one kana."), 2);
    EXPECT_EQ(textDirection("\xE0\x40"), 2);
}

TEST(AddInRequests, FileJobAnswers)
{
    EXPECT_TRUE(readFileJobAnswer("end\0"s).ended);
    EXPECT_TRUE(readFileJobAnswer("$$$").ended);
    EXPECT_FALSE(readFileJobAnswer("ending").ended);
    EXPECT_EQ(readFileJobAnswer("42\0"s).percent, 42);
    EXPECT_EQ(readFileJobAnswer("250").percent, 100);
    EXPECT_EQ(readFileJobAnswer("-3").percent, 0);
    EXPECT_FALSE(readFileJobAnswer("12abc").percent);
    EXPECT_FALSE(readFileJobAnswer("").percent);
    EXPECT_FALSE(readFileJobAnswer("99999999999999999999").percent);
}

TEST(AddInClipboard, TextTranslationLosesItsLineEnds)
{
    EXPECT_EQ(clipboardTextOfTranslation("これはペンです。\r\n"), "これはペンです。");
    EXPECT_EQ(clipboardTextOfTranslation("one\r\n\r\n\n\r"), "one");
    EXPECT_EQ(clipboardTextOfTranslation("one\r\ntwo\r\nthree"), "one two three");
    // Line ends of other styles stay inside the cell as well.
    EXPECT_EQ(clipboardTextOfTranslation("one\ntwo\rthree"), "one two three");
    EXPECT_EQ(clipboardTextOfTranslation("a\r\n\r\nb"), "a  b");
    EXPECT_EQ(clipboardTextOfTranslation("\r\n"), "");
    EXPECT_EQ(clipboardTextOfTranslation("x\0\r\nhidden"s), "x");
}

TEST(AddInClipboard, FileResultGetsCrLfLineEnds)
{
    EXPECT_EQ(clipboardTextOfFile("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(clipboardTextOfFile("a\r\nb\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(clipboardTextOfFile("a\rb"), "a\r\nb");
    EXPECT_EQ(clipboardTextOfFile("\n\n"), "\r\n\r\n");
    EXPECT_EQ(clipboardTextOfFile("no end"), "no end");
}

TEST(AddInCellGrid, ParsesEscapesAndPadsShortRows)
{
    const auto grid = parseCellGrid("a\tb\\tc\n\\\\d\\n\\r\n\te\tf\n");
    ASSERT_TRUE(grid);
    ASSERT_EQ(grid->size(), 3u);
    EXPECT_EQ((*grid)[0], (std::vector<std::string>{"a", "b\tc", ""}));
    EXPECT_EQ((*grid)[1], (std::vector<std::string>{"\\d\n\r", "", ""}));
    EXPECT_EQ((*grid)[2], (std::vector<std::string>{"", "e", "f"}));
    EXPECT_EQ(parseCellGrid(formatCellGrid(*grid)), grid);

    // The last row needs no LF.
    EXPECT_EQ(parseCellGrid("x\ty"), (CellGrid{{"x", "y"}}));
    EXPECT_EQ(parseCellGrid(""), CellGrid{});
}

TEST(AddInCellGrid, RefusesMalformedAndOversizedInput)
{
    EXPECT_FALSE(parseCellGrid("a\\"));
    EXPECT_FALSE(parseCellGrid("a\\x"));
    EXPECT_FALSE(parseCellGrid("a\0b"s));
    // One row of kMaxCells cells is fine, one more is not.
    std::string row(kMaxCells - 1, '\t');
    EXPECT_TRUE(parseCellGrid(row + "\n"));
    EXPECT_FALSE(parseCellGrid(row + "\t\n"));
    // Padding counts: a wide row and many short ones exceed the limit together.
    std::string ragged = std::string(999, '\t') + "\n";
    for (int i = 0; i < 100; ++i)
        ragged += "x\n";
    EXPECT_FALSE(parseCellGrid(ragged));
}

TEST(AddInCellGrid, ClipboardTextOfTranslatedCells)
{
    // Two rows of three cells with one empty: two lines, each with two tabs.
    const CellGrid grid{{"one", "", "three"}, {"four", "five", "six"}};
    EXPECT_FALSE(allCellsEmpty(grid));
    EXPECT_EQ(gridClipboardText(grid), "one\t\tthree\r\nfour\tfive\tsix\r\n");
    EXPECT_TRUE(allCellsEmpty(CellGrid{{"", ""}, {""}}));
    EXPECT_TRUE(allCellsEmpty(CellGrid{}));
}

} // namespace
