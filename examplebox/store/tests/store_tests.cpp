// The store's folders and documents on disk.
#include "storefixture.h"

#include <examplestore/messages.h>

#include <exampleindex/index.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::examplestore;
using namespace yv::examplestore::testing;
namespace ix = yv::exampleindex;
namespace fs = std::filesystem;

int hitCount(const SampleStore& store, IndexKind kind, std::string_view utf8Key)
{
    auto opened = store.openIndex(kind, ix::Access::Read);
    if (!opened.handle)
        return -1;
    int count = 0;
    for (auto hit = ix::FirstHit(*opened.handle, sjis(utf8Key)); hit; hit = ix::NextHit(*opened.handle))
        ++count;
    return count;
}

class ExampleStore : public StoreFixture {};

TEST_F(ExampleStore, ListsChildFoldersThenDocuments)
{
    writeDocument(2, 7, {"二番目", "", "x"});
    writeDocument(2, 3, {"Title one", "   ", "y"});
    std::ofstream(dataDir / "fd002" / "notes.txt") << "not listed";
    SampleStore store(dataDir);
    const auto entries = store.list(node(store, 2));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[0].name, "A1");
    EXPECT_EQ(entries[0].ref, 0xFFFF0003u);
    EXPECT_EQ(entries[1].name, "Title one");
    EXPECT_EQ(entries[1].ref, 0x00020003u);
    EXPECT_EQ(entries[2].name, "二番目");
    EXPECT_EQ(entries[2].document.fileName, "00000007.sam");

    // A folder without "=fd" owns no directory: only its child folders are listed.
    const auto noDir = store.list(nodeNamed(store, "NoDir"));
    ASSERT_EQ(noDir.size(), 1u);
    EXPECT_EQ(noDir[0].name, "C");
}

TEST_F(ExampleStore, NewFoldersTakeFreshNumbersAndNames)
{
    fs::create_directories(dataDir / "fd009");  // left behind by a folder no longer in the tree
    SampleStore store(dataDir);
    const NodeId a = node(store, 2);
    const NodeId first = store.createFolder(a);
    EXPECT_EQ(store.tree().node(first).name, messages::kNewFolderName);
    EXPECT_EQ(store.tree().node(first).number, 10);
    EXPECT_TRUE(fs::is_directory(dataDir / "fd010"));
    const NodeId second = store.createFolder(a);
    EXPECT_EQ(store.tree().node(second).name, "新しいﾌｫﾙﾀﾞ(2)");
    store.rename(second, "新しいﾌｫﾙﾀﾞ(3)");
    EXPECT_EQ(store.tree().node(store.createFolder(a)).name, "新しいﾌｫﾙﾀﾞ(4)");

    ASSERT_TRUE(store.save());
    SampleStore reread(dataDir);
    EXPECT_EQ(reread.tree().children(node(reread, 2)).size(), 4u);
    EXPECT_EQ(reread.tree().nextFreeNumber(), 13);
}

TEST_F(ExampleStore, RenameRules)
{
    SampleStore store(dataDir);
    const NodeId a = node(store, 2);
    EXPECT_EQ(store.checkRename(a, ""), Refusal::NothingToDo);
    EXPECT_EQ(store.checkRename(a, "A"), Refusal::NothingToDo);
    std::string name;
    for (int i = 0; i < 64; ++i)
        name += "名";
    EXPECT_EQ(store.checkRename(a, name), Refusal::None);  // 128 Shift_JIS bytes
    EXPECT_EQ(store.checkRename(a, name + "x"), Refusal::NameTooLong);
    EXPECT_EQ(store.checkRename(a, "say \"hi\""), Refusal::NameHasQuote);
    EXPECT_EQ(store.checkRename(node(store, 0), "trash"), Refusal::FolderCannotBeRenamed);
    EXPECT_EQ(store.checkRename(a, "B"), Refusal::NameExists);
    EXPECT_EQ(store.checkRename(a, "b"), Refusal::None);  // names compare byte for byte
    EXPECT_EQ(store.checkRename(node(store, 3), "B"), Refusal::None);  // not a sibling
}

TEST_F(ExampleStore, DeletingAFolderMovesItsDocumentsIntoTheRecycleBin)
{
    writeDocument(2, 11, {"a"});
    writeDocument(3, 12, {"a1"});
    SampleStore store(dataDir);
    EXPECT_EQ(store.checkDeleteFolder(node(store, 1)), Refusal::FolderCannotBeDeleted);
    EXPECT_EQ(store.checkDeleteFolder(node(store, 0)), Refusal::RecycleBinCannotBeDeleted);
    const NodeId a = node(store, 2);
    ASSERT_EQ(store.checkDeleteFolder(a), Refusal::None);
    EXPECT_EQ(store.deleteFolder(a), node(store, 1));
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000011.sam"));
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000012.sam"));
    EXPECT_TRUE(fs::is_directory(dataDir / "fd002"));
    EXPECT_EQ(node(store, 2), kNoNode);
    EXPECT_EQ(node(store, 3), kNoNode);
    EXPECT_EQ(store.list(node(store, 0)).size(), 2u);
}

TEST_F(ExampleStore, MoveRules)
{
    SampleStore store(dataDir);
    const NodeId a = node(store, 2);
    const NodeId a1 = node(store, 3);
    const NodeId b = node(store, 4);
    EXPECT_EQ(store.checkMoveFolder(a1, a), Refusal::NothingToDo);
    EXPECT_EQ(store.checkMoveFolder(node(store, 0), b), Refusal::FolderCannotBeMoved);
    EXPECT_EQ(store.checkMoveFolder(a, a1), Refusal::TargetInsideSource);
    const NodeId twin = store.createFolder(b);
    store.rename(twin, "A1");
    EXPECT_EQ(store.checkMoveFolder(a1, b), Refusal::SameNameAtTarget);
    store.rename(twin, "other");
    ASSERT_EQ(store.checkMoveFolder(a1, b), Refusal::None);
    store.moveFolder(a1, b);
    EXPECT_EQ(store.tree().children(b), (std::vector<NodeId>{twin, a1}));
    EXPECT_TRUE(store.tree().children(a).empty());
}

TEST_F(ExampleStore, DocumentsMoveWithoutOverwriting)
{
    writeDocument(2, 21, {"from A"});
    writeDocument(2, 22, {"also from A"});
    writeDocument(4, 22, {"already in B"});
    SampleStore store(dataDir);
    EXPECT_EQ(store.moveDocuments({{2, "00000021.sam"}, {2, "00000022.sam"}, {4, "00000022.sam"}}, node(store, 4)), 1);
    EXPECT_TRUE(fs::exists(dataDir / "fd004" / "00000021.sam"));
    EXPECT_EQ(readFile(dataDir / "fd004" / "00000022.sam"), "already in B\r\n");
    EXPECT_TRUE(fs::exists(dataDir / "fd002" / "00000022.sam"));
}

TEST_F(ExampleStore, TheDocumentTest)
{
    EXPECT_EQ(documentTitle("Title\r\n\r\nbody\r\n"), "Title");
    EXPECT_EQ(documentTitle(sjis("題名\r\n　 \t\r\n")), "題名");
    EXPECT_EQ(documentTitle("\r\n  \r\nbody"), "");
    EXPECT_EQ(documentTitle("Only a title"), "Only a title");
    EXPECT_FALSE(documentTitle("Title\r\nx\r\n"));
    EXPECT_FALSE(documentTitle(""));
}

TEST_F(ExampleStore, AddingConvertsTheFileAndIndexesItAsTheUsers)
{
    writeDocument(2, 2, {"Shipped", "", "shipped line"});
    SampleStore store(dataDir);
    ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
    EXPECT_EQ(store.checkAddTarget(node(store, 1)), Refusal::TopLevelAdd);
    EXPECT_EQ(store.checkAddTarget(nodeNamed(store, "NoDir")), Refusal::FolderHoldsNoDocuments);
    EXPECT_EQ(store.checkAddTarget(node(store, 4)), Refusal::None);

    const fs::path source = home.dir() / "mine.txt";
    std::ofstream(source, std::ios::binary) << "私の例文\n\nA new example.\n新しい例文です。\n";
    auto prepared = store.prepareDocument(source);
    ASSERT_TRUE(std::holds_alternative<PreparedDocument>(prepared));
    const auto entry = store.addDocument(node(store, 4), std::get<PreparedDocument>(prepared));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->name, "私の例文");
    EXPECT_EQ(entry->ref, documentRef(4, 10001));  // above the shipped numbers
    EXPECT_EQ(readFile(dataDir / "fd004" / "00010001.sam"),
              sjis("私の例文\n\nA new example.\n新しい例文です。\n"));
    EXPECT_EQ(hitCount(store, IndexKind::User, "新しい例文"), 1);
    EXPECT_EQ(hitCount(store, IndexKind::Shipped, "新しい例文"), 0);
    EXPECT_EQ(store.nextDocumentNumber(), 10002);

    std::ofstream(home.dir() / "bad.txt") << "Title\nnot empty\n";
    EXPECT_EQ(std::get<Refusal>(store.prepareDocument(home.dir() / "bad.txt")), Refusal::NotADocument);
    EXPECT_EQ(std::get<Refusal>(store.prepareDocument(home.dir())), Refusal::DirectoryGiven);
}

TEST_F(ExampleStore, DocumentNumbersStayWithinTheirRanges)
{
    SampleStore store(dataDir);
    writeDocument(2, 5, {"t"});
    EXPECT_EQ(store.nextDocumentNumber(), 10001);
    writeDocument(4, 12000, {"t"});
    std::ofstream(dataDir / "readme.txt") << "x";
    EXPECT_EQ(store.nextDocumentNumber(), 12001);
    // A name past what a SampleRef holds: the lowest free user number instead.
    fs::create_directories(dataDir / "fd000");
    std::ofstream(dataDir / "fd000" / "99999999.sam") << "x";
    writeDocument(2, 10001, {"t"});
    EXPECT_EQ(store.nextDocumentNumber(), 10002);
    EXPECT_EQ(SampleStore(home.dir() / "missing").nextDocumentNumber(), 10001);
}

TEST_F(ExampleStore, FinalDeletionLeavesTheIndexThatHoldsTheDocument)
{
    writeDocument(0, 2, {"Shipped", "", "梅の花"});
    writeDocument(0, 10005, {"Mine", "", "桜の花"});
    SampleStore store(dataDir);
    ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
    ASSERT_TRUE(store.rebuildIndex(IndexKind::User));
    ASSERT_EQ(hitCount(store, IndexKind::Shipped, "の花"), 1);
    ASSERT_EQ(hitCount(store, IndexKind::User, "の花"), 1);

    std::vector<std::string> statuses;
    StoreProgress progress{[&](std::string_view s) { statuses.emplace_back(s); }, {}};
    EXPECT_EQ(store.deleteFinally({{0, "00000002.sam"}, {0, "00010005.sam"}}, progress), 2);
    EXPECT_EQ(statuses, (std::vector<std::string>{std::string(messages::kUpdatingIndex),
                                                  std::string(messages::kWritingIndex), ""}));
    EXPECT_FALSE(fs::exists(dataDir / "fd000" / "00000002.sam"));
    EXPECT_EQ(hitCount(store, IndexKind::Shipped, "の花"), 0);
    EXPECT_EQ(hitCount(store, IndexKind::User, "の花"), 0);

    // An index busy elsewhere keeps its documents rather than name a missing file later.
    writeDocument(0, 10006, {"Mine", "", "桃の花"});
    ASSERT_TRUE(store.rebuildIndex(IndexKind::User));
    auto busy = ix::OpenIndex(store.indexPath(IndexKind::User), ix::Access::Read);
    ASSERT_TRUE(busy.handle);
    EXPECT_EQ(store.deleteFinally({{0, "00010006.sam"}}), 0);
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00010006.sam"));
}

TEST_F(ExampleStore, AnUncleanIndexIsRebuiltFromTheDocuments)
{
    writeDocument(2, 1, {"One", "", "雪が降る"});
    writeDocument(0, 2, {"Binned", "", "雪だるま"});
    SampleStore store(dataDir);
    ASSERT_TRUE(store.rebuildIndex(IndexKind::Shipped));
    std::string bytes = readFile(store.indexPath(IndexKind::Shipped));
    bytes[62] = 1;  // as a write-back cut short leaves it
    std::ofstream(store.indexPath(IndexKind::Shipped), std::ios::binary) << bytes;
    EXPECT_EQ(hitCount(store, IndexKind::Shipped, "雪"), 2);
    EXPECT_EQ(ix::OpenIndex(store.indexPath(IndexKind::Shipped), ix::Access::Read).error, ix::OpenError::None);
}

TEST_F(ExampleStore, AMissingTreeStartsWithTheTopFolderAndTheRecycleBin)
{
    fs::remove(dataDir / "base.dat");
    SampleStore store(dataDir);
    ASSERT_TRUE(store.save());
    EXPECT_EQ(readFile(dataDir / "base.dat"), sjis("(\"例文\"=fd001\r\n    (\"ごみ箱\"=fd000)\r\n)\r\n"));
    EXPECT_EQ(store.tree().nextFreeNumber(), 2);
}

} // namespace
