// The built-in word breaks: kana and ideograph runs, English words with their context, and the
// byte positions of the ANSI form.
#include <capturerules/codepage.h>
#include <capturerules/wordbreak.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace yv::capture;

BreakSettings japanese()
{
    BreakSettings settings;
    settings.charSet = kShiftJisCharSet;
    settings.codePage = 932;
    return settings;
}

std::u16string wordsAt(std::u16string_view line, int hit, const BreakSettings& settings = {})
{
    const auto found = wordBreakW(line, hit, settings);
    return found ? found->words : u"<none>";
}

// The word under the mouse as the caller marks it: line[start..end].
std::u16string markedWord(std::u16string_view line, int hit, const BreakSettings& settings = {})
{
    const auto found = wordBreakW(line, hit, settings);
    if (!found)
        return u"<none>";
    return std::u16string(line.substr(found->start, found->end - found->start + 1));
}

TEST(CaptureWordBreak, KanjiRunStartsAtTheMouseAndStopsAtTheMaximum)
{
    const std::u16string kanji = u"日本語文章解析処理機能開発環境構築手順説明書作";
    ASSERT_EQ(kanji.size(), 23u);
    const auto found = wordBreakW(kanji, 2, japanese());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->words, kanji.substr(2, 16));
    EXPECT_EQ(found->start, 2);
    EXPECT_EQ(found->end, 2);

    BreakSettings one = japanese();
    one.maxDbcsChars = 0;
    EXPECT_EQ(wordsAt(kanji, 2, one), u"語");
    // The run ends at the first character that is not a kana or an ideograph.
    EXPECT_EQ(wordsAt(u"東京都。大阪", 1, japanese()), u"京都");
}

TEST(CaptureWordBreak, EnglishWordComesWithThreeNeighboursEachSide)
{
    const std::u16string line = u"The quick brown fox jumps over the lazy dog";
    const auto found = wordBreakW(line, 12, {});  // the 'o' of brown
    ASSERT_TRUE(found);
    EXPECT_EQ(found->words, u"The quick brown fox jumps over");
    EXPECT_EQ(found->start, 10);
    EXPECT_EQ(found->end, 14);

    // Counted to the full number of word starts, the copy keeps the space before them.
    EXPECT_EQ(wordsAt(line, 37), u" jumps over the lazy dog");  // on lazy
}

TEST(CaptureWordBreak, SmallWordMaximumStillGivesTheWordUnderTheMouse)
{
    BreakSettings settings;
    settings.maxSbcsWords = 0;
    EXPECT_EQ(wordsAt(u"one two three", 5, settings), u" two");
    settings.maxSbcsWords = 2;
    EXPECT_EQ(wordsAt(u"one two three", 1, settings), u"one");
}

TEST(CaptureWordBreak, NothingUnderDigitsSpacesPunctuationOrPastTheEnd)
{
    const std::u16string line = u"room 101 is on the left, then \"up\"";
    EXPECT_EQ(wordsAt(line, 5), u"<none>");   // digit
    EXPECT_EQ(wordsAt(line, 4), u"<none>");   // space
    EXPECT_EQ(wordsAt(line, 23), u"<none>");  // comma
    EXPECT_EQ(wordsAt(line, -1), u"<none>");
    EXPECT_EQ(wordsAt(line, static_cast<int>(line.size())), u"<none>");
    // A joiner in front of a word is no part of it.
    EXPECT_EQ(wordsAt(u"-flag", 0), u"<none>");
    EXPECT_EQ(markedWord(u"-flag", 1), u"flag");
}

TEST(CaptureWordBreak, JoinersStayInsideWords)
{
    EXPECT_EQ(markedWord(u"send an e-mail now", 9), u"e-mail");
    EXPECT_EQ(markedWord(u"I don't know", 3), u"don't");
    EXPECT_EQ(markedWord(u"I don't know", 5), u"don't");  // on the apostrophe
    EXPECT_EQ(wordsAt(u"the U.S.A. is", 5), u"the U.S.A.");
    EXPECT_EQ(markedWord(u"the U.S.A. is", 5), u"U.S.A.");
    EXPECT_EQ(wordsAt(u"and/or", 0), u"and/or");
    // In 2nd the digit ends the collection before the mouse: the letters start afresh.
    EXPECT_EQ(wordsAt(u"the 2nd time", 5), u"nd time");
    EXPECT_EQ(markedWord(u"the 2nd time", 5), u"nd");
    EXPECT_EQ(wordsAt(u"the 2nd time", 0), u"the ");
}

TEST(CaptureWordBreak, WidthNormalisationAppliesToTheWorkCopy)
{
    EXPECT_EQ(wordsAt(u"Ｈｅｌｌｏ world", 2), u"Hello world");
    EXPECT_EQ(wordsAt(u"ｶﾀｶﾅです", 0, japanese()), u"カタカナです");

    BreakSettings plain = japanese();
    plain.normalizeWidth = false;
    EXPECT_EQ(wordsAt(u"ｶﾀｶﾅです", 0, plain), u"ｶﾀｶﾅです");
    plain.charSet = kAnsiCharSet;
    EXPECT_EQ(wordsAt(u"Ｈｅｌｌｏ world", 2, plain), u"<none>");
}

TEST(CaptureWordBreak, OnlyTheFirst255CharactersCount)
{
    const std::u16string line = std::u16string(260, u'a');
    EXPECT_TRUE(wordBreakW(line, 254, {}));
    EXPECT_FALSE(wordBreakW(line, 255, {}));
    EXPECT_EQ(wordsAt(line, 0).size(), 255u);
}

TEST(CaptureWordBreak, AnsiFormReportsBytePositions)
{
    // 漢字 and brown: the mouse on the 'r' of brown (byte 10).
    const std::string line = "\x8A\xBF\x8E\x9A and brown fox";
    const auto found = wordBreakA(line, 10, japanese());
    ASSERT_TRUE(found);
    EXPECT_EQ(found->words, "and brown fox");
    EXPECT_EQ(found->start, 9);
    EXPECT_EQ(found->end, 13);

    // On the trail byte of 字: the run from that character, *end on its last byte.
    const auto kanji = wordBreakA(line, 3, japanese());
    ASSERT_TRUE(kanji);
    EXPECT_EQ(kanji->words, "\x8E\x9A");
    EXPECT_EQ(kanji->start, 2);
    EXPECT_EQ(kanji->end, 3);

    EXPECT_FALSE(wordBreakA(line, 40, japanese()));
}

TEST(CaptureWordBreak, AnsiFormKeepsUntouchedBytesAndConvertsNormalisedOnes)
{
    // ｶﾅ (B6 C5) widen to カナ; Ａ (82 60) narrows to A.
    const auto kana = wordBreakA("\xB6\xC5\x82\x60", 0, japanese());
    ASSERT_TRUE(kana);
    EXPECT_EQ(kana->words, "\x83\x4A\x83\x69");
    EXPECT_EQ(kana->start, 0);
    EXPECT_EQ(kana->end, 0);
    const auto letter = wordBreakA("\xB6\xC5\x82\x60", 2, japanese());
    ASSERT_TRUE(letter);
    EXPECT_EQ(letter->words, "A");
    EXPECT_EQ(letter->start, 2);
    EXPECT_EQ(letter->end, 3);

    BreakSettings western;
    western.codePage = 1252;
    // ’ (0x92) is one byte in code page 1252: positions after it are not shifted.
    const auto after = wordBreakA("it\x92s a test", 7, western);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->words, "it's a test");
    EXPECT_EQ(after->start, 7);
    EXPECT_EQ(after->end, 10);
}

} // namespace
