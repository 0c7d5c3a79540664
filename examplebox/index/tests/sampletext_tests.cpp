// How sample text is cut into lines, characters and words.
#include <exampleindex/sampletext.h>

#include "indexfixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace {

using namespace yv::exampleindex;
using yv::exampleindex::testing::sjis;

std::vector<std::string> readThroughFile(const std::string& bytes, std::size_t* bytesRead = nullptr)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), &std::fclose);
    std::fwrite(bytes.data(), 1, bytes.size(), file.get());
    std::rewind(file.get());
    SampleLineReader reader(file.get());
    std::vector<std::string> lines;
    for (std::string line; reader.next(line);)
        lines.push_back(line);
    if (bytesRead)
        *bytesRead = reader.bytesRead();
    return lines;
}

TEST(ExampleText, FilesAndMemoryGiveTheSameLines)
{
    const std::string longAscii(3000, 'a');
    // 'a' and 1024 double-byte characters: the cut at 2048 bytes leaves a lead byte alone.
    std::string splitCharacter = "a";
    for (int i = 0; i < 1024; ++i)
        splitCharacter += sjis("あ");
    const std::string bytes = "title\r\n" + longAscii + "\n" + "x\x82\r\n" + splitCharacter + "\n\n" + "last";
    const std::vector<std::string> expected = {"title", std::string(2048, 'a'), "x",
                                               splitCharacter.substr(0, 2047), "", "last"};
    EXPECT_EQ(splitSampleLines(bytes), expected);
    std::size_t bytesRead = 0;
    EXPECT_EQ(readThroughFile(bytes, &bytesRead), expected);
    EXPECT_EQ(bytesRead, bytes.size());

    // A line of exactly the limit keeps its CR LF off; no extra line after a final LF.
    const std::string exact = std::string(2048, 'b') + "\r\n";
    EXPECT_EQ(splitSampleLines(exact), std::vector<std::string>{std::string(2048, 'b')});
    EXPECT_EQ(readThroughFile(exact), splitSampleLines(exact));

    std::string many;
    for (int i = 0; i < 2100; ++i)
        many += "l\n";
    EXPECT_EQ(splitSampleLines(many).size(), 2048u);
    EXPECT_EQ(readThroughFile(many).size(), 2048u);
    EXPECT_TRUE(splitSampleLines("").empty());
}

TEST(ExampleText, LanguageAndVisibility)
{
    // 10 ASCII letters and 2 kanji: 4 of 14 bytes (28 percent) are double-byte.
    EXPECT_TRUE(isEnglishLine(sjis("abcdefghij漢字")));
    // 14 ASCII and 3 kanji: exactly 30 percent is Japanese.
    EXPECT_FALSE(isEnglishLine(sjis("abcdefghijklmn漢字語")));
    EXPECT_FALSE(isEnglishLine(sjis("ペンです")));

    EXPECT_FALSE(isIndexedLine(sjis(" \t　　 ")));
    EXPECT_FALSE(isIndexedLine(""));
    EXPECT_TRUE(isIndexedLine("."));
    EXPECT_TRUE(isIndexedLine("\xB1"));  // half-width katakana
    EXPECT_TRUE(isIndexedLine(sjis("　あ")));

    EXPECT_TRUE(isBlankLine(sjis(" 　\t\r")));
    EXPECT_FALSE(isBlankLine(sjis("　-")));
}

TEST(ExampleText, WordsAndCaseRespectDoubleByteCharacters)
{
    const std::string line = sjis("Hello, world!(test) [a]b　c  ー:end");
    const auto words = splitEnglishWords(line);
    const std::vector<std::string> expected = {"Hello", "world", "test", "a", "b", "c", sjis("ー"), "end"};
    ASSERT_EQ(words.size(), expected.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        EXPECT_EQ(words[i], expected[i]);  // "ー" ends in the byte of "[" and stays whole

    // "ア" is 83 41: its trail byte is an "A" that must not be folded.
    EXPECT_EQ(foldCase(sjis("ABCア")), "abc" + sjis("ア"));
    EXPECT_TRUE(matchesFoldedAt(sjis("xHeLLo"), 1, "hello"));
    EXPECT_FALSE(matchesFoldedAt(sjis("アイ"), 0, sjis("ア") + "\x83"));
    EXPECT_EQ(sjisPrefixLength(sjis("aあい"), 4), 3u);
    EXPECT_EQ(sjisPrefixLength(sjis("aあい"), 5), 5u);
}

} // namespace
