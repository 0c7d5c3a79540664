// Index search on hand-made pages: descent, the three leaf forms, de-duplication, the hit limit
// and pages that lie.
#include <book/indexsearch.h>

#include "testbook.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace yv::book {
namespace {

using namespace testing;

constexpr std::uint8_t kLeaf = PageFlag::Leaf;
constexpr std::uint8_t kLastLeaf = PageFlag::Leaf | PageFlag::LastLeaf;

SearchKey keyFor(std::string_view utf8)
{
    SearchKey key = prepareSearchKey(codec::utf8ToCp932(utf8), SearchMethod::Forward);
    normalizeSearchKey(key, {});
    return key;
}

ByteVector branchPage(std::uint8_t keyLength, const std::vector<std::pair<std::string, std::uint32_t>>& children)
{
    ByteVector out{0x00, keyLength};
    put16(out, static_cast<std::uint16_t>(children.size()));
    for (const auto& [key, child] : children) {
        ByteVector k = keyBytes(key);
        k.resize(keyLength, 0);
        out.insert(out.end(), k.begin(), k.end());
        put32(out, child);
    }
    return out;
}

struct Search {
    TextFileBuilder file;
    HitList hits;
    int questions = 0;
    bool keep = true;

    SearchOutcome run(std::uint32_t start, MatchRule rule, std::string_view key)
    {
        MemoryBlockSource source(file.bytes());
        return searchIndex(source, start, rule, keyFor(key), hits, [this] {
            ++questions;
            return keep;
        });
    }
};

TEST(BookIndexTest, DescendsToTheChildThatCanHoldTheKey)
{
    Search s;
    s.file.setBlock(9, branchPage(4, {{"ＦＦ", 10}, {"ＭＭ", 11}, {"ＺＺ", 12}}));
    s.file.setBlock(10, variableLeaf(kLeaf, {{"ＡＡ", {20, 0}}, {"ＦＦ", {20, 2}}}));
    s.file.setBlock(11, variableLeaf(kLeaf, {{"ＧＧ", {20, 4}}, {"ＭＭ", {20, 6}}}));
    s.file.setBlock(12, variableLeaf(kLastLeaf, {{"ＮＯＴＥ", {20, 8}, {30, 8}}, {"ＺＺ", {20, 10}}}));
    EXPECT_EQ(s.run(9, MatchRule::Prefix, "no"), SearchOutcome::Found);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits.hits()[0].text, (TextPosition{20, 8}));
    EXPECT_EQ(s.hits.hits()[0].heading, (TextPosition{30, 8}));
    EXPECT_TRUE(s.hits.hits()[0].hasHeading);
    s.hits.clear();
    EXPECT_EQ(s.run(9, MatchRule::Prefix, "zzz"), SearchOutcome::NotFound);
    EXPECT_EQ(s.run(9, MatchRule::Prefix, "gg"), SearchOutcome::Found);
}

TEST(BookIndexTest, PrefixAndExactRulesAndOneHitPerTextPosition)
{
    Search s;
    s.file.setBlock(5, variableLeaf(kLeaf, {{"ＡＰＰ", {2, 0}}, {"ＡＰＰＬＥ", {2, 100}}, {"ＡＰＰＬＩＥＤ", {2, 200}}}));
    // The run goes on into the next page until a key stops matching.
    s.file.setBlock(6, variableLeaf(kLastLeaf, {{"ＡＰＰＬＹ", {2, 200}}, {"ＡＰＰＬＹＩＮＧ", {2, 300}}, {"ＢＥ", {3, 0}}}));
    EXPECT_EQ(s.run(5, MatchRule::Prefix, "appl"), SearchOutcome::Found);
    // ＡＰＰＬＩＥＤ and ＡＰＰＬＹ both point at 2:200.
    ASSERT_EQ(s.hits.size(), 3u);
    EXPECT_EQ(s.hits.hits()[2].text, (TextPosition{2, 300}));

    // Exact-word entries carry no heading position.
    s.file.setBlock(8, variableLeaf(kLastLeaf, {{"ＡＰＰ", {2, 0}}, {"ＡＰＰＬＥ", {2, 100}}}, false));
    s.hits.clear();
    EXPECT_EQ(s.run(8, MatchRule::Exact, "app"), SearchOutcome::Found);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_FALSE(s.hits.hits()[0].hasHeading);
}

TEST(BookIndexTest, AskingBeyondFiveHundredHits)
{
    Search s;
    // 510 matching entries over several consecutive pages.
    std::uint32_t block = 10;
    std::vector<LeafEntry> page;
    auto fullWidthNumber = [](int n) {
        std::string out;
        for (const char digit : std::to_string(n))
            out += std::string("０１２３４５６７８９").substr(static_cast<std::size_t>(digit - '0') * 3, 3);
        return out;
    };
    for (int i = 0; i < 510; ++i) {
        page.push_back({"ＡＢ" + fullWidthNumber(1000 + i), {100, static_cast<std::uint16_t>(i * 2)}, {200, 0}});
        if (page.size() == 80 || i == 509) {
            s.file.setBlock(block, variableLeaf(i == 509 ? kLastLeaf : kLeaf, page));
            ++block;
            page.clear();
        }
    }
    EXPECT_EQ(s.run(10, MatchRule::Prefix, "ab"), SearchOutcome::Found);
    EXPECT_EQ(s.questions, 1);
    EXPECT_EQ(s.hits.size(), kHitLimit);

    s.hits.clear();
    s.keep = false;
    EXPECT_EQ(s.run(10, MatchRule::Prefix, "ab"), SearchOutcome::Cancelled);
    EXPECT_TRUE(s.hits.empty());

    // Fewer than the limit: nobody is asked.
    s.hits.clear();
    s.questions = 0;
    EXPECT_EQ(s.run(10, MatchRule::Prefix, "ab10"), SearchOutcome::Found);
    EXPECT_EQ(s.hits.size(), 100u);
    EXPECT_EQ(s.questions, 0);
}

TEST(BookIndexTest, FixedLengthEntriesCompareTheKeyAsEntered)
{
    Search s;
    ByteVector page{kLastLeaf, 8};
    put16(page, 4);
    for (const auto& [key, offset] : std::vector<std::pair<std::string, std::uint16_t>>{
             {"ｂａｔ", 0}, {"ｃａｔ", 2}, {"ｃａｔ", 4}, {"ｃａｔｓ", 6}}) {
        ByteVector k = keyBytes(key);
        k.resize(8, 0);
        page.insert(page.end(), k.begin(), k.end());
        putPosition(page, {40, offset});
    }
    s.file.setBlock(3, page);
    EXPECT_EQ(s.run(3, MatchRule::Prefix, "cat"), SearchOutcome::Found);
    ASSERT_EQ(s.hits.size(), 2u);
    EXPECT_EQ(s.hits.hits()[1].text, (TextPosition{40, 4}));
    EXPECT_FALSE(s.hits.hits()[0].hasHeading);
}

TEST(BookIndexTest, GroupEntriesCollectMembersThatEqualTheKey)
{
    Search s;
    ByteVector page{PageFlag::Leaf | PageFlag::LastLeaf | PageFlag::GroupEntries, 0};
    put16(page, 5);
    auto head = [&](std::string_view key) {
        const ByteVector k = keyBytes(key);
        page.insert(page.end(), {GroupTag::Head, static_cast<std::uint8_t>(k.size()), 0, 0});
        page.insert(page.end(), k.begin(), k.end());
    };
    auto entry = [&](std::uint8_t tag, std::string_view key, std::uint16_t offset) {
        const ByteVector k = keyBytes(key);
        page.insert(page.end(), {tag, static_cast<std::uint8_t>(k.size())});
        page.insert(page.end(), k.begin(), k.end());
        putPosition(page, {50, offset});
    };
    head("かつこう");
    entry(GroupTag::Member, "がっこう", 10);
    entry(GroupTag::Member, "かっこう", 20);
    entry(GroupTag::Single, "かつこう", 30);
    head("かつら");
    s.file.setBlock(7, page);
    EXPECT_EQ(s.run(7, MatchRule::Exact, "がっこう"), SearchOutcome::Found);
    ASSERT_EQ(s.hits.size(), 1u);
    EXPECT_EQ(s.hits.hits()[0].text, (TextPosition{50, 10}));
    s.hits.clear();
    EXPECT_EQ(s.run(7, MatchRule::Exact, "かつこう"), SearchOutcome::Found);
    EXPECT_EQ(s.hits.hits()[0].text, (TextPosition{50, 30}));
}

TEST(BookIndexTest, PagesThatLieEndTheSearchAsAReadError)
{
    Search s;
    // A branch page whose child is itself.
    s.file.setBlock(2, branchPage(4, {{"ＺＺ", 2}}));
    EXPECT_EQ(s.run(2, MatchRule::Prefix, "a"), SearchOutcome::ReadError);
    // A leaf that counts more entries than it holds.
    ByteVector leaf = variableLeaf(kLastLeaf, {{"ＡＢ", {2, 0}}});
    leaf[2] = 0x7F;
    leaf[4] = 0xF0;
    s.file.setBlock(3, leaf);
    EXPECT_EQ(s.run(3, MatchRule::Prefix, "zz"), SearchOutcome::ReadError);
    // A run that goes on past the end of the file, and an index beyond it.
    s.file.setBlock(4, variableLeaf(kLeaf, {{"ＡＢ", {2, 0}}}));
    EXPECT_EQ(s.run(4, MatchRule::Prefix, "ab"), SearchOutcome::ReadError);
    EXPECT_EQ(s.run(40, MatchRule::Prefix, "ab"), SearchOutcome::ReadError);
}

} // namespace
} // namespace yv::book
