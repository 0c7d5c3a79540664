// The edit model: insertion and its limit, deletion and undo, caret moves, selection,
// double clicks, layout and scrolling.
#include "editortest.h"

#include <editorcore/composition.h>

#include <editorcore/insertion.h>
#include <editorcore/placement.h>
#include <editorcore/transdoc.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

using testing::FixedMetrics;
using testing::kA;
using testing::kI;
using testing::pairsOf;
using testing::textOf;

class EditorPane : public ::testing::Test {
protected:
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    FixedMetrics font;
    EditPane pane{font};
};

TEST(EditorInsertion, NormalisationFoldsLineEndsAndKeepsDoubleBytes)
{
    const auto text = [](std::string_view in) {
        std::string out;
        for (const CellChar& c : normalizeInsertion(in)) {
            out.push_back(static_cast<char>(c.lead));
            if (c.trail)
                out.push_back(static_cast<char>(c.trail));
        }
        return out;
    };
    EXPECT_EQ(text("a\r\n\r\nb"), "a\n\nb");
    EXPECT_EQ(text("a\n\nb"), "a\nb");
    EXPECT_EQ(text("a\n\rb\r\rc"), "a\nb\nc");
    EXPECT_EQ(text("a\tb"), "a b");
    // A double-byte character whose trail byte is 0x5C or 0x0A-like stays whole only when valid.
    EXPECT_EQ(text("\x95\x5C"), "\x95\x5C");
    EXPECT_EQ(text("\x82\n"), "\x81\xAC\n");   // a lead byte without its trail becomes "〓"
    EXPECT_EQ(text("ab\x82"), "ab\x81\xAC");
    EXPECT_EQ(text(std::string_view("ab\0cd", 5)), "ab");
    EXPECT_EQ(normalizeInsertion("xy", 7, 3)[1].pair, 7);
}

TEST_F(EditorPane, PasteOfLineEndsAndTabs)
{
    pane.paste("a\r\n\r\nb", nullptr);
    EXPECT_EQ(textOf(pane), "a\n\nb");
    EXPECT_EQ(pane.store()[1].width, 0);
    pane.clearAll();
    pane.paste("a\tb", nullptr);
    EXPECT_EQ(textOf(pane), "a b");
    EXPECT_EQ(pane.store()[1].width, 8);
    EXPECT_EQ(pane.caret(), 3u);
}

TEST_F(EditorPane, FullStoreRefusesOneMoreCharacter)
{
    int beeps = 0;
    pane.onBeep = [&] { ++beeps; };
    ASSERT_TRUE(pane.insert(std::string(kMaxCharacters, 'x'), 0, 0, false));
    EXPECT_EQ(pane.length(), kMaxCharacters);
    EXPECT_FALSE(pane.typeCharacter('y'));
    EXPECT_EQ(beeps, 1);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "文字列が挿入できません。扱うことの出来る文字数を超えました。");
    EXPECT_EQ(pane.length(), kMaxCharacters);
    EXPECT_EQ(pane.store()[kMaxCharacters].lead, 0);

    // Deleting one makes room for exactly one.
    pane.setCaret(0);
    ASSERT_TRUE(pane.deleteForward());
    EXPECT_TRUE(pane.typeCharacter('y'));
    EXPECT_FALSE(pane.typeCharacter('z'));
}

TEST_F(EditorPane, OnlyPrintableAsciiIsTyped)
{
    EXPECT_FALSE(pane.typeCharacter('\t'));
    EXPECT_FALSE(pane.typeCharacter('\x7F'));
    EXPECT_TRUE(pane.typeCharacter('~'));
    EXPECT_TRUE(pane.insertLineBreak());
    EXPECT_EQ(textOf(pane), "~\n");
}

TEST_F(EditorPane, DeleteBackspaceAndOneLevelUndo)
{
    bool modified = false;
    pane.onModified = [&] { modified = true; };
    pane.insert("abcd", 0, 0, false);
    EXPECT_TRUE(modified);
    EXPECT_FALSE(pane.store().canUndo());

    pane.setCaret(0);
    EXPECT_FALSE(pane.deleteBackward());
    pane.setCaret(2);
    ASSERT_TRUE(pane.deleteBackward());
    EXPECT_EQ(textOf(pane), "acd");
    EXPECT_EQ(pane.caret(), 1u);
    ASSERT_TRUE(pane.deleteForward());
    EXPECT_EQ(textOf(pane), "ad");

    ASSERT_TRUE(pane.undo());
    EXPECT_EQ(textOf(pane), "acd");
    EXPECT_EQ(pane.caret(), 1u);
    EXPECT_FALSE(pane.undo());  // one level only

    // Undo after a shrink and after a growth restores exactly, terminator included.
    pane.select(0, 2);
    pane.typeCharacter('Z');
    EXPECT_EQ(textOf(pane), "Z");
    ASSERT_TRUE(pane.undo());
    EXPECT_EQ(textOf(pane), "acd");
    EXPECT_FALSE(pane.hasSelection());
    EXPECT_EQ(pane.store()[0].flags, 0u);
    EXPECT_EQ(pane.store()[3].lead, 0);
}

TEST_F(EditorPane, RightAndLeftWithASelection)
{
    pane.insert("0123456789", 0, 0, false);
    pane.select(3, 5);
    pane.moveRight(false);
    EXPECT_EQ(pane.caret(), 6u);
    EXPECT_FALSE(pane.hasSelection());
    pane.select(3, 5);
    pane.moveLeft(false);
    EXPECT_EQ(pane.caret(), 2u);
    pane.setCaret(0);
    pane.moveLeft(false);
    EXPECT_EQ(pane.caret(), 0u);
}

TEST_F(EditorPane, ShiftExtendsFromTheAnchor)
{
    pane.insert("abcdef", 0, 0, false);
    pane.setCaret(2);
    pane.moveRight(true);
    pane.moveRight(true);
    EXPECT_EQ(pane.selFirst(), 2);
    EXPECT_EQ(pane.selLast(), 3);
    pane.moveLeft(true);
    pane.moveLeft(true);
    pane.moveLeft(true);
    EXPECT_EQ(pane.selFirst(), 1);
    EXPECT_EQ(pane.selLast(), 1);
    EXPECT_TRUE(pane.store()[1].flags & kCellSelected);
    EXPECT_FALSE(pane.store()[2].flags & kCellSelected);
    pane.moveEnd(true);
    EXPECT_EQ(pane.selFirst(), 2);
    EXPECT_EQ(pane.selLast(), 5);
}

TEST_F(EditorPane, HomeAndEndGoByParagraphNotDisplayLine)
{
    pane.setClientSize(100, 200);  // lines end before x = 96: 11 characters a line
    pane.insert("aaaaaaaaaaaaaaaaaaaaaaaaa\nbb", 0, 0, false);
    ASSERT_GT(pane.lineOf(20), 0);
    pane.setCaret(20);
    pane.moveHome(false);
    EXPECT_EQ(pane.caret(), 0u);
    pane.moveEnd(false);
    EXPECT_EQ(pane.caret(), 25u);
    pane.setCaret(27);
    pane.moveHome(false);
    EXPECT_EQ(pane.caret(), 26u);
}

TEST_F(EditorPane, UpAndDownKeepTheColumn)
{
    pane.insert("abcdef\nab\nabcdef", 0, 0, false);
    pane.setCaret(4);  // x of 'e'
    pane.moveDown(false);
    EXPECT_EQ(pane.caret(), 9u);  // line "ab" is shorter: its end
    pane.moveDown(false);
    EXPECT_EQ(pane.caret(), 12u);  // first cell at or beyond x on the next line
    pane.moveDown(false);
    EXPECT_EQ(pane.caret(), 12u);  // last line
    pane.moveUp(false);
    pane.moveUp(false);
    EXPECT_EQ(pane.caret(), 2u);
    pane.moveUp(false);
    EXPECT_EQ(pane.caret(), 2u);
}

TEST_F(EditorPane, CtrlArrowsByUnitAndByWord)
{
    pane.insert("ab", 0, 0, false);
    pane.insert("cd ", 5, 0, false);
    pane.insert(std::string("ef  gh") + kA + kI, 0, 0, false);
    // a b [c d ' '](5) e f ' ' ' ' g h あ い
    pane.setCaret(0);
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 2u);  // word "ab" ends at the unit
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 5u);  // the unit's end
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 7u);  // to the next space
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 9u);  // spaces skipped
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 13u);  // "gh" and, no space before it, the double bytes too
    pane.setCaret(11);
    pane.moveUnitRight(false);
    EXPECT_EQ(pane.caret(), 12u);  // one double-byte character

    pane.setCaret(13);
    pane.moveUnitLeft(false);
    EXPECT_EQ(pane.caret(), 12u);
    pane.moveUnitLeft(false);
    EXPECT_EQ(pane.caret(), 11u);
    pane.setCaret(9);
    pane.moveUnitLeft(false);
    EXPECT_EQ(pane.caret(), 7u);
    pane.moveUnitLeft(false);
    EXPECT_EQ(pane.caret(), 5u);
    pane.moveUnitLeft(false);
    EXPECT_EQ(pane.caret(), 2u);
    pane.moveUnitLeft(true);
    EXPECT_EQ(pane.selFirst(), 0);
    EXPECT_EQ(pane.selLast(), 1);
}

TEST_F(EditorPane, DoubleClickRules)
{
    FixedMetrics other;
    TransDoc doc(font, other);
    EditPane& src = doc.source();
    src.insert(" Hello", 0, 0, false);
    src.insert(kA, 0, 0, false);
    src.insert("x.", 4, 0, false);
    doc.translation().insert("yy", 4, 0, false);
    EXPECT_EQ(doc.doubleClick(Side::Source, 0), DoubleClickResult::Nothing);   // a space
    EXPECT_EQ(doc.doubleClick(Side::Source, 99), DoubleClickResult::Nothing);  // beyond the text
    EXPECT_EQ(doc.doubleClick(Side::Source, 3), DoubleClickResult::Selected);
    EXPECT_EQ(src.selFirst(), 1);
    EXPECT_EQ(src.selLast(), 5);
    EXPECT_EQ(doc.doubleClick(Side::Source, 6), DoubleClickResult::Selected);
    EXPECT_EQ(src.selFirst(), 6);
    EXPECT_EQ(src.selLast(), 6);
    EXPECT_EQ(doc.doubleClick(Side::Source, 8), DoubleClickResult::PairMark);
    EXPECT_EQ(src.selFirst(), 7);
    EXPECT_EQ(src.selLast(), 8);
    EXPECT_EQ(doc.translation().selFirst(), 0);
    EXPECT_EQ(doc.translation().selLast(), 1);

    src.setCaret(0);
    EXPECT_FALSE(doc.pairMark(Side::Source));

    // Word choice replaces the translation's unit, which keeps its number and stays selected.
    EditPane& tr = doc.translation();
    tr.store()[0].tag = 6;
    ASSERT_TRUE(tr.replaceUnit(kA));
    EXPECT_EQ(textOf(tr), kA);
    EXPECT_EQ(tr.store()[0].pair, 4);
    EXPECT_EQ(tr.store()[0].tag, 6);
    EXPECT_EQ(tr.selFirst(), 0);
    EXPECT_EQ(tr.selLast(), 0);
    EXPECT_TRUE(tr.undo());
    EXPECT_EQ(textOf(tr), "yy");
}

TEST_F(EditorPane, LayoutWrapsUnitsAndPlacesTheTerminator)
{
    pane.setClientSize(100, 40);  // limit 96: x from 2, 8 per byte
    pane.insert("aaaa bbbbbbbb", 0, 0, false);
    // "aaaa " ends at x 42; "bbbbbbbb" (64) would reach 106: it starts a new line.
    EXPECT_EQ(pane.store()[5].x, 2);
    EXPECT_EQ(pane.store()[5].y, 18);
    EXPECT_EQ(pane.store()[13].x, 66);  // the terminator where the next character would go
    EXPECT_EQ(pane.store().lineCount, 2);
    EXPECT_EQ(pane.textHeight(), 36);
    EXPECT_EQ(pane.scrollRange(), 0);

    // A unit longer than a line breaks by characters.
    pane.clearAll();
    pane.insert(std::string(30, 'c') + "\n" + kA, 0, 0, false);
    EXPECT_EQ(pane.store()[10].y, 2);
    EXPECT_EQ(pane.store()[11].y, 18);
    EXPECT_EQ(pane.store()[31].x, 2);  // after the line break
    EXPECT_EQ(pane.store().lineCount, 4);
    EXPECT_EQ(pane.textHeight(), 68);
    EXPECT_EQ(pane.scrollRange(), (16 - 40 + 68) / 16);

    // Scrolling follows the caret and stays in range.
    pane.setCaret(0);
    pane.moveEnd(false);
    pane.moveRight(false);
    pane.moveRight(false);
    EXPECT_EQ(pane.topLine(), 2);
    pane.scrollBy(-pane.pageLines());
    EXPECT_EQ(pane.topLine(), 1);
    pane.scrollTo(100);
    EXPECT_EQ(pane.topLine(), pane.scrollRange());
    pane.scrollByWheel(1);
    EXPECT_EQ(pane.topLine(), 0);
}

TEST_F(EditorPane, LayoutAfterAnEditMatchesAFullLayout)
{
    // Edits lay out only from the line they touch; a full layout must agree cell for cell.
    pane.setClientSize(120, 100);
    const std::string pieces[] = {"word ", "longerwordthanaline", kA, "\n", " ", "ab", "x"};
    std::uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int step = 0; step < 400; ++step) {
        pane.setCaret(next() % (pane.length() + 1));
        if (next() % 3 == 0 && pane.length() > 0) {
            const std::size_t first = next() % pane.length();
            pane.select(first, std::min(pane.length() - 1, first + next() % 8));
            pane.deleteSelection();
        } else {
            pane.insert(pieces[next() % 7], 0, 0, false);
        }
        std::vector<std::pair<int, int>> incremental;
        for (std::size_t i = 0; i <= pane.length(); ++i)
            incremental.emplace_back(pane.store()[i].x, pane.store()[i].y);
        const int lines = pane.store().lineCount;
        pane.layout();
        for (std::size_t i = 0; i <= pane.length(); ++i)
            ASSERT_EQ(incremental[i], std::make_pair(pane.store()[i].x, pane.store()[i].y)) << "step " << step << " cell " << i;
        ASSERT_EQ(lines, pane.store().lineCount);
    }
}

TEST_F(EditorPane, HitTestFindsTheCellUnderThePointer)
{
    pane.setClientSize(100, 100);
    pane.insert(std::string("ab\n") + kA + "cd", 0, 0, false);
    EXPECT_EQ(pane.cellAt(3, 3), 0u);
    EXPECT_EQ(pane.cellAt(11, 3), 1u);
    EXPECT_EQ(pane.cellAt(80, 3), 2u);    // past the end: the line break
    EXPECT_EQ(pane.cellAt(17, 20), 3u);   // inside the double-byte character
    EXPECT_EQ(pane.cellAt(80, 20), 6u);   // past the last line: the terminator
    EXPECT_EQ(pane.cellAt(5, 500), 3u);   // below the text: the last line
}

TEST(EditorPlacement, StoredRectangleIsClampedToTheWorkArea)
{
    const WorkArea area{0, 0, 1024, 768};
    const auto clamp = [&](int l, int t, int w, int h) {
        const WindowPlacement p = clampPlacement({l, t, w, h}, area);
        return std::vector<int>{p.left, p.top, p.width, p.height};
    };
    EXPECT_EQ(clamp(10, 10, 500, 300), (std::vector<int>{10, 10, 500, 300}));
    EXPECT_EQ(clamp(10, 10, 2000, -5), (std::vector<int>{10, 10, 1024, 768}));
    EXPECT_EQ(clamp(824, 568, 500, 300), (std::vector<int>{524, 468, 500, 300}));
    EXPECT_EQ(clamp(-400, -20, 500, 300), (std::vector<int>{0, 0, 500, 300}));
    EXPECT_EQ(clamp(-250, 10, 500, 300), (std::vector<int>{-250, 10, 500, 300}));

    // A work area that does not start at the screen's corner: a panel above, a second monitor.
    const WorkArea right{1280, 30, 2560, 1024};
    const WindowPlacement offLeft = clampPlacement({-900, 5, 500, 300}, right);
    EXPECT_EQ(std::vector<int>({offLeft.left, offLeft.top}), (std::vector<int>{1280, 30}));
    const WindowPlacement offRight = clampPlacement({5000, 3000, 500, 300}, right);
    EXPECT_EQ(std::vector<int>({offRight.left, offRight.top}), (std::vector<int>{2060, 724}));

    EXPECT_EQ(splitterPosition(300, 800), 300);
    EXPECT_EQ(splitterPosition(0, 800), 400);
    EXPECT_EQ(splitterPosition(800, 800), 400);
}

} // namespace
} // namespace yv::editor

namespace yv::editor {
namespace {

std::vector<int> rectOf(const WindowPlacement& p) { return {p.left, p.top, p.width, p.height}; }

TEST(EditorPlacement, WithoutAStoredPlacementTheWindowAvoidsTheToolbox)
{
    const WorkArea area{0, 0, 1200, 900};
    const FrameAllowance frame{0, 30};
    // Two thirds of the work area, centred, the frame included.
    EXPECT_EQ(rectOf(defaultPlacement(area, std::nullopt, frame)), (std::vector<int>{200, 150, 800, 570}));
    // A toolbox in a corner, away from the centred window, changes nothing.
    EXPECT_EQ(rectOf(defaultPlacement(area, ScreenRect{0, 0, 150, 100}, frame)),
              (std::vector<int>{200, 150, 800, 570}));

    // A toolbox bar across the top-middle: the window goes below it, as large as fits.
    const WindowPlacement below = defaultPlacement(area, ScreenRect{300, 0, 900, 200}, frame);
    EXPECT_EQ(rectOf(below), (std::vector<int>{200, 250, 800, 570}));
    EXPECT_GE(below.top, 200);

    // A toolbox down the middle of the left: the window goes to its right.
    const WindowPlacement beside = defaultPlacement(area, ScreenRect{0, 100, 500, 800}, frame);
    EXPECT_GE(beside.left, 500);
    EXPECT_LE(beside.left + beside.width, 1200);
    EXPECT_EQ(beside.height + frame.height, 600);

    // A toolbox as large as the screen leaves no better place than the centre.
    EXPECT_EQ(rectOf(defaultPlacement(area, ScreenRect{0, 0, 1200, 900}, frame)),
              (std::vector<int>{200, 150, 800, 570}));

    // A work area off the screen's corner keeps the window inside it.
    const WindowPlacement second = defaultPlacement({1280, 30, 2560, 1024}, ScreenRect{1400, 30, 2400, 120}, frame);
    EXPECT_GE(second.left, 1280);
    EXPECT_GE(second.top, 120);
    EXPECT_LE(second.top + second.height + frame.height, 1024);
}

} // namespace
} // namespace yv::editor

namespace yv::editor {
namespace {

TEST(EditorComposition, PlacedFromTheCaretAndWrappedLikeThePane)
{
    const auto xy = [](const std::vector<GlyphPlace>& places) {
        std::vector<int> flat;
        for (const GlyphPlace& p : places)
            flat.insert(flat.end(), {p.x, p.y});
        return flat;
    };
    // Limit 100 - 4 = 96: a 16-wide character at x = 82 would reach 98 and wraps.
    EXPECT_EQ(xy(placeComposition({16, 16, 16}, {50, 18}, 100, 16)),
              (std::vector<int>{50, 18, 66, 18, 2, 34, 18, 34}));
    EXPECT_EQ(xy(placeComposition({}, {10, 2}, 100, 16)), (std::vector<int>{10, 2}));
    // A pane narrower than one character still places each at the margin, one per line.
    EXPECT_EQ(xy(placeComposition({16, 16}, {2, 2}, 10, 16)), (std::vector<int>{2, 2, 2, 18, 18, 18}));
}

} // namespace
} // namespace yv::editor
