// Copy, cut and paste with the pair block.
#include "editortest.h"

#include <editorcore/pairblock.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::pairsOf;
using testing::textOf;

class EditorClipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        pane.setWindow(0x4200001);
        pane.insert("ab", 0, 0, false);
        pane.insert(std::string("cd\n") + kA, 9, 0, false);  // one unit of four cells
        pane.insert("ef", 0, 0, false);
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    EditPane pane{font};
};

TEST_F(EditorClipboard, CutSecondHalfOfAUnitAndPasteItBackOnce)
{
    pane.select(4, 5);  // line break and "あ": the unit's second half
    const CutResult cut = pane.cut();
    EXPECT_EQ(cut.text, std::string("\r\n") + kA);
    EXPECT_EQ(cut.pairBlock.pairs, (std::vector<std::uint16_t>{9, 9}));
    EXPECT_EQ(cut.pairBlock.storeIdentity, pane.store().identity());
    EXPECT_EQ(cut.pairBlock.window, 0x4200001u);
    EXPECT_EQ(pairsOf(pane), (std::vector<std::uint16_t>{0, 0, 0, 0, 0, 0}));  // "cd" lost theirs

    const auto block = decodePairBlock(encodePairBlock(cut.pairBlock));
    ASSERT_TRUE(block);
    pane.setCaret(4);
    EXPECT_TRUE(pane.paste(cut.text, &*block));
    EXPECT_EQ(textOf(pane), std::string("abcd\n") + kA + "ef");
    EXPECT_EQ(pairsOf(pane), (std::vector<std::uint16_t>{0, 0, 0, 0, 9, 9, 0, 0}));

    // The window withdraws the block after one use; the text alone restores nothing.
    EXPECT_FALSE(pane.paste(cut.text, nullptr));
    EXPECT_EQ(pane.store()[6].pair, 0);
}

TEST_F(EditorClipboard, CutOfAWholeUnitKeepsNeighboursAndOtherPanesGetNoPairs)
{
    pane.insert("x", 3, 0, false);  // cells: a b c d \n あ e f x(3)
    pane.select(2, 5);
    const CutResult cut = pane.cut();
    EXPECT_EQ(pairsOf(pane), (std::vector<std::uint16_t>{0, 0, 0, 0, 3}));

    EditPane other(font);
    other.setWindow(0x4200001);
    EXPECT_FALSE(other.paste(cut.text, &cut.pairBlock));  // another store
    EXPECT_EQ(pairsOf(other), (std::vector<std::uint16_t>{0, 0, 0, 0}));

    PairBlock foreignWindow = cut.pairBlock;
    foreignWindow.window = 7;
    pane.setCaret(0);
    EXPECT_FALSE(pane.paste(cut.text, &foreignWindow));
    EXPECT_EQ(pane.store()[0].pair, 0);
}

TEST_F(EditorClipboard, CutSplittingAtTheFrontUnlinksTheRestOfTheUnit)
{
    pane.select(1, 2);  // "b" and the unit's first cell
    const CutResult cut = pane.cut();
    EXPECT_EQ(cut.pairBlock.pairs, (std::vector<std::uint16_t>{0, 9}));
    EXPECT_EQ(pairsOf(pane), (std::vector<std::uint16_t>{0, 0, 0, 0, 0, 0}));
}

TEST(EditorPairBlock, LayoutAndHostileBlocks)
{
    PairBlock block{0x01020304, 0xA0B0C0D0, {1, 0x0203}};
    const std::string bytes = encodePairBlock(block);
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\xD0\xC0\xB0\xA0\x02\x00\x01\x00\x03\x02", 14));
    EXPECT_FALSE(decodePairBlock(bytes.substr(0, 9)));
    EXPECT_FALSE(decodePairBlock(bytes.substr(0, 13)));  // count promises more than follows
    const auto decoded = decodePairBlock(bytes + "pad");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->pairs, block.pairs);
    EXPECT_EQ(decoded->window, block.window);
}

} // namespace
} // namespace yv::editor
