// The built-in sentence breaks: terminators, brackets and quotes, and the period rule.
#include <capturerules/sentencebreak.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::capture;

int forward(std::u16string_view text, int from = kWholeText)
{
    return sentenceBreakW(text, from, kScanForward).value_or(-1);
}

int backward(std::u16string_view text, int from = kWholeText)
{
    return sentenceBreakW(text, from, kScanBackward).value_or(-1);
}

TEST(CaptureSentenceBreak, PeriodRuleSkipsTitlesAndNeedsACapitalOrTheEnd)
{
    const std::u16string text = u"Mr. Smith went home. He left.";
    EXPECT_EQ(forward(text, 0), 19);
    EXPECT_EQ(forward(text, 20), 28);  // a final period ends the sentence
    EXPECT_EQ(backward(text, 27), 20);
    EXPECT_EQ(backward(text, 18), -1);

    EXPECT_EQ(forward(u"It costs 3.5 dollars. Then"), 20);
    EXPECT_EQ(forward(u"see fig. below. Next"), 14);
    EXPECT_EQ(forward(u"Done.   "), 4);
    EXPECT_EQ(forward(u"Dr. No and Mrs. Robinson met Mrx. Jones"), 32);
}

TEST(CaptureSentenceBreak, WordsThatBeginAnAbbreviationCountAsOne)
{
    // Only the word's own length is compared: initials and "Lt" are taken as abbreviations.
    EXPECT_FALSE(IsSentenceEndAt(u"Vitamin D. Then", 9));
    EXPECT_FALSE(IsSentenceEndAt(u"with Lt. Dan", 7));
    EXPECT_FALSE(IsSentenceEndAt(u"Acme co. Ltd", 7));
    EXPECT_TRUE(IsSentenceEndAt(u"the end. Then", 7));
    EXPECT_TRUE(IsSentenceEndAt(u"the end .", 8));  // directly after a space
    EXPECT_FALSE(IsSentenceEndAt(u"A.", 1));         // too near the start
}

TEST(CaptureSentenceBreak, BracketedTerminatorsAreIgnored)
{
    EXPECT_EQ(forward(u"(He said so. Really.)", 0), -1);
    EXPECT_EQ(forward(u"(He said so. Really.) Fine!", 0), 26);
    EXPECT_EQ(backward(u"Yes! (No. Maybe.) And then"), 4);
    // A closing bracket too many does not make the depth negative.
    EXPECT_EQ(forward(u") so! yes"), 4);
    EXPECT_EQ(forward(u"「はい。」と言った。"), 9);
    EXPECT_EQ(forward(u"｢ﾊｲ!｣ok!"), 7);
}

TEST(CaptureSentenceBreak, CurrencySignsAreNotBrackets)
{
    EXPECT_EQ(forward(u"It costs 50¢. Next one."), 12);
    EXPECT_EQ(backward(u"Hi. It costs £5 now"), 3);
}

TEST(CaptureSentenceBreak, QuotedBracketsDoNotCount)
{
    EXPECT_EQ(forward(u"Type \"(\" first. Then"), 14);
    EXPECT_EQ(forward(u"Type `(` first. Then"), 14);
    EXPECT_EQ(forward(u"Type \u2018(\u2019 first. Then"), 14);
    EXPECT_EQ(forward(u"Type \u201C(\u201D first. Then"), 14);
    EXPECT_EQ(forward(u"Type \u201C(x first. Then"), -1);  // an open bracket after an opening quote
}

TEST(CaptureSentenceBreak, ColonsAndFullWidthTerminators)
{
    EXPECT_EQ(forward(u"Note: this"), 4);
    EXPECT_EQ(forward(u"at 10:30 today"), -1);
    EXPECT_EQ(forward(u"List:"), 4);
    EXPECT_EQ(backward(u"Note: This one"), 5);
    EXPECT_EQ(forward(u"本当？はい"), 2);
    EXPECT_EQ(backward(u"今日は。明日も"), 4);
}

TEST(CaptureSentenceBreak, StartPositions)
{
    const std::u16string text = u"One. Two. Three";
    EXPECT_EQ(backward(text), 9);
    EXPECT_EQ(backward(text, 100), 9);  // clamped to the last character
    EXPECT_EQ(backward(text, -5), -1);
    EXPECT_EQ(forward(text, 5), 8);
    EXPECT_EQ(forward(text, 100), 3);   // outside the text: from the start
    EXPECT_EQ(backward(u""), -1);
    EXPECT_EQ(forward(u""), -1);
}

TEST(CaptureSentenceBreak, AnsiFormWorksInBytes)
{
    // 漢字。次の文 in CP932: 。 takes bytes 4-5.
    const std::string text = "\x8A\xBF\x8E\x9A\x81\x42\x8E\x9F\x82\xCC\x95\xB6";
    EXPECT_EQ(sentenceBreakA(text, 0, kScanForward, 932).value_or(-1), 5);
    EXPECT_EQ(sentenceBreakA(text, kWholeText, kScanBackward, 932).value_or(-1), 6);
    EXPECT_EQ(sentenceBreakA(text, 11, kScanBackward, 932).value_or(-1), 6);  // from a trail byte
    EXPECT_FALSE(sentenceBreakA(text, 6, kScanForward, 932));
    EXPECT_EQ(sentenceBreakA("Hi. You", kWholeText, kScanBackward, 1252).value_or(-1), 3);
}

} // namespace
