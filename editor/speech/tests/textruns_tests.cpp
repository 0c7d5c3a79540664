// Script runs and half-width kana of texts read aloud.
#include <speech/textruns.h>

#include <gtest/gtest.h>

namespace yv::speech {
namespace {

TEST(SpeechTextRuns, ScriptsAlternateAndBlanksStayWithTheRunBefore)
{
    const auto runs = splitScriptRuns("Hello 世界。 Good\nbye 東京");
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0].script, Script::Latin);
    EXPECT_EQ(runs[0].text, "Hello ");
    EXPECT_EQ(runs[1].script, Script::Japanese);
    EXPECT_EQ(runs[1].text, "世界。 ");
    EXPECT_EQ(runs[2].text, "Good\nbye ");
    EXPECT_EQ(runs[3].text, "東京");
    EXPECT_TRUE(splitScriptRuns("").empty());
}

TEST(SpeechTextRuns, BrokenUtf8BecomesBlanks)
{
    // A stray continuation byte, a cut-off kanji and an overlong slash.
    const auto runs = splitScriptRuns("a\x80" "b\xE6\x97" "c\xC0\xAF");
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].text, "a b c  ");
}

TEST(SpeechTextRuns, HalfWidthKanaWidenWithTheirVoicedMarks)
{
    EXPECT_EQ(widenHalfWidthKana("ｶﾞｷﾞﾊﾟｳﾞｰ｡"), "ガギパヴー。");
    // A mark that cannot combine stays a mark of its own; other text is untouched.
    EXPECT_EQ(widenHalfWidthKana("ｱﾞ abc 漢"), "ア゛ abc 漢");
    EXPECT_EQ(widenHalfWidthKana("ﾊﾟ\xFF"), "パ\xFF");
}

} // namespace
} // namespace yv::speech
