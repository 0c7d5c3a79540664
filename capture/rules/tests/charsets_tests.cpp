// Character sets, code-page decoding with positions, and width normalisation.
#include <capturerules/charsets.h>
#include <capturerules/codepage.h>
#include <capturerules/widthnormalizer.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace yv::capture;

TEST(CaptureCharSets, CodePageTableUsesTheLowByteAndFallsBackToTheSystem)
{
    EXPECT_EQ(codePageForCharSet(0), 1252);
    EXPECT_EQ(codePageForCharSet(128), 932);
    EXPECT_EQ(codePageForCharSet(0x180), 932);
    EXPECT_EQ(codePageForCharSet(222), 874);
    EXPECT_EQ(codePageForCharSet(1), 0);  // DEFAULT_CHARSET is not in the table
    EXPECT_EQ(resolveCodePage(0), 932);
}

TEST(CaptureCharSets, ClassesDependOnTheCharacterSet)
{
    EXPECT_TRUE(isDbcsRegularChar(128, u'あ'));
    EXPECT_TRUE(isDbcsRegularChar(128, u'ｱ'));
    EXPECT_FALSE(isDbcsRegularChar(128, u'。'));  // U+3002 lies below the kana
    EXPECT_FALSE(isDbcsRegularChar(0, u'あ'));    // other sets: ideographs only
    EXPECT_TRUE(isDbcsRegularChar(0, u'漢'));
    EXPECT_TRUE(isLetter(0, u'é'));
    EXPECT_FALSE(isLetter(128, u'é'));
    EXPECT_FALSE(isLetter(0, u'1'));
    EXPECT_TRUE(isHalfWidthKanaByte(128 + 256, 0xB1));
    EXPECT_FALSE(isHalfWidthKanaByte(128, 0xA0));
    EXPECT_FALSE(isHalfWidthKanaByte(0, 0xB1));
}

TEST(CaptureCharSets, DecodingKeepsTheBytesOfEachCharacter)
{
    // a, ｱ (one byte), ア (83 41), 漢 (8A BF)
    const DecodedText text = decodeUnits(932, "a\xB1\x83\x41\x8A\xBF", 100);
    EXPECT_EQ(text.chars, u"aｱア漢");
    EXPECT_EQ(text.offsets, (std::vector<std::uint32_t>{0, 1, 2, 4, 6}));
    EXPECT_EQ(text.unitAt(3), 2u);  // the trail byte belongs to ア
    EXPECT_EQ(text.unitAt(6), 4u);  // past the end

    // A lead byte before the end or a NUL stands alone and reads as undecodable.
    EXPECT_EQ(decodeUnits(932, "a\x83", 100).chars, u"a\uFFFD");
    EXPECT_EQ(decodeUnits(932, std::string_view("\x83\0\x41", 3), 100).chars, u"\uFFFD");
    EXPECT_EQ(decodeUnits(932, "abc", 2).chars, u"ab");

    EXPECT_EQ(decodeUnits(1252, "\x80\x92", 10).chars, u"€’");
    EXPECT_EQ(decodeUnits(936, "\xC4\xE3", 10).chars, u"你");
}

TEST(CaptureCharSets, EncodingAndCuttingRespectDoubleByteCharacters)
{
    EXPECT_EQ(encodeChar(932, u'ア'), "\x83\x41");
    EXPECT_EQ(encodeChar(932, u'A'), "A");
    EXPECT_EQ(encodeChar(1252, u'ア'), "");
    EXPECT_EQ(prefixAtCharBoundary(932, "a\x8A\xBF" "b", 2), 1u);
    EXPECT_EQ(prefixAtCharBoundary(932, "a\x8A\xBF" "b", 3), 3u);
    EXPECT_EQ(prefixAtCharBoundary(1252, "a\x8A\xBF" "b", 2), 2u);
}

TEST(CaptureWidth, FullWidthAsciiAndLookAlikesBecomeAscii)
{
    std::u16string text = u"Ｈｅｌｌｏ！\uFF5E\u3000it\u2019s \u2032 \u2571";
    normalizeWidth(text);
    EXPECT_EQ(text, u"Hello!~ it's ' /");
}

TEST(CaptureWidth, HalfWidthKanaBecomeFullWidthOneForOne)
{
    std::u16string text = u"｡｢｣､･ｦｧｯｰｱｶﾞﾊﾟﾝ";
    normalizeWidth(text);
    // The sound marks stay separate characters, so that positions keep.
    EXPECT_EQ(text, u"。「」、・ヲァッーアカ゛ハ゜ン");
    EXPECT_EQ(normalizedWidth(u'ﾞ'), u'゛');
    EXPECT_EQ(normalizedWidth(u'ﾟ'), u'゜');
    EXPECT_EQ(normalizedWidth(u'\uFFA0'), u'\uFFA0');
}

TEST(CaptureWidth, BytesAreNormalisedInTheirCodePage)
{
    // ﾃｽﾄ Ａ -> テスト A; an undefined byte pair (85 40) is kept as it was.
    EXPECT_EQ(normalizeWidthBytes(932, "\xC3\xBD\xC4 \x82\x60\x85\x40", 512),
              "\x83\x65\x83\x58\x83\x67 A\x85\x40");
    EXPECT_EQ(normalizeWidthBytes(1252, "it\x92s", 512), "it's");
}

TEST(CaptureWidth, WideningStopsWhereTheBufferWouldOverflow)
{
    // Three half-width kana in a 5-byte buffer (4 bytes and the zero): the first widens, the
    // rest keep their single bytes so that nothing is lost.
    EXPECT_EQ(normalizeWidthBytes(932, "\xB1\xB2\xB3", 5), "\x83\x41\xB2\xB3");
    EXPECT_EQ(normalizeWidthBytes(932, "\xB1\xB2\xB3", 4), "\xB1\xB2\xB3");
}

} // namespace
