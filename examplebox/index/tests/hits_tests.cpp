// Phrase search: characters of Japanese lines, words of English lines.
#include <exampleindex/index.h>
#include <exampleindex/sampletext.h>

#include "indexfixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace {

using namespace yv::exampleindex;
using yv::exampleindex::testing::IndexFixture;
using yv::exampleindex::testing::collectHits;
using yv::exampleindex::testing::sjis;

class ExampleIndexSearch : public ::testing::Test, public IndexFixture {};

TEST_F(ExampleIndexSearch, ALineWithFewDoubleByteCharactersIsSearchedByWords)
{
    addAll({writeDocument("a.sam", {"T", "", "abcdefghij漢字", "abcdefghij漢字語"})});
    // 28 percent: English, one word; 37 percent: Japanese, by characters.
    EXPECT_EQ(hits("ABCDEFGHIJ漢字"), std::vector<Posting>{makePosting(0, 2, 0)});
    EXPECT_EQ(hits("漢字"), std::vector<Posting>{makePosting(0, 3, 10)});
}

TEST_F(ExampleIndexSearch, TwoWordKeysStayWithinALine)
{
    addAll({writeDocument("a.sam", {"Hello, World of tests", "hello", "world again", "say HELLO world."})});
    const std::vector<Posting> expected = {makePosting(0, 0, 0), makePosting(0, 3, 1)};
    EXPECT_EQ(hits("hello world"), expected);
    EXPECT_EQ(hits("HELLO   World  "), expected);
    EXPECT_TRUE(hits("world hello").empty());
    EXPECT_TRUE(hits("hello nothing").empty());
    // The key ends before punctuation that follows a word.
    EXPECT_EQ(hits("tests, please").size(), 1u);
    EXPECT_EQ(hits("world").size(), 3u);
}

TEST_F(ExampleIndexSearch, JapaneseKeysAreCharacterPhrasesWithinALine)
{
    addAll({writeDocument("a.sam", {"今日は晴れ", "天気がいい", "ペンとペン", "ABC商品"})});
    EXPECT_EQ(hits("天気"), std::vector<Posting>{makePosting(0, 1, 0)});
    EXPECT_TRUE(hits("晴れ天").empty());
    EXPECT_TRUE(hits("れ天").empty());  // end of one line, start of the next
    EXPECT_EQ(hits("ペン"), (std::vector<Posting>{makePosting(0, 2, 0), makePosting(0, 2, 3)}));
    EXPECT_EQ(hits("は").size(), 1u);
    // Characters compare exactly; a Japanese line has no words to fall back on.
    EXPECT_EQ(hits("ABC").size(), 1u);
    EXPECT_TRUE(hits("abc").empty());
    EXPECT_TRUE(hits("").empty());
}

// A slow search straight over the (Shift_JIS) lines, for comparison.
std::vector<Posting> referenceHits(const std::vector<std::vector<std::string>>& documents,
                                   const std::vector<int>& ids, const std::string& key)
{
    std::vector<Posting> characterHits;
    std::vector<Posting> wordHits;
    const auto keyWords = splitEnglishWords(key);
    for (std::size_t d = 0; d < documents.size(); ++d) {
        if (ids[d] < 0)
            continue;
        for (std::size_t l = 0; l < documents[d].size(); ++l) {
            const std::string& line = documents[d][l];
            if (!isIndexedLine(line))
                continue;
            if (isEnglishLine(line)) {
                const auto words = splitEnglishWords(line);
                for (std::size_t w = 0; w + keyWords.size() <= words.size() && !keyWords.empty(); ++w) {
                    bool all = true;
                    for (std::size_t k = 0; k < keyWords.size(); ++k)
                        all = all && foldCase(words[w + k]) == foldCase(keyWords[k]);
                    if (all)
                        wordHits.push_back(makePosting(ids[d], static_cast<int>(l), static_cast<int>(w)));
                }
            } else {
                int position = 0;
                for (std::size_t i = 0; i < line.size(); i += characterAt(line, i).length, ++position) {
                    if (line.compare(i, key.size(), key) == 0)
                        characterHits.push_back(makePosting(ids[d], static_cast<int>(l), position));
                }
            }
        }
    }
    std::sort(characterHits.begin(), characterHits.end());
    std::sort(wordHits.begin(), wordHits.end());
    characterHits.insert(characterHits.end(), wordHits.begin(), wordHits.end());
    return characterHits;
}

TEST_F(ExampleIndexSearch, HitsMatchAPlainScanAfterDocumentsComeAndGo)
{
    const std::vector<std::string> characters = {"日", "本", "語", "の", "例", "文", "を", "探", "す", "。"};
    const std::vector<std::string> words = {"the", "The", "cat", "sat", "on", "mat", "a", "dog"};
    std::mt19937 random(20240611);
    auto pick = [&](const std::vector<std::string>& from) { return from[random() % from.size()]; };
    std::vector<std::vector<std::string>> documents(40);
    for (auto& lines : documents) {
        for (int l = 0; l < 12; ++l) {
            std::string line;
            const bool english = random() % 2 == 0;
            for (int n = 0; n < 10; ++n)
                line += english ? pick(words) + (random() % 5 == 0 ? ", " : " ") : pick(characters);
            lines.push_back(line);
        }
    }
    std::vector<std::filesystem::path> paths;
    for (std::size_t d = 0; d < documents.size(); ++d)
        paths.push_back(writeDocument("d" + std::to_string(d) + ".sam", documents[d]));

    // Add in a shuffled order, remove some, add others into the freed slots.
    std::vector<int> order(documents.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::shuffle(order.begin(), order.end(), random);
    std::vector<int> ids(documents.size(), -1);
    auto handle = open(Access::ReadWrite);
    for (std::size_t i = 0; i < 30; ++i)
        ids[order[i]] = AddDocument(*handle, paths[order[i]]);
    ASSERT_EQ(CloseIndex(std::move(handle)), kCloseOk);
    handle = open(Access::ReadWrite);
    for (std::size_t i = 0; i < 30; i += 3) {
        ASSERT_TRUE(RemoveDocument(*handle, ids[order[i]]));
        ids[order[i]] = -1;
    }
    for (std::size_t i = 30; i < order.size(); ++i)
        ids[order[i]] = AddDocument(*handle, paths[order[i]]);
    ASSERT_EQ(CloseIndex(std::move(handle)), kCloseOk);

    std::vector<std::vector<std::string>> sjisDocuments;
    for (const auto& lines : documents) {
        sjisDocuments.emplace_back();
        for (const auto& line : lines)
            sjisDocuments.back().push_back(sjis(line));
    }
    handle = open(Access::Read);
    for (int trial = 0; trial < 200; ++trial) {
        std::string key;
        if (trial % 2 == 0) {
            const int length = 1 + static_cast<int>(random() % 4);
            for (int n = 0; n < length; ++n)
                key += pick(characters);
        } else {
            key = pick(words) + (trial % 4 == 1 ? " " + pick(words) : "");
        }
        const std::string sjisKey = sjis(key);
        EXPECT_EQ(collectHits(*handle, sjisKey), referenceHits(sjisDocuments, ids, sjisKey)) << key;
    }
}

} // namespace
