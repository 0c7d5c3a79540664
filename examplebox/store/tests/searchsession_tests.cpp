// A session that keeps the indexes open between searches: it reopens only what changed on
// disk, lets writers in when released, follows moved documents and stops when asked.
#include "storefixture.h"

#include <examplestore/search.h>
#include <examplestore/searchsession.h>

#include <gtest/gtest.h>

#include <atomic>

namespace {

using namespace yv::examplestore;
using namespace yv::examplestore::testing;
namespace fs = std::filesystem;
namespace ix = yv::exampleindex;

class WarmSession : public StoreFixture {
protected:
    void SetUp() override
    {
        writeDocument(2, 1, {"Rain", "", "It rains every day.", "毎日雨が降る。"});
        writeDocument(4, 10001, {"Mine", "", "Every day is new.", "毎日が新しい。"});
        SampleStore store(dataDir);
        ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
        ASSERT_TRUE(store.rebuildIndex(IndexKind::User));
        folders = folderNamesOf(store.tree());
    }

    FolderNames folders;
};

TEST_F(WarmSession, OpensEachIndexOnceAndAnswersAsTheOneShotSearch)
{
    SearchSession session(dataDir);
    const SearchResult first = searchExamples(session, folders, sjis("毎日"), true);
    EXPECT_EQ(session.opens(), 2);
    for (int i = 0; i < 3; ++i)
        searchExamples(session, folders, sjis("every day"), false);
    EXPECT_EQ(session.opens(), 2) << "a warm search opens nothing";

    const SearchResult oneShot = searchExamples(SampleStore(dataDir), sjis("毎日"), true);
    EXPECT_EQ(first.text, oneShot.text);
    EXPECT_EQ(first.exampleCount, 2);
    ASSERT_EQ(first.rows.size(), 2u);
    EXPECT_EQ(first.rows[0].folderName, "A");
    EXPECT_EQ(first.rows[1].folderName, "B");
}

TEST_F(WarmSession, WritersGetInAfterReleaseAndTheSessionSeesTheirWork)
{
    SearchSession session(dataDir);
    ASSERT_EQ(searchExamples(session, folders, sjis("zebrafish"), false).exampleCount, 0);
    // While the session reads, the user index cannot be written.
    EXPECT_FALSE(ix::OpenIndex(dataDir / "User.idx", ix::Access::ReadWrite).handle);

    session.release();
    SampleStore store(dataDir);
    const auto prepared = std::get<PreparedDocument>(
        [&] {
            const fs::path file = home.dir() / "new.txt";
            std::ofstream(file, std::ios::binary) << "Fish\n\nA zebrafish swims.\n";
            return store.prepareDocument(file);
        }());
    ASSERT_TRUE(store.addDocument(node(store, 4), prepared));
    EXPECT_EQ(searchExamples(session, folders, sjis("zebrafish"), false).exampleCount, 1);

    // Another program's rebuild replaces the file under an open session: it is read anew.
    const int opens = session.opens();
    ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
    EXPECT_EQ(searchExamples(session, folders, sjis("rains"), false).exampleCount, 1);
    EXPECT_EQ(session.opens(), opens + 1);
}

TEST_F(WarmSession, FollowsDocumentsMovedBetweenSearches)
{
    SearchSession session(dataDir);
    ASSERT_EQ(searchExamples(session, folders, sjis("rains"), false).rows.at(0).ref, documentRef(2, 1));
    SampleStore store(dataDir);
    store.moveDocuments({{2, "00000001.sam"}}, node(store, 3));
    const SearchResult moved = searchExamples(session, folders, sjis("rains"), false);
    EXPECT_EQ(moved.status, SearchStatus::Complete);
    EXPECT_EQ(moved.rows.at(0).ref, documentRef(3, 1));
    EXPECT_EQ(moved.rows.at(0).folderName, "A1");
}

TEST_F(WarmSession, ADocumentEditedBetweenSearchesIsReadAgain)
{
    SearchSession session(dataDir);
    ASSERT_EQ(searchExamples(session, folders, sjis("rains"), false).text, sjis("It rains every day.\r\n毎日雨が降る。\r\n"));
    // The index still points at line 2; what is shown there is what the file holds now.
    writeDocument(2, 1, {"Rain", "", "It pours every day, all day long.", "毎日どしゃ降り。"});
    EXPECT_EQ(searchExamples(session, folders, sjis("rains"), false).text,
              sjis("It pours every day, all day long.\r\n毎日どしゃ降り。\r\n"));
}

TEST_F(WarmSession, AStopRequestEndsTheSearchWithWhatItHas)
{
    std::vector<std::string> lines = {"Many", ""};
    for (int i = 0; i < 200; ++i)
        lines.push_back("Line " + std::to_string(i) + " of the fish.");
    writeDocument(2, 2, lines);
    ASSERT_TRUE(SampleStore(dataDir).rebuildIndex(IndexKind::Shipped));
    SearchSession session(dataDir);
    std::atomic<bool> stop{false};
    // The progress cycles with the hits: at 10 the tenth hit is on its way.
    const SearchResult result = searchExamples(
        session, folders, sjis("fish"), false,
        [&](int percent) {
            if (percent == 10)
                stop = true;
        },
        &stop);
    EXPECT_EQ(result.status, SearchStatus::Stopped);
    EXPECT_EQ(result.exampleCount, 10);
}

} // namespace
