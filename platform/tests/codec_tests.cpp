#include <platform/codec.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace yv::codec {
namespace {

const std::string kFffd = "\uFFFD";

// Every decoder must hand back well-formed UTF-8; the pass-through path rewrites anything else.
bool isWellFormedUtf8(const std::string& s)
{
    return toUtf8(s, TextEncoding::Utf8) == s;
}

std::string twoBytes(unsigned code)
{
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

const std::array<std::string, 3> kTexts{
    "明日の会議は午後3時からです。資料（PDF）を事前にご確認ください。よろしくお願いします！",
    "「翻訳メモリ」の設定を変更しました。詳細は README.txt を参照してください。\n"
    "対象: 第2章～第5章、用語集（約1,200語）",
    "山田太郎\n鈴木一郎\n東京都千代田区",
};

const std::array<std::string, 7> kWords{"日本語", "はい", "東京", "テスト", "漢字", "こんにちは", "翻訳 メモ"};

TEST(Cp932, RoundTripsJapaneseTextAndKeepsAsciiAsIs)
{
    EXPECT_EQ(utf8ToCp932("日本語"), "\x93\xFA\x96\x7B\x8C\xEA");
    for (const std::string& text : kTexts)
        EXPECT_EQ(cp932ToUtf8(utf8ToCp932(text)), text);
    // 0x5C and 0x7E are backslash and tilde, not yen sign and overline.
    EXPECT_EQ(cp932ToUtf8("C:\\temp\\~a.txt"), "C:\\temp\\~a.txt");
    EXPECT_EQ(utf8ToCp932("C:\\temp\\~a.txt"), "C:\\temp\\~a.txt");
    EXPECT_EQ(utf8ToCp932("¥"), "\\"); // as Windows writes it
}

TEST(Cp932, RoundTripsNecAndIbmExtensionsAndWaveDash)
{
    EXPECT_EQ(cp932ToUtf8("\x87\x40"), "①");
    EXPECT_EQ(utf8ToCp932("①"), "\x87\x40");
    EXPECT_EQ(cp932ToUtf8("\xFA\x5C"), "纊");
    EXPECT_EQ(utf8ToCp932("纊"), "\xFA\x5C");
    EXPECT_EQ(cp932ToUtf8("\xED\x40"), "纊"); // the NEC-selected copy reads the same
    EXPECT_EQ(cp932ToUtf8("\x81\x60"), "～");
    EXPECT_EQ(utf8ToCp932("～"), "\x81\x60");
    EXPECT_EQ(utf8ToCp932("〜"), "\x81\x60");
}

TEST(Cp932, ReplacesWhatItCannotHoldWithGeta)
{
    EXPECT_EQ(utf8ToCp932("a😀b"), "a" + std::string(kCp932Replacement) + "b");
    EXPECT_EQ(utf8ToCp932("\u00A0"), kCp932Replacement);
    EXPECT_EQ(utf8ToCp932("café"), "caf" + std::string(kCp932Replacement));
    EXPECT_EQ(utf8ToCp932("x\xC3"), "x" + std::string(kCp932Replacement));
    EXPECT_EQ(utf8ToCp932("\xE3\x81" "a"), std::string(kCp932Replacement) + "a");
    EXPECT_EQ(utf8ToCp932("\xFF\xFE"), std::string(kCp932Replacement) + std::string(kCp932Replacement));
}

TEST(Cp932, MarksInvalidBytesAndKeepsTheRest)
{
    EXPECT_EQ(cp932ToUtf8("abc\x82"), "abc" + kFffd);            // lead byte cut off at the end
    EXPECT_EQ(cp932ToUtf8("\x82\n\x82\xA0"), kFffd + "\nあ");   // bad trail: the newline survives
    EXPECT_EQ(cp932ToUtf8("\x85\x40x"), kFffd + "x");            // empty row: one mark for the pair
    EXPECT_EQ(cp932ToUtf8("\x80\xA0\xFD\xFE\xFF"), kFffd + kFffd + kFffd + kFffd + kFffd);
}

TEST(Cp932, SurvivesEveryPairAndReencodesStably)
{
    for (unsigned code = 0; code <= 0xFFFF; ++code) {
        const std::string bytes = twoBytes(code);
        const std::string utf8 = cp932ToUtf8(bytes);
        ASSERT_TRUE(isWellFormedUtf8(utf8)) << std::hex << code;
        const std::string again = cp932ToUtf8(utf8ToCp932(utf8));
        if (utf8.find(kFffd) == std::string::npos) {
            ASSERT_EQ(again, utf8) << std::hex << code;
        }
    }
}

TEST(JisShiftJis, ConvertsBothWays)
{
    const std::array<std::pair<std::uint16_t, std::uint16_t>, 7> pairs{{
        {0x2422, 0x82A0}, // あ
        {0x3021, 0x889F}, // 亜
        {0x7424, 0xEAA2}, // 瑤
        {0x7426, 0xEAA4}, // 熙
        {0x2121, 0x8140},
        {0x2160, 0x8180}, // odd row, upper half: the trail skips 0x7F
        {0x7E7E, 0xEFFC},
    }};
    for (const auto& [jis, sjis] : pairs) {
        EXPECT_EQ(jisToSjis(jis), sjis) << std::hex << jis;
        EXPECT_EQ(sjisToJis(sjis), jis) << std::hex << sjis;
    }
    for (const std::uint16_t jis : {0x0000, 0x2020, 0x217F, 0x7F21, 0x2120, 0xFFFF})
        EXPECT_EQ(jisToSjis(jis), 0) << std::hex << jis;
    for (const std::uint16_t sjis : {0x0000, 0x8000, 0x8139, 0x817F, 0x81FD, 0xA0A0, 0xB1B1, 0xF040, 0xFA5C})
        EXPECT_EQ(sjisToJis(sjis), 0) << std::hex << sjis;
}

TEST(JisShiftJis, CoversTheGridAndAgreesWithTheCodePages)
{
    for (unsigned row = 0x21; row <= 0x7E; ++row) {
        for (unsigned cell = 0x21; cell <= 0x7E; ++cell) {
            const auto jis = static_cast<std::uint16_t>(row << 8 | cell);
            const std::uint16_t sjis = jisToSjis(jis);
            ASSERT_EQ(sjisToJis(sjis), jis) << std::hex << jis;
            // Up to row 0x74 (the end of level-2 kanji) CP932 and EUC-JP name the same characters.
            if (row <= 0x74) {
                ASSERT_EQ(cp932ToUtf8(twoBytes(sjis)), toUtf8(twoBytes(jis | 0x8080), TextEncoding::EucJp))
                    << std::hex << jis;
            }
        }
    }
}

void expectDetected(const std::string& bytes, TextEncoding expected)
{
    EXPECT_STREQ(encodingName(detectEncoding(bytes)), encodingName(expected));
}

TEST(DetectEncoding, ReadsByteOrderMarksAndEscapes)
{
    expectDetected("\xEF\xBB\xBF" "abc", TextEncoding::Utf8Bom);
    expectDetected("\xFF\xFE" "a", TextEncoding::Utf16LE);
    expectDetected("\xFE\xFF", TextEncoding::Utf16BE);
    expectDetected("", TextEncoding::Ascii);
    expectDetected("plain text\r\n\x1B[0m", TextEncoding::Ascii);
    expectDetected("\x1B$B$3$s$K$A$O\x1B(B", TextEncoding::Iso2022Jp);
    expectDetected("\x1B$(D\x30\x21\x1B(B", TextEncoding::Iso2022Jp);
}

TEST(DetectEncoding, RecognisesRealisticTextAndShortWords)
{
    expectDetected("\x93\xFA\x96\x7B\x8C\xEA", TextEncoding::Cp932);
    expectDetected("\xC6\xFC\xCB\xDC\xB8\xEC", TextEncoding::EucJp);
    std::vector<std::string> samples(kTexts.begin(), kTexts.end());
    samples.insert(samples.end(), kWords.begin(), kWords.end());
    for (const std::string& text : samples) {
        SCOPED_TRACE(text);
        for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Cp932, TextEncoding::EucJp,
                                            TextEncoding::Iso2022Jp, TextEncoding::Utf16BE}) {
            expectDetected(fromUtf8(text, encoding), encoding);
        }
    }
}

TEST(DetectEncoding, ToleratesTextCutOffMidCharacter)
{
    expectDetected(std::string(kTexts[0]).substr(0, kTexts[0].size() - 1), TextEncoding::Utf8);
    expectDetected(utf8ToCp932(kTexts[0]).substr(0, 5), TextEncoding::Cp932);
    expectDetected(fromUtf8(kTexts[0], TextEncoding::EucJp).substr(0, 5), TextEncoding::EucJp);
    expectDetected("\xFF\xFF\xFF", TextEncoding::Cp932); // fits nothing
}

TEST(TextEncodings, WriteBackTheBytesTheyRead)
{
    const std::string iso2022 = "\x1B$B$3$s$K$A$O\x1B(B\r\n\x1B$B-!\x1B(I1\x1B(B";
    EXPECT_EQ(toUtf8(iso2022, TextEncoding::Iso2022Jp), "こんにちは\r\n①ｱ");
    EXPECT_EQ(fromUtf8(toUtf8(iso2022, TextEncoding::Iso2022Jp), TextEncoding::Iso2022Jp), iso2022);

    const std::string text = kTexts[1] + "①～ｱ髙\\~";
    for (const TextEncoding encoding : {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::Utf16LE,
                                        TextEncoding::Utf16BE, TextEncoding::Cp932, TextEncoding::EucJp,
                                        TextEncoding::Iso2022Jp}) {
        SCOPED_TRACE(encodingName(encoding));
        const std::string bytes = fromUtf8(text, encoding);
        EXPECT_EQ(toUtf8(bytes, encoding), text);
        EXPECT_EQ(fromUtf8(toUtf8(bytes, encoding), encoding), bytes);
        EXPECT_EQ(toCp932(bytes, encoding), utf8ToCp932(text));
    }
}

TEST(TextEncodings, HandleByteOrderMarksAndAsciiFiles)
{
    EXPECT_EQ(toUtf8("\xEF\xBB\xBF" "abc", TextEncoding::Utf8Bom), "abc");
    EXPECT_EQ(toUtf8("\xEF\xBB\xBF" "abc", TextEncoding::Utf8), "abc");
    EXPECT_EQ(toUtf8(std::string("\xFE\xFF" "a\0", 4), TextEncoding::Utf16LE), "\xEF\xBF\xBE" "a"); // not its BOM
    EXPECT_EQ(toUtf8(std::string("\xFF\xFE" "a\0", 4), TextEncoding::Utf16LE), "a");
    EXPECT_EQ(fromUtf8("a", TextEncoding::Utf8Bom), "\xEF\xBB\xBF" "a");
    EXPECT_EQ(fromUtf8("a", TextEncoding::Utf16BE), std::string("\xFE\xFF\0a", 4));
    // A character typed into an ASCII file is kept, as UTF-8.
    EXPECT_EQ(fromUtf8("naïve", TextEncoding::Ascii), "naïve");
    EXPECT_EQ(toUtf8("ok\xFF", TextEncoding::Ascii), "ok" + kFffd);
}

TEST(TextEncodings, Utf16KeepsPairsAndMarksBrokenUnits)
{
    const std::string le = fromUtf8("a😀", TextEncoding::Utf16LE);
    EXPECT_EQ(le, std::string("\xFF\xFE" "a\0\x3D\xD8\x00\xDE", 8));
    EXPECT_EQ(toUtf8(le, TextEncoding::Utf16LE), "a😀");
    EXPECT_EQ(toUtf8(std::string("\x00\xD8\x61\x00", 4), TextEncoding::Utf16LE), kFffd + "a");
    EXPECT_EQ(toUtf8(std::string("\x61\x00\x62", 3), TextEncoding::Utf16LE), "a" + kFffd);
}

TEST(TextEncodings, Iso2022JpMarksWhatItCannotReadAndRecovers)
{
    EXPECT_EQ(toUtf8("\x1B$(D\x30\x21\x1B(B", TextEncoding::Iso2022Jp), "丂");
    EXPECT_EQ(toUtf8("a\x1B[0mb", TextEncoding::Iso2022Jp), "a" + kFffd + "[0mb");
    EXPECT_EQ(toUtf8("\x1B$(Q\x21\x21\x21\x21\x1B(Bok", TextEncoding::Iso2022Jp), kFffd + kFffd + "ok");
    EXPECT_EQ(toUtf8("\x1B$B$\"\x85$", TextEncoding::Iso2022Jp), "あ" + kFffd + kFffd);
    EXPECT_EQ(toUtf8("\x1B$B)!\n", TextEncoding::Iso2022Jp), kFffd + "\n"); // empty row
    EXPECT_EQ(fromUtf8("あ\nい", TextEncoding::Iso2022Jp), "\x1B$B$\"\x1B(B\n\x1B$B$$\x1B(B");
    EXPECT_EQ(fromUtf8("😀", TextEncoding::Iso2022Jp), "\x1B$B\".\x1B(B");
}

TEST(TextEncodings, ToCp932KeepsCp932BytesAsGiven)
{
    const std::string broken = "\x82\xA0\x82";
    EXPECT_EQ(toCp932(broken, TextEncoding::Cp932), broken);
    EXPECT_EQ(toCp932("\xA4\xA2\xFF", TextEncoding::EucJp), "\x82\xA0" + std::string(kCp932Replacement));
}

TEST(TextEncodings, ConvertFromSeveralThreadsAtOnce)
{
    const std::string euc = fromUtf8(kTexts[0], TextEncoding::EucJp);
    const std::string sjis = utf8ToCp932(kTexts[0]);
    std::vector<int> failures(8, 0);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < failures.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (toUtf8(euc, TextEncoding::EucJp) != kTexts[0] || cp932ToUtf8(sjis) != kTexts[0]
                    || utf8ToCp932(kTexts[0]) != sjis)
                    ++failures[t];
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures, std::vector<int>(failures.size(), 0));
}

} // namespace
} // namespace yv::codec
