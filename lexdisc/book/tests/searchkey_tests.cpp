// Key preparation: trimming, full width, classes, normalisation and reversal.
#include <book/searchkey.h>

#include "testbook.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using testing::jisOf;

std::string sjis(std::string_view utf8)
{
    return codec::utf8ToCp932(utf8);
}

std::vector<std::uint16_t> sjisCodes(std::string_view utf8)
{
    std::vector<std::uint16_t> codes;
    const std::string s = sjis(utf8);
    for (std::size_t i = 0; i + 1 < s.size(); i += 2)
        codes.push_back(static_cast<std::uint16_t>(static_cast<unsigned char>(s[i]) << 8 | static_cast<unsigned char>(s[i + 1])));
    return codes;
}

SearchKey normalized(std::string_view utf8, const KeyStyle& style = {}, SearchMethod method = SearchMethod::Forward)
{
    SearchKey key = prepareSearchKey(sjis(utf8), method);
    normalizeSearchKey(key, style);
    return key;
}

TEST(BookKeyTest, TrimsSpacesAndLineBreaksAndMakesEverythingFullWidth)
{
    EXPECT_EQ(trimKey("  \r\n ab  "), "ab");
    EXPECT_EQ(toFullWidth("a1 ~"), sjisCodes("ａ１　～"));
    // Half-width katakana with their marks merge into one voiced or semi-voiced character;
    // a mark after a letter without such a form stays a mark of its own.
    EXPECT_EQ(toFullWidth(sjis("ｶﾞｯｺｳ ﾊﾟﾝ ｳﾞ ｱﾞ")), sjisCodes("ガッコウ　パン　ヴ　ア゛"));
    // A lead byte cut off by the 512-byte limit is not half a character.
    std::string longKey(511, 'a');
    longKey += sjis("あ");
    EXPECT_EQ(trimKey(longKey).size(), 511u);
}

TEST(BookKeyTest, ClassifiesByTheFirstCharacterThatCounts)
{
    EXPECT_EQ(prepareSearchKey(sjis("かな"), SearchMethod::Forward).keyClass, KeyClass::Kana);
    EXPECT_EQ(prepareSearchKey("apple", SearchMethod::Forward).keyClass, KeyClass::Alphabet);
    // Digits are alphabetic, as letters are: a key of digits alone has a class.
    EXPECT_EQ(prepareSearchKey("2000", SearchMethod::Forward).keyClass, KeyClass::Alphabet);
    EXPECT_EQ(prepareSearchKey(sjis("１２"), SearchMethod::Forward).keyClass, KeyClass::Alphabet);
    EXPECT_EQ(prepareSearchKey(sjis("A4判"), SearchMethod::Forward).keyClass, KeyClass::Other);
    EXPECT_EQ(prepareSearchKey(sjis("・データ"), SearchMethod::Forward).keyClass, KeyClass::Kana);
    // Mixed classes and kanji search the index of other keys.
    EXPECT_EQ(prepareSearchKey(sjis("CDロム"), SearchMethod::Forward).keyClass, KeyClass::Other);
    EXPECT_EQ(prepareSearchKey(sjis("学校"), SearchMethod::Forward).keyClass, KeyClass::Other);
    EXPECT_EQ(prepareSearchKey(sjis("　・"), SearchMethod::Forward).keyClass, KeyClass::Other);
    EXPECT_EQ(prepareSearchKey(sjis("〒"), SearchMethod::Forward).keyClass, KeyClass::None);
}

TEST(BookKeyTest, DefaultRulesFoldKanaCaseAndMarks)
{
    // Small っ becomes つ and が loses its voicing.
    EXPECT_EQ(normalized("がっこう").normalized, jisOf("かつこう"));
    EXPECT_EQ(normalized("ガッコウ").normalized, jisOf("かつこう"));
    EXPECT_EQ(normalized("パーティー").normalized, jisOf("はあていい"));
    EXPECT_EQ(normalized("ヴァイオリン").normalized, jisOf("うあいおりん"));
    EXPECT_EQ(normalized("ヵ月").normalized, jisOf("か月"));
    EXPECT_EQ(normalized("apple").normalized, jisOf("ＡＰＰＬＥ"));
    EXPECT_EQ(normalized("αω").normalized, jisOf("ΑΩ"));
    // The filtered key keeps what normalisation changes, without what it deletes outright.
    EXPECT_EQ(normalized("がっ、こう").filtered, jisOf("がっこう"));
}

TEST(BookKeyTest, KeyOfSpacesAndMiddleDotsNormalisesToNothing)
{
    const SearchKey key = normalized("　・　・");
    EXPECT_TRUE(key.normalized.empty());
    EXPECT_EQ(key.filtered, jisOf("・・"));
}

TEST(BookKeyTest, FlagsInForceSwitchRulesOff)
{
    // The key style FreePWING writes: katakana, small kana and voicing kept, lower case folded.
    const KeyStyle freePwing{true, 0x41, 0x55, 0x54};
    EXPECT_EQ(normalized("ガッコウ", freePwing).normalized, jisOf("ガッコウ"));
    EXPECT_EQ(normalized("apple", freePwing).normalized, jisOf("ＡＰＰＬＥ"));
    EXPECT_EQ(normalized("データ", freePwing).normalized, jisOf("データ"));
    // Flags not in force: every rule applies, whatever the flag bytes say.
    const KeyStyle ignored{false, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(normalized("データ", ignored).normalized, jisOf("てえた"));
    // Katakana kept (first flag 0x40 and up) and the long-vowel mark deleted (low bits 2).
    EXPECT_EQ(normalized("データ", {true, 0x42, 0, 0}).normalized, jisOf("テタ"));
}

TEST(BookKeyTest, BackwardSearchReversesBeforeNormalising)
{
    const SearchKey forward = normalized("ism");
    const SearchKey backward = normalized("ism", {}, SearchMethod::Backward);
    EXPECT_EQ(backward.entered, jisOf("ｍｓｉ"));
    EXPECT_EQ(backward.normalized, jisOf("ＭＳＩ"));
    EXPECT_EQ(forward.normalized, jisOf("ＩＳＭ"));
    // Reversed first, the long-vowel mark has nothing before it and stays.
    EXPECT_EQ(normalized("カー", {}, SearchMethod::Backward).normalized, jisOf("ーか"));
    EXPECT_EQ(normalized("カー").normalized, jisOf("かあ"));
}

} // namespace
} // namespace yv::book
