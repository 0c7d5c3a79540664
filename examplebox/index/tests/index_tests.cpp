// The index file: its block format, opening errors, the document table and block reuse.
#include <exampleindex/index.h>

#include "indexfixture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace yv::exampleindex;
using yv::exampleindex::testing::IndexFixture;
using yv::exampleindex::testing::collectHits;
using yv::exampleindex::testing::sjis;
namespace fs = std::filesystem;

constexpr std::size_t kBlock = 128;
constexpr std::uint32_t kDirectoryBlocks = (64764 * 8 + 123) / 124;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::uint32_t be32(const std::string& bytes, std::size_t at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void putBe32(std::string& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

// An item as the format defines it, read without the index code: the chain's payloads.
std::string readItem(const std::string& file, std::uint32_t first)
{
    std::string payload;
    for (std::uint32_t block = first; block != 0; block = be32(file, block * kBlock))
        payload += file.substr(block * kBlock + 4, kBlock - 4);
    return payload;
}

class ExampleIndexFile : public ::testing::Test, public IndexFixture {};

TEST_F(ExampleIndexFile, WritesTheBlockFormat)
{
    const auto doc = writeDocument("00000001.sam", {"Title", "", "Good day", "あいあ"});
    EXPECT_EQ(addAll({doc}), std::vector<int>{0});
    const std::string file = readFile(indexPath());
    ASSERT_EQ(file.size() % kBlock, 0u);
    EXPECT_EQ(std::memcmp(file.data(), "EXP_FULL_IDX", 13), 0);
    EXPECT_EQ(file.substr(13, 17), std::string(17, '\0'));
    EXPECT_EQ(file.substr(62, 66), std::string(66, '\0'));  // clean: no write-back under way
    EXPECT_EQ(be32(file, 34), kDirectoryBlocks);
    EXPECT_EQ(be32(file, 54), file.size() / kBlock);
    EXPECT_EQ(be32(file, 58), 0u);

    const std::string documents = readItem(file, be32(file, 46));
    EXPECT_EQ(be32(documents, 0), 1u);
    EXPECT_EQ(documents.substr(5, static_cast<unsigned char>(documents[4])), doc.string());

    // "あ" (82 A0) stands at positions 0 and 2 of line 3.
    const std::string directory = readItem(file, be32(file, 30));
    const std::uint32_t first = be32(directory, 0x82A0 * 8);
    EXPECT_EQ(be32(directory, 0x82A0 * 8 + 4), 1u);
    const std::string list = readItem(file, first);
    EXPECT_EQ(be32(list, 0), 2u);
    EXPECT_EQ(be32(list, 4), makePosting(0, 3, 0));
    EXPECT_EQ(be32(list, 8), makePosting(0, 3, 2));

    // Words keep the spelling they were first met with; "day" is the second word of line 2.
    const std::string words = readItem(file, be32(file, 38));
    EXPECT_EQ(be32(words, 0), 3u);  // "Title", "Good", "day"
    EXPECT_NE(words.find("\x03" "day"), std::string::npos);
}

TEST_F(ExampleIndexFile, OpeningReportsEachKindOfDamage)
{
    EXPECT_EQ(OpenIndex(indexPath(), Access::Read).error, OpenError::CannotOpen);
    addAll({writeDocument("a.sam", {"T", "", "テスト"})});
    const std::string good = readFile(indexPath());
    auto openPatched = [&](const std::string& bytes) {
        writeFile(indexPath(), bytes);
        return OpenIndex(indexPath(), Access::Read).error;
    };
    EXPECT_EQ(openPatched(good.substr(0, 10)), OpenError::HeaderUnreadable);
    EXPECT_EQ(openPatched(""), OpenError::Unclean);  // its creator died before writing
    std::string bytes = good;
    bytes[3] = 'X';
    EXPECT_EQ(openPatched(bytes), OpenError::WrongMagic);
    bytes = good;
    bytes[62] = 1;
    EXPECT_EQ(openPatched(bytes), OpenError::Unclean);
    bytes = good;
    putBe32(bytes, 30, 0x7FFFFFFF);
    EXPECT_EQ(openPatched(bytes), OpenError::DirectoryUnreadable);
    bytes = good;
    putBe32(bytes, 34, 5);  // a directory item shorter than the character codes
    EXPECT_EQ(openPatched(bytes), OpenError::DirectoryUnreadable);
    bytes = good;
    putBe32(bytes, be32(good, 46) * kBlock + 4, 5000);  // more documents than the table can hold
    EXPECT_EQ(openPatched(bytes), OpenError::DocumentTableUnreadable);
    EXPECT_EQ(openPatched(good), OpenError::None);
}

TEST_F(ExampleIndexFile, LoopingChainsEndInsteadOfHanging)
{
    addAll({writeDocument("a.sam", {"T", "", "テスト"})});
    const std::string good = readFile(indexPath());
    const std::uint32_t directory = be32(good, 30);

    std::string bytes = good;
    putBe32(bytes, (directory + 5) * kBlock, directory);  // the directory chain runs back on itself
    writeFile(indexPath(), bytes);
    EXPECT_EQ(OpenIndex(indexPath(), Access::Read).error, OpenError::DirectoryUnreadable);

    // A posting list that loops reads as no list at all.
    bytes = good;
    const std::string directoryItem = readItem(good, directory);
    const std::uint32_t list = be32(directoryItem, 0x8365 * 8);  // "テ"
    ASSERT_NE(list, 0u);
    putBe32(bytes, list * kBlock, list);
    writeFile(indexPath(), bytes);
    EXPECT_TRUE(hits("テスト").empty());
    EXPECT_EQ(hits("スト").size(), 1u);
}

TEST_F(ExampleIndexFile, AWriterExcludesEveryoneElse)
{
    addAll({writeDocument("a.sam", {"T"})});
    {
        auto reader1 = OpenIndex(indexPath(), Access::Read);
        auto reader2 = OpenIndex(indexPath(), Access::Read);
        EXPECT_TRUE(reader1.handle && reader2.handle);
        EXPECT_EQ(OpenIndex(indexPath(), Access::ReadWrite).error, OpenError::CannotOpen);
    }
    auto writer = OpenIndex(indexPath(), Access::ReadWrite);
    ASSERT_TRUE(writer.handle);
    EXPECT_EQ(OpenIndex(indexPath(), Access::Read).error, OpenError::CannotOpen);
    EXPECT_EQ(OpenIndex(indexPath(), Access::ReadWrite).error, OpenError::CannotOpen);
    EXPECT_EQ(AddDocument(*writer.handle, dir() / "missing.sam"), -1);
    EXPECT_EQ(CloseIndex(std::move(writer.handle)), kCloseOk);
    EXPECT_TRUE(OpenIndex(indexPath(), Access::Read).handle);
}

TEST_F(ExampleIndexFile, TheDocumentTableHoldsAtMost1024)
{
    auto handle = open(Access::ReadWrite);
    for (int i = 0; i < kMaxDocuments; ++i)
        ASSERT_EQ(AddDocument(*handle, writeDocument("d" + std::to_string(i) + ".sam", {"あ"})), i);
    EXPECT_EQ(AddDocument(*handle, writeDocument("extra.sam", {"あん"})), -1);
    EXPECT_EQ(FindDocument(*handle, "extra.sam"), -1);
    EXPECT_EQ(CloseIndex(std::move(handle)), kCloseOk);
    EXPECT_EQ(hits("あ").size(), static_cast<std::size_t>(kMaxDocuments));
    EXPECT_TRUE(hits("ん").empty());
}

TEST_F(ExampleIndexFile, RemovedSlotsAreReusedAndTrailingOnesDropped)
{
    const auto a = writeDocument("00000001.sam", {"あ"});
    const auto b = writeDocument("00000002.sam", {"い"});
    const auto c = writeDocument("00000003.sam", {"う"});
    EXPECT_EQ(addAll({a, b, c}), (std::vector<int>{0, 1, 2}));

    auto handle = open(Access::ReadWrite);
    EXPECT_EQ(FindDocument(*handle, "00000002.SAM"), 1);  // file names compare without case
    EXPECT_EQ(FindDocument(*handle, "/elsewhere/00000002.sam"), 1);
    EXPECT_TRUE(RemoveDocument(*handle, 1));
    EXPECT_FALSE(RemoveDocument(*handle, 1));
    EXPECT_EQ(FindDocument(*handle, "00000002.sam"), -1);
    EXPECT_EQ(AddDocument(*handle, writeDocument("00000004.sam", {"あい"})), 1);
    EXPECT_TRUE(RemoveDocument(*handle, 2));
    EXPECT_EQ(handle->documentSlots(), 2);
    EXPECT_EQ(CloseIndex(std::move(handle)), kCloseOk);

    // The reused slot's postings sort among the others.
    EXPECT_EQ(hits("あ"), (std::vector<Posting>{makePosting(0, 0, 0), makePosting(1, 0, 0)}));
    EXPECT_EQ(hits("い"), std::vector<Posting>{makePosting(1, 0, 1)});
    EXPECT_TRUE(hits("う").empty());
    EXPECT_EQ(open(Access::Read)->documentSlots(), 2);
}

TEST_F(ExampleIndexFile, AWordWhoseDocumentsAreGoneFindsNothingAndComesBack)
{
    const auto a = writeDocument("00000001.sam", {"Title", "", "rare word here", "common text"});
    const auto b = writeDocument("00000002.sam", {"Title", "", "common words"});
    addAll({a, b});

    auto handle = open(Access::ReadWrite);
    EXPECT_TRUE(RemoveDocument(*handle, 0));
    // Within the same writing session the word is gone from the search at once.
    EXPECT_TRUE(collectHits(*handle, "rare").empty());
    EXPECT_EQ(CloseIndex(std::move(handle)), kCloseOk);

    // The word stays in the word table with an empty list (first block 0, count 0).
    std::ifstream in(indexPath(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_NE(bytes.find(std::string("\x04rare", 5) + std::string(8, '\0')), std::string::npos);
    EXPECT_TRUE(hits("rare").empty());
    EXPECT_TRUE(hits("rare word").empty());
    EXPECT_EQ(hits("common"), std::vector<Posting>{makePosting(1, 2, 0)});
    EXPECT_EQ(hits("words"), std::vector<Posting>{makePosting(1, 2, 1)});

    // Removing in one session and adding in another keeps every word reachable.
    handle = open(Access::ReadWrite);
    EXPECT_EQ(AddDocument(*handle, writeDocument("00000003.sam", {"Title", "", "a rare find"})), 0);
    EXPECT_EQ(CloseIndex(std::move(handle)), kCloseOk);
    EXPECT_EQ(hits("RARE"), std::vector<Posting>{makePosting(0, 2, 1)});
    EXPECT_EQ(hits("common"), std::vector<Posting>{makePosting(1, 2, 0)});
    EXPECT_TRUE(hits("word").empty());
}

TEST_F(ExampleIndexFile, RewritingReusesFreedBlocks)
{
    std::vector<std::string> lines = {"Title", ""};
    for (int i = 0; i < 300; ++i) {
        lines.push_back("行" + std::to_string(i) + "の例文です");
        lines.push_back("This is word" + std::to_string(i));
    }
    const auto big = writeDocument("big.sam", lines);
    addAll({big});
    const auto grown = fs::file_size(indexPath());

    auto handle = open(Access::ReadWrite);
    ASSERT_TRUE(RemoveDocument(*handle, 0));
    ASSERT_EQ(CloseIndex(std::move(handle)), kCloseOk);
    EXPECT_EQ(fs::file_size(indexPath()), grown);
    EXPECT_NE(be32(readFile(indexPath()), 58), 0u);  // the freed blocks wait in the free list
    EXPECT_TRUE(hits("例文").empty());

    addAll({big});
    EXPECT_EQ(fs::file_size(indexPath()), grown);
    EXPECT_EQ(hits("例文").size(), 300u);
    EXPECT_EQ(hits("WORD7").size(), 1u);
}

TEST_F(ExampleIndexFile, ACrashDuringWriteBackLeavesAnUncleanIndex)
{
    addAll({writeDocument("a.sam", {"あ"})});
    const auto b = writeDocument("b.sam", {"い"});
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto handle = OpenIndex(indexPath(), Access::ReadWrite).handle;
        if (handle && AddDocument(*handle, b) >= 0)
            CloseIndex(std::move(handle), [](int percent) {
                if (percent >= 40)
                    ::_exit(0);
            });
        ::_exit(1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(OpenIndex(indexPath(), Access::Read).error, OpenError::Unclean);
    EXPECT_EQ(OpenIndex(indexPath(), Access::ReadWrite).error, OpenError::Unclean);
}

TEST_F(ExampleIndexFile, LongPathsKeepTheirFileName)
{
    fs::path deep = dir();
    while (deep.string().size() < 300)
        deep /= std::string(40, 'd');
    fs::create_directories(deep);
    const auto doc = deep / "00000042.sam";
    std::ofstream(doc, std::ios::binary) << "T\r\n";
    addAll({doc});
    auto handle = open(Access::Read);
    EXPECT_EQ(handle->documentPath(0).size(), 255u);
    EXPECT_TRUE(doc.string().ends_with(handle->documentPath(0)));
    EXPECT_EQ(FindDocument(*handle, "00000042.sam"), 0);
}

} // namespace
