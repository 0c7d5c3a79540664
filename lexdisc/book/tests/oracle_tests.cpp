// The reader against the EB library on FreePWING books: the same hits and headings.
#include <book/bookshelf.h>

#include "eboracle.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace yv::book {
namespace {

struct SilentPrompter final : BookPrompter {
    void report(BookMessage, MessageIcon) override { ADD_FAILURE() << "unexpected message"; }
    bool askKeepHits() override { return true; }
};

// Keys of the generated entries: romanised syllables and their kana, as prefixes and endings.
std::vector<std::string> keys()
{
    std::vector<std::string> out = {"がっこう", "学校", "データ", "でーた", "nation", "app", "apple", "r", "せ", "ヴァ",
                                    "2000", "12", "１２", "20"};
    const char* consonants[] = {"k", "s", "t", "n", "h", "m", "r"};
    const char* vowels[] = {"a", "i", "u", "e", "o"};
    for (const char* c : consonants) {
        out.emplace_back(c);
        for (const char* v : vowels)
            out.push_back(std::string(c) + v);
    }
    for (const char* k : {"か", "き", "かか", "さき", "なに", "はひ", "らり", "もも"})
        out.emplace_back(k);
    return out;
}

TEST(BookOracleTest, SameHitsAndHeadingsAsTheEbLibrary)
{
    const std::filesystem::path root = YV_ORACLE_BOOK_DIR;
    testing::EbOracle oracle(root);
    ASSERT_TRUE(oracle.isOpen());
    SilentPrompter prompter;
    BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList(root / "catalogs", {}));
    ASSERT_TRUE(shelf.SelectBook(0));

    std::size_t compared = 0;
    for (const std::string& key : keys()) {
        for (const bool backward : {false, true}) {
            std::set<std::pair<std::uint32_t, std::uint16_t>> expected;
            for (const auto& hit : oracle.search(key, backward))
                expected.emplace(hit.text.block, hit.text.offset);
            const SearchOutcome outcome = shelf.Search(codec::utf8ToCp932(key),
                                                       backward ? SearchMethod::Backward : SearchMethod::Forward);
            std::set<std::pair<std::uint32_t, std::uint16_t>> actual;
            for (const HitRecord& hit : shelf.hits().hits()) {
                actual.emplace(hit.text.block, hit.text.offset);
                EXPECT_EQ(codec::cp932ToUtf8(cellsToSjis(shelf.ReadHeading(hit).cells)), oracle.heading(hit.heading))
                    << key;
                ++compared;
            }
            if (actual.size() == kHitLimit) {
                // Kept at the limit: the first five hundred of what the oracle finds.
                EXPECT_GT(expected.size(), kHitLimit) << key;
                EXPECT_TRUE(std::includes(expected.begin(), expected.end(), actual.begin(), actual.end())) << key;
            } else {
                EXPECT_EQ(actual, expected) << key << (backward ? " backward" : " forward");
            }
            EXPECT_EQ(outcome == SearchOutcome::Found, !expected.empty()) << key;
        }
    }
    EXPECT_GT(compared, 1000u);
}

} // namespace
} // namespace yv::book
