// The search-key history list.
#include <etccore/keyhistory.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using yv::etc::rememberKey;
using yv::etc::splitHistory;

TEST(KeyHistory, NewKeyFirstWithoutItsOldCopy)
{
    EXPECT_EQ(rememberKey("b\na\nc\n", "a"), "a\nb\nc\n");
    EXPECT_EQ(rememberKey("", "x"), "x\n");
    EXPECT_EQ(rememberKey("A\n", "a"), "a\nA\n");  // case matters
}

TEST(KeyHistory, TwentyEntriesAtMost)
{
    std::string full;
    for (int i = 1; i <= 20; ++i)
        full += "k" + std::to_string(i) + "\n";
    const std::string next = rememberKey(full, "new");
    const auto keys = splitHistory(next);
    ASSERT_EQ(keys.size(), 20u);
    EXPECT_EQ(keys.front(), "new");
    EXPECT_EQ(keys.back(), "k19");

    // A key already in a full history moves to the front and nothing falls off.
    const std::string movedText = rememberKey(full, "k20");
    const auto moved = splitHistory(movedText);
    ASSERT_EQ(moved.size(), 20u);
    EXPECT_EQ(moved.front(), "k20");
    EXPECT_EQ(moved.back(), "k19");
}

TEST(KeyHistory, SplitSkipsEmptyPieces)
{
    const auto keys = splitHistory("\n\na\n\nb");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], "a");
    EXPECT_EQ(keys[1], "b");
}

} // namespace
