// The result text, rows and counts of a search.
#include "storefixture.h"

#include <examplestore/search.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::examplestore;
using namespace yv::examplestore::testing;
namespace fs = std::filesystem;

class ExampleSearch : public StoreFixture {
protected:
    SearchResult search(std::string_view utf8Key, bool mark = false)
    {
        SampleStore store(dataDir);
        EXPECT_TRUE(store.rebuildIndex(IndexKind::Shipped));
        EXPECT_TRUE(store.rebuildIndex(IndexKind::User));
        return searchExamples(store, sjis(utf8Key), mark);
    }
};

TEST_F(ExampleSearch, ShowsTheLineBeforeOrElseTheLineAfter)
{
    writeDocument(2, 1, {"Weather", "", "It rains today.", "今日は雨です。", "", "Rain again", "", "雨"});
    const SearchResult japanese = search("雨です");
    EXPECT_EQ(japanese.status, SearchStatus::Complete);
    EXPECT_EQ(japanese.text, sjis("It rains today.\r\n今日は雨です。\r\n"));

    const SearchResult english = search("rain", true);
    EXPECT_EQ(english.text, sjis("【Rain】 again\r\n\r\n"));

    // Examples are separated by an empty line; the last line has no line after it.
    const SearchResult both = search("雨");
    EXPECT_EQ(both.text, sjis("It rains today.\r\n今日は雨です。\r\n\r\n雨\r\n"));
    EXPECT_EQ(both.exampleCount, 2);
    EXPECT_EQ(both.documentCount, 1);
    ASSERT_EQ(both.rows.size(), 1u);
    EXPECT_EQ(both.rows[0].title, "Weather");
    EXPECT_EQ(both.rows[0].folderName, "A");
    EXPECT_EQ(both.rows[0].ref, documentRef(2, 1));
}

TEST_F(ExampleSearch, AKeyTwiceInALineGivesOneExample)
{
    writeDocument(2, 1, {"T", "", "ペンとペンとペン", "pen, pen and pen"});
    EXPECT_EQ(search("ペン").exampleCount, 1);
    EXPECT_EQ(search("pen").exampleCount, 1);
}

TEST_F(ExampleSearch, EachDocumentIsListedOnceAcrossPhasesAndIndexes)
{
    // "ABC" is found as characters in the Japanese line and as a word in the English one.
    writeDocument(2, 1, {"Shipped", "", "ABC商品の説明", "ABC is here"});
    writeDocument(4, 10001, {"Mine", "", "ABC商品の説明"});
    const SearchResult result = search("ABC");
    EXPECT_EQ(result.exampleCount, 3);  // the user's line 2 is not the shipped line 2
    EXPECT_EQ(result.documentCount, 2);
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].title, "Shipped");
    EXPECT_EQ(result.rows[1].title, "Mine");
    EXPECT_EQ(result.rows[1].folderName, "B");
}

TEST_F(ExampleSearch, MarksWrapWholeCharactersOnly)
{
    // "ア" is 83 41: its trail byte reads as "A" but is no occurrence of the key.
    const std::string text = sjis("アA a【x】");
    EXPECT_EQ(addMarks(text, "a"), sjis("ア【A】 【a】【x】"));
    EXPECT_EQ(removeMarks(addMarks(text, "a"), "A"), text);
    EXPECT_EQ(addMarks(sjis("ペンとペン"), sjis("ペン")), sjis("【ペン】と【ペン】"));
    EXPECT_EQ(addMarks(text, ""), text);
}

TEST_F(ExampleSearch, StopsBeforeTheResultTextOverflows)
{
    std::vector<std::string> lines = {"Long", ""};
    for (int i = 0; i < 1500; ++i)
        lines.push_back("An example line that talks about the keyword number " + std::to_string(i) + ".");
    writeDocument(2, 1, lines);
    const SearchResult result = search("keyword");
    EXPECT_EQ(result.status, SearchStatus::TooManyHits);
    EXPECT_LE(result.text.size(), kMaxResultTextBytes);
    EXPECT_GT(result.text.size(), kMaxResultTextBytes - 200);
}

TEST_F(ExampleSearch, FollowsMovedDocumentsAndStopsAtMissingOnes)
{
    writeDocument(2, 1, {"One", "", "月が出た"});
    writeDocument(2, 2, {"Two", "", "月が沈んだ"});
    SampleStore store(dataDir);
    ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
    store.moveDocuments({{2, "00000001.sam"}}, node(store, 3));
    SearchResult result = searchExamples(store, sjis("月が"), false);
    ASSERT_EQ(result.rows.size(), 2u);
    EXPECT_EQ(result.rows[0].folderName, "A1");
    EXPECT_EQ(result.rows[0].ref, documentRef(3, 1));

    fs::remove(dataDir / "fd002" / "00000002.sam");
    result = searchExamples(store, sjis("月が"), false);
    EXPECT_EQ(result.status, SearchStatus::DocumentMissing);
    EXPECT_EQ(result.rows.size(), 1u);

    fs::remove(store.indexPath(IndexKind::Shipped));
    EXPECT_EQ(searchExamples(store, sjis("月"), false).status, SearchStatus::NoIndex);
}

} // namespace
