// Find, replace and replace-all over a pane, and the search histories.
#include "editortest.h"

#include <editorcore/search.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::textOf;

class EditorSearch : public ::testing::Test {
protected:
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    EditPane pane{font};
};

TEST_F(EditorSearch, CaseFoldsOnlySingleBytes)
{
    pane.insert(std::string("xABC") + "\x82\x60" + "\x82\x81", 0, 0, false);  // "Ａ" and "ａ"
    EXPECT_EQ(matchAt(pane.store(), 1, "abc", false), 3u);
    EXPECT_EQ(matchAt(pane.store(), 1, "abc", true), 0u);
    EXPECT_EQ(matchAt(pane.store(), 4, "\x82\x81", false), 0u);  // never folded
    EXPECT_EQ(matchAt(pane.store(), 5, "\x82\x81", false), 1u);
    EXPECT_EQ(matchAt(pane.store(), 5, "\x82", false), 0u);      // a lone lead byte never matches a character
    EXPECT_EQ(matchAt(pane.store(), 5, "\x82\x81z", false), 0u); // runs past the end
    EXPECT_EQ(matchAt(pane.store(), 0, "", false), 0u);
}

TEST_F(EditorSearch, FindDownFromASelectionFindsOverlappingMatches)
{
    pane.insert("aaaaaaaaaaaaaa", 0, 0, false);
    pane.setCaret(10);
    pane.select(10, 11);
    ASSERT_TRUE(findDown(pane, "aa", true));
    EXPECT_EQ(pane.selFirst(), 11);
    EXPECT_EQ(pane.caret(), 11u);
    ASSERT_TRUE(findDown(pane, "aa", true));
    EXPECT_EQ(pane.selFirst(), 12);
    EXPECT_FALSE(findDown(pane, "aa", true));
    EXPECT_FALSE(findDown(pane, "", true));
}

TEST_F(EditorSearch, FindUpStartsBeforeTheSelection)
{
    pane.insert(std::string("ab ") + kA + " ab", 0, 0, false);
    pane.setCaret(6);
    ASSERT_TRUE(findUp(pane, "AB", false));
    EXPECT_EQ(pane.selFirst(), 5);
    ASSERT_TRUE(findUp(pane, "ab", false));
    EXPECT_EQ(pane.selFirst(), 0);
    EXPECT_FALSE(findUp(pane, "ab", false));  // the selection starts the text
    pane.click(0);
    EXPECT_TRUE(findUp(pane, "ab", false));  // without a selection the caret cell is tried
}

TEST_F(EditorSearch, ReplaceOnlyAnExactlySelectedMatch)
{
    pane.insert("cat dog cat", 0, 0, false);
    pane.setCaret(0);
    pane.select(0, 1);  // "ca": not a match
    ASSERT_TRUE(replaceAndFind(pane, "cat", "CAT", false));
    EXPECT_EQ(textOf(pane), "cat dog cat");
    EXPECT_EQ(pane.selFirst(), 8);  // only searched on

    pane.setCaret(0);
    pane.select(0, 2);
    ASSERT_TRUE(replaceAndFind(pane, "cat", "kitten", false));
    EXPECT_EQ(textOf(pane), "kitten dog cat");
    EXPECT_EQ(pane.selFirst(), 11);
    EXPECT_FALSE(replaceAndFind(pane, "cat", "", false));  // replaced by nothing, nothing more found
    EXPECT_EQ(textOf(pane), "kitten dog ");
    EXPECT_TRUE(pane.undo());
    EXPECT_EQ(textOf(pane), "kitten dog cat");
}

TEST_F(EditorSearch, ReplaceAllNeverRescansInsertedTextAndUndoesTheLastOnly)
{
    pane.insert("aXbxc", 0, 0, false);
    EXPECT_EQ(replaceAll(pane, "x", "xx", false), 2u);
    EXPECT_EQ(textOf(pane), "axxbxxc");
    EXPECT_EQ(pane.caret(), 6u);
    EXPECT_TRUE(pane.undo());
    EXPECT_EQ(textOf(pane), "axxbxc");
    EXPECT_EQ(pane.caret(), 4u);
    EXPECT_EQ(replaceAll(pane, "q", "z", false), 0u);
    EXPECT_EQ(replaceAll(pane, "x", "", true), 3u);
    EXPECT_EQ(textOf(pane), "abc");
}

TEST_F(EditorSearch, ReplaceAllStopsWhereTheStoreWouldOverflow)
{
    pane.insert(std::string(kMaxCharacters - 4, 'x') + "ab", 0, 0, false);
    // The room check counts the new cells before the match goes, as typing over a selection
    // does: the second replacement would need 65,537 cells.
    EXPECT_EQ(replaceAll(pane, "x", "yy", true), 1u);
    EXPECT_EQ(pane.length(), kMaxCharacters - 1);
    EXPECT_EQ(presenter.messages.size(), 1u);
}

TEST(EditorSearchHistory, SaveAndLoad)
{
    EXPECT_EQ(historyToStore("new", {"a", "new", "b"}), "new;a;b");
    std::vector<std::string> many;
    for (int i = 0; i < 30; ++i)
        many.push_back("k" + std::to_string(i));
    const std::string stored = historyToStore("cur", many);
    const auto loaded = historyFromStore(stored);
    ASSERT_EQ(loaded.size(), 20u);  // the current text and 19 of the earlier ones are listed
    EXPECT_EQ(loaded[0], "cur");
    EXPECT_EQ(loaded[19], "k18");
    EXPECT_EQ(std::count(stored.begin(), stored.end(), ';'), 20);
    EXPECT_EQ(historyFromStore(";a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(historyFromStore("").empty());
}

} // namespace
} // namespace yv::editor
