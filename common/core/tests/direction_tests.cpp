// Direction detection over texts, text files and HTML files.
#include <etccore/direction.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using yv::etc::htmlDirection;
using yv::etc::textDirection;

const std::string kKanji = "\x8A\xBF";  // 漢
const std::string kHalfKana = "\xB1";  // ｱ

TEST(TextDirection, TwiceJapaneseMustExceedTheRest)
{
    EXPECT_EQ(textDirection(""), 1);
    EXPECT_EQ(textDirection("abc"), 1);
    EXPECT_EQ(textDirection(kKanji + "ab"), 1);  // 2 x 1 = 2 is no majority
    EXPECT_EQ(textDirection(kKanji + "a"), 2);
    EXPECT_EQ(textDirection(kHalfKana + "a"), 2);
    EXPECT_EQ(textDirection(" \t\r\n\v\f"), 1);
    EXPECT_EQ(textDirection("  " + kKanji + "\r\n x \n"), 2);
}

TEST(TextDirection, TrailByteIsNotCountedAgain)
{
    // 0x8A 0x41: the trail byte is an ASCII letter and must not count as English.
    EXPECT_EQ(textDirection("\x8A\x41" "a"), 2);
}

TEST(TextDirection, LeadByteAtTheEndStaysInsideTheText)
{
    const std::string text = "a\x8A";
    EXPECT_EQ(textDirection(std::string_view(text)), 2);
    EXPECT_EQ(textDirection(std::string_view("ab\x8A\0zzzz", 8)), 1);  // stops at the NUL
}

class FileDirection : public ::testing::Test {
protected:
    std::string path(const std::string& name, const std::string& bytes)
    {
        home.writeFile(name, bytes);
        return (home.dir() / name).string();
    }
    yv::testing::TestHome home;
};

TEST_F(FileDirection, TextFileLooksAtTheFirst200Lines)
{
    std::string lines;
    for (int i = 0; i < 201; ++i)
        lines += "plain English line\r\n";
    EXPECT_EQ(yv::etc::textFileDirection(path("late.txt", lines + kKanji + "\r\n")), 1);

    std::string early;
    for (int i = 0; i < 200; ++i)
        early += "line\n";
    EXPECT_EQ(yv::etc::textFileDirection(path("edge.txt", early + kKanji)), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("empty.txt", "")), 1);
    EXPECT_EQ(yv::etc::textFileDirection(path("kana.txt", kHalfKana)), 1);  // no lead byte
    EXPECT_EQ(yv::etc::textFileDirection(home.dir() / "missing.txt"), 0);
    EXPECT_EQ(yv::etc::textFileDirection(home.dir()), 0);
}

TEST_F(FileDirection, Utf8TextIsReadByCharacters)
{
    // Punctuation and accented letters of English text are not Japanese, although their first
    // bytes are CP932 lead bytes (’ is E2 80 99).
    EXPECT_EQ(yv::etc::textFileDirection(path("quote.txt", "It\u2019s here.\n")), 1);
    EXPECT_EQ(yv::etc::textFileDirection(path("accents.txt", "Caf\u00e9 na\u00efve \u2014 \u201cso\u201d\u2026\n")), 1);
    EXPECT_EQ(yv::etc::textFileDirection(path("bom.txt", "\xEF\xBB\xBFIt\u2019s here.\r\n")), 1);

    EXPECT_EQ(yv::etc::textFileDirection(path("kanji.txt", "Word: \u65e5\u672c\u8a9e\n")), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("kana.txt", "It\u2019s \uff76\uff80\uff76\uff85\n")), 2);  // ｶﾀｶﾅ
    EXPECT_EQ(yv::etc::textFileDirection(path("fullwidth.txt", "\uff21\uff22\uff23\n")), 2);  // ＡＢＣ
    EXPECT_EQ(yv::etc::textFileDirection(path("punct.txt", "\u3002\n")), 2);  // 。

    // Only the first 200 lines count, as for CP932 text.
    std::string lines;
    for (int i = 0; i < 201; ++i)
        lines += "It\u2019s an English line.\n";
    EXPECT_EQ(yv::etc::textFileDirection(path("late.txt", lines + "\u65e5\u672c\n")), 1);

    // Bytes that are not UTF-8 after all are read as code page 932: the lead byte counts.
    EXPECT_EQ(yv::etc::textFileDirection(path("mixed.txt", "It\u2019s \x93\xFA\n")), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("cut.txt", "It\u2019s\xE2\x80")), 2);
}

TEST_F(FileDirection, OtherJapaneseEncodings)
{
    // EUC-JP 日本語: its bytes include CP932 lead bytes.
    EXPECT_EQ(yv::etc::textFileDirection(path("euc.txt", "\xC6\xFC\xCB\xDC\xB8\xEC\n")), 2);
    // ISO-2022-JP is seven-bit: the escape into the two-byte set tells.
    EXPECT_EQ(yv::etc::textFileDirection(path("jis.txt", "\x1B$B$3$s\x1B(B\n")), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("jiskana.txt", "\x1B(I123\x1B(B\n")), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("esc.txt", "\x1B[1mbold\x1B[0m\n")), 1);
    // UTF-16 with a byte-order mark: こ (U+3053) has no CP932 lead byte among its bytes.
    EXPECT_EQ(yv::etc::textFileDirection(path("utf16le.txt", std::string("\xFF\xFE\x53\x30\x0A\x00", 6))), 2);
    EXPECT_EQ(yv::etc::textFileDirection(path("utf16be.txt", std::string("\xFE\xFF\x00" "a\x20\x19", 6))), 1);
}

TEST(HtmlDirection, FrameSetInAnyCase)
{
    EXPECT_EQ(htmlDirection("<html>\n<FrameSet cols=\"50%\">\n"), -1);
    EXPECT_EQ(htmlDirection("<p>" + kKanji + kKanji + "</p>\n<FRAMESET>"), -1);
    EXPECT_EQ(htmlDirection("<frame src=x>"), 1);
}

TEST(HtmlDirection, JapaneseOnlyInsideTagsCountsAsEnglish)
{
    EXPECT_EQ(htmlDirection("<p title=\"" + kKanji + kKanji + kKanji + "\">text</p>\n"), 1);
    EXPECT_EQ(htmlDirection(""), 1);
    EXPECT_EQ(htmlDirection("\n\n\n"), 1);
}

TEST(HtmlDirection, SixPercentIsJapanese)
{
    // 100 counted characters: n Japanese (each one character) and 100 - n letters.
    const auto page = [&](int japanese) {
        std::string text;
        for (int i = 0; i < japanese; ++i)
            text += kKanji;
        return text + std::string(static_cast<std::size_t>(100 - japanese), 'x') + "\n";
    };
    EXPECT_EQ(htmlDirection(page(6)), 2);
    EXPECT_EQ(htmlDirection(page(5)), 1);
}

TEST(HtmlDirection, JisEscapesCountPairsAsJapanese)
{
    // ESC $ B, two JIS characters (4 bytes), ESC ( B, then 20 letters: 2 of 22 counted.
    EXPECT_EQ(htmlDirection("\x1B$B$3$s\x1B(B" + std::string(20, 'a') + "\n"), 2);
}

TEST(HtmlDirection, LineEndsAndLongLines)
{
    // CR LF reads as LF, so CRs are never counted: 1 of 16 counted characters is 6 percent.
    std::string page = kKanji + "\r\n";
    for (int i = 0; i < 15; ++i)
        page += "a\r\n";
    EXPECT_EQ(htmlDirection(page), 2);

    // A line far longer than one piece is read through to its end.
    std::string longLine(10000, 'x');
    for (int i = 0; i < 700; ++i)
        longLine += kKanji;
    EXPECT_EQ(htmlDirection(longLine + "\n"), 2);
    EXPECT_EQ(htmlDirection(std::string(10000, 'x') + kKanji + "\n"), 1);
}

TEST_F(FileDirection, HtmlFileReadsLikeTheText)
{
    EXPECT_EQ(yv::etc::htmlFileDirection(path("a.html", "<html><body>" + kKanji + "</body></html>")), 2);
    EXPECT_EQ(yv::etc::htmlFileDirection(path("b.html", "<frameset>")), -1);
    EXPECT_EQ(yv::etc::htmlFileDirection(home.dir() / "none.html"), 0);
}

} // namespace
