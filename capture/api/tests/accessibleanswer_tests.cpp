// The second source's answer from an accessible's text and character boxes, with the rules'
// own break procedures.
#include "accessibleanswer.h"

#include <SNRCBK32.h>
#include <platform/codec.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>

namespace {

using namespace yv::capture;

std::string utf8(const char* sjisField)
{
    return yv::codec::cp932ToUtf8(sjisField);
}

// Characters 10 px wide and 20 high from (100, 50), `perRow` to a row; a line feed starts a row.
CharExtents grid(const std::string& text, int first, int perRow)
{
    auto rows = std::make_shared<std::vector<CharBox>>();
    int column = 0;
    int row = 0;
    for (std::size_t at = 0; at < text.size();) {
        const yv::codec::Utf8Char c = yv::codec::decodeUtf8At(text, at);
        at += c.length;
        if (c.codePoint == U'\n') {
            rows->push_back({});
            ++row, column = 0;
            continue;
        }
        if (column == perRow)
            ++row, column = 0;
        rows->push_back({100 + column * 10, 50 + row * 24, 10, 20});
        ++column;
    }
    return [rows, first](int offset) -> std::optional<CharBox> {
        const int i = offset - first;
        if (i < 0 || i >= static_cast<int>(rows->size()))
            return std::nullopt;
        return (*rows)[static_cast<std::size_t>(i)];
    };
}

struct Answer {
    std::unique_ptr<AcrobatSharedData> block = std::make_unique<AcrobatSharedData>();
    bool ok = false;
};

Answer words(const std::string& text, int first, int hit, const CharExtents& extents)
{
    Answer a;
    a.ok = answerWords({text, first, hit}, extents, DefaultWordBreakW, a.block.get());
    return a;
}

Answer sentence(const std::string& text, int first, int hit, int perRow)
{
    Answer a;
    a.ok = answerSentence({text, first, hit}, grid(text, first, perRow), DefaultSentenceBreakW, a.block.get());
    return a;
}

class AccessibleAnswer : public ::testing::Test {
protected:
    void SetUp() override { SNRSetActiveCharSet(128); }
};

TEST_F(AccessibleAnswer, WordAtAnOffsetWithItsBoxes)
{
    const std::string text = "Open the quick brown fox";
    // The stretch starts at the accessible's offset 40; "quick" is 49..53.
    const Answer a = words(text, 40, 51, grid(text, 40, 100));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(utf8(a.block->word), "quick");
    EXPECT_NE(utf8(a.block->words).find("quick brown"), std::string::npos) << a.block->words;
    EXPECT_EQ(a.block->wordRect.left, 190);
    EXPECT_EQ(a.block->wordRect.right, 240);
    EXPECT_EQ(a.block->wordRect.top, 50);
    EXPECT_EQ(a.block->wordRect.bottom, 70);
}

TEST_F(AccessibleAnswer, WordsOnOtherLinesAndFarIntoLongLines)
{
    const std::string text = "first line\nsecond line";
    const Answer second = words(text, 0, 13, grid(text, 0, 100));
    ASSERT_TRUE(second.ok);
    EXPECT_EQ(utf8(second.block->word), "second");
    EXPECT_EQ(second.block->wordRect.top, 74);

    std::string longLine(1000, 'x');
    longLine += " needle ";
    longLine += std::string(1000, 'y');
    const Answer far = words(longLine, 0, 1003, grid(longLine, 0, 5000));
    ASSERT_TRUE(far.ok);
    EXPECT_EQ(utf8(far.block->word), "needle");
    EXPECT_EQ(far.block->wordRect.left, 100 + 1001 * 10);
}

TEST_F(AccessibleAnswer, JapaneseComesInShiftJis)
{
    const std::string text = "これは日本語です";
    const Answer a = words(text, 0, 3, grid(text, 0, 100));
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(utf8(a.block->words).rfind("日本語", 0), 0u);
    EXPECT_EQ(std::string(a.block->word).rfind(yv::codec::utf8ToCp932("日"), 0), 0u);
    EXPECT_EQ(a.block->wordRect.left, 130);
}

TEST_F(AccessibleAnswer, NothingWithoutAWordOrABox)
{
    const std::string text = "one two\nthree";
    const CharExtents boxes = grid(text, 0, 100);
    EXPECT_FALSE(words(text, 0, 3, boxes).ok) << "a space";
    EXPECT_FALSE(words(text, 0, 7, boxes).ok) << "the line feed";
    EXPECT_FALSE(words(text, 0, 13, boxes).ok) << "past the end";
    EXPECT_FALSE(words(text, 5, 2, boxes).ok) << "before the stretch";
    EXPECT_FALSE(words(text, 0, -1, boxes).ok);
    EXPECT_FALSE(words(text, 0, 1, [](int) { return std::optional<CharBox>{}; }).ok);
    EXPECT_FALSE(answerWords({text, 0, 1}, boxes, nullptr, Answer{}.block.get()));
}

TEST_F(AccessibleAnswer, HostileTextAndBoxesStayInBounds)
{
    // Ill-formed UTF-8, a NUL and a character beyond UTF-16's first plane count as one
    // character each, so the offsets keep their meaning.
    const std::string text = std::string("\xFF\xFE ab\0c \xF0\x9F\x98\x80 word", 17);
    const Answer a = words(text, 0, 11, [](int) { return CharBox{INT_MAX - 5, INT_MIN, 100, 100}; });
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(utf8(a.block->word), "word");
    EXPECT_EQ(a.block->wordRect.right, INT_MAX);
    EXPECT_EQ(a.block->wordRect.top, INT_MIN);
    EXPECT_LE(a.block->wordRect.left, a.block->wordRect.right);

    // Offsets that would run past the integer range are another program's nonsense.
    const auto box = [](int) { return CharBox{0, 0, 5, 10}; };
    EXPECT_FALSE(words("one two", INT_MAX - 3, INT_MAX - 1, box).ok);
    EXPECT_FALSE(sentence("One. Two.", INT_MAX - 3, INT_MAX - 1, 20).ok);
}

TEST_F(AccessibleAnswer, SentenceOverWrappedRows)
{
    const std::string text = "It rains. The quick brown fox jumps over the lazy dog. Then it stops.";
    // 20 characters a row: the sentence starts on row 0 and ends on row 2.
    const Answer a = sentence(text, 0, 30, 20);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(utf8(a.block->sentence), " The quick \r\nbrown fox jumps over\r\n the lazy dog.\r\n");
    EXPECT_EQ(a.block->lineCount, 3);
    EXPECT_EQ(a.block->linesAbove, 1);
    EXPECT_EQ(a.block->lines[0].left, 190);
    EXPECT_EQ(a.block->lines[0].right, 300);
    EXPECT_EQ(a.block->lines[1].top, 74);
    EXPECT_EQ(a.block->lines[2].right, 240);
    EXPECT_EQ(a.block->lines[3].right, 0);
}

TEST_F(AccessibleAnswer, SentenceOverLineFeedsAndBoundedLines)
{
    const std::string text = "Hello there\nworld of text. Next";
    const Answer a = sentence(text, 0, 14, 100);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(utf8(a.block->sentence), "Hello there\r\nworld of text.\r\n");
    EXPECT_EQ(a.block->linesAbove, 1);

    std::string many;
    for (int i = 0; i < 40; ++i)
        many += "row\n";
    const Answer bounded = sentence(many, 0, 80, 100);
    ASSERT_TRUE(bounded.ok);
    EXPECT_EQ(bounded.block->lineCount, 25);
    EXPECT_EQ(bounded.block->linesAbove, 12);
}

TEST_F(AccessibleAnswer, LongJapaneseSentenceIsCutOnACharacterBoundary)
{
    std::string text;
    for (int i = 0; i < 4000; ++i)
        text += "語";
    const Answer a = sentence(text, 0, 10, 10000);
    ASSERT_TRUE(a.ok);
    EXPECT_EQ(std::strlen(a.block->sentence), 6398u);
    EXPECT_EQ(shiftJisPrefix("a\x82\xA0", 2), 1u);
}

} // namespace
