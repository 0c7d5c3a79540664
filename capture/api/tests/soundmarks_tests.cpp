// Separate sound marks merged into the katakana before them.
#include "soundmarks.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace {

using yv::capture::mergeSoundMarks;

std::string sjis(const char* utf8)
{
    return yv::codec::utf8ToCp932(utf8);
}

TEST(CaptureSoundMarks, KatakanaTakeTheMarkThatFollowsThem)
{
    EXPECT_EQ(mergeSoundMarks(sjis("ハ゜ン")), sjis("パン"));
    EXPECT_EQ(mergeSoundMarks(sjis("カ゛ム")), sjis("ガム"));
    EXPECT_EQ(mergeSoundMarks(sjis("ウ゛ァ")), sjis("ヴァ"));
    // ASCII before the pair does not shift the two-byte steps.
    EXPECT_EQ(mergeSoundMarks(sjis("aハ゜")), sjis("aパ"));
}

TEST(CaptureSoundMarks, OtherTextAndCutCharactersAreKept)
{
    EXPECT_EQ(mergeSoundMarks(sjis("は゜ン")), sjis("は゜ン"));  // hiragana are not merged
    EXPECT_EQ(mergeSoundMarks(sjis("゜ハ")), sjis("゜ハ"));
    const std::string cut = sjis("ハ゜").substr(0, 3);  // the mark's trail byte missing
    EXPECT_EQ(mergeSoundMarks(cut), cut);
    EXPECT_EQ(mergeSoundMarks(""), "");
}

} // namespace
