// Entry layout: indents, wrapping, no-wrap and no-break ranges, hit tests, the key's
// occurrences and copying, on hand-made entries and on the FreePWING sample book.
#include <lexview/entrylayout.h>

#include <book/bookshelf.h>
#include <platform/codec.h>

#include <gtest/gtest.h>

namespace yv::lexview {
namespace {

using book::CellRange;
using book::DisplayCell;
using book::DisplayModel;

// Double-byte characters are 16 wide, single bytes 8, narrow ones 8, small ones 8; lines 20.
class FixedMetrics final : public CellMetrics {
public:
    int width(const DisplayCell& cell, CellFont font) const override
    {
        if (cell.isExternal())
            return (cell.flags & book::CellFlag::NarrowGlyph) ? 8 : 16;
        if (font != CellFont::Normal)
            return 8;
        return cell.length == 2 ? 16 : 8;
    }
    int spaceWidth() const override { return 8; }
    int lineHeight() const override { return 20; }
};

// Cells of UTF-8 text; "\n" is a line break whose next line has `indent`, "@" an external
// character.
DisplayModel model(std::string_view utf8, std::uint16_t indent = 0)
{
    DisplayModel m;
    const std::string sjis = codec::utf8ToCp932(utf8);
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        DisplayCell cell;
        if (sjis[i] == '\n') {
            cell.bytes = {'\r', '\n'};
            cell.length = 2;
            cell.flags = book::CellFlag::LineBreak;
            cell.indent = indent;
        } else if (sjis[i] == '@') {
            cell.bytes = {' ', ' '};
            cell.length = 2;
            cell.flags = book::CellFlag::ExternalCharacter;
            cell.gaijiCode = 0xA121;
        } else if (codec::isLeadByte(static_cast<unsigned char>(sjis[i]))) {
            cell.bytes = {sjis[i], sjis[i + 1]};
            cell.length = 2;
            ++i;
        } else {
            cell.bytes = {sjis[i], 0};
            cell.length = 1;
        }
        m.cells.push_back(cell);
    }
    return m;
}

std::string utf8(const std::string& sjis)
{
    return codec::cp932ToUtf8(sjis);
}

const FixedMetrics kMetrics;

TEST(EntryLayoutTest, IndentsWrapAndNoWrapRanges)
{
    DisplayModel m = model("あいうえお\nかきくけこさしすせそ", 2);
    m.firstIndent = 1;
    // 20 + 5 * 16 = 100: the first line just fits a client of 120 less the margin.
    const EntryLayout l = layoutEntry(m, kMetrics, 120);
    EXPECT_EQ(l.boxes[0].x, 8);
    EXPECT_EQ(l.boxes[4].x, 72);
    EXPECT_EQ(l.boxes[4].y, 0);
    // After the line break, the indent of 2 spaces; a wrapped line keeps it.
    EXPECT_EQ(l.boxes[6].x, 16);
    EXPECT_EQ(l.boxes[6].y, 20);
    EXPECT_EQ(l.boxes[10].y, 20);
    EXPECT_EQ(l.boxes[11].x, 16);
    EXPECT_EQ(l.boxes[11].y, 40);
    EXPECT_EQ(l.height, 60);

    // Inside a no-wrap range the line runs on past the client.
    DisplayModel noWrap = model("あいうえおかきくけこ");
    noWrap.noWrap.push_back({0, 9});
    const EntryLayout wide = layoutEntry(noWrap, kMetrics, 120);
    EXPECT_EQ(wide.boxes[9].y, 0);
    EXPECT_EQ(wide.width, 160);
    // A client narrower than the margin still puts one cell on each line, never none.
    const EntryLayout narrow = layoutEntry(model("あい"), kMetrics, 5);
    EXPECT_EQ(narrow.boxes[1].y, 20);
}

TEST(EntryLayoutTest, NoBreakRangesMoveToTheNextLineWhole)
{
    DisplayModel m = model("あいうえかきくけ");
    m.noBreak.push_back({4, 7});
    const EntryLayout l = layoutEntry(m, kMetrics, 150);  // 130 usable: 8 cells would need 128
    EXPECT_EQ(l.boxes[7].y, 0);
    const EntryLayout moved = layoutEntry(m, kMetrics, 120);  // 100 usable: the range moves
    EXPECT_EQ(moved.boxes[3].y, 0);
    EXPECT_EQ(moved.boxes[4].y, 20);
    EXPECT_EQ(moved.boxes[4].x, 0);
    EXPECT_EQ(moved.boxes[7].y, 20);
    // Longer than a line: it starts a line and wraps there like other text.
    DisplayModel longRange = model("あいうえおかきくけこさしす");
    longRange.noBreak.push_back({1, 12});
    const EntryLayout split = layoutEntry(longRange, kMetrics, 120);
    EXPECT_EQ(split.boxes[1].y, 20);
    EXPECT_EQ(split.boxes[7].y, 40);
}

TEST(EntryLayoutTest, HalfWidthAndSmallCellsUseTheirFonts)
{
    DisplayModel m = model("漢字abH2O");
    m.halfWidth.push_back({0, 3});
    m.subscript.push_back({5, 5});
    const EntryLayout l = layoutEntry(m, kMetrics, 400);
    EXPECT_EQ(fontOf(m.cells[0], l.styles[0]), CellFont::Narrow);
    EXPECT_EQ(fontOf(m.cells[2], l.styles[2]), CellFont::Normal) << "single bytes keep their width";
    EXPECT_EQ(fontOf(m.cells[5], l.styles[5]), CellFont::Small);
    EXPECT_EQ(l.boxes[4].x, 32);
    // Ranges of a damaged entry that reach past the cells are cut at the last one.
    m.emphasis.push_back({3, 400});
    EXPECT_EQ(cellStyles(m).size(), m.cells.size());
}

TEST(EntryLayoutTest, PointsFindTheirCells)
{
    const DisplayModel m = model("あいう\nかき");
    const EntryLayout l = layoutEntry(m, kMetrics, 400);
    EXPECT_EQ(cellAt(l, 20, 5), 1u);
    EXPECT_EQ(cellAt(l, 300, 5), 3u) << "past the end of a line: its last cell, the line break";
    EXPECT_EQ(cellAt(l, 17, 25), 5u);
    EXPECT_EQ(cellAt(l, 0, 200), std::nullopt);
    EXPECT_EQ(cellAt(l, 0, -1), std::nullopt);
}

TEST(EntryLayoutTest, KeyOccurrencesAreHighlighted)
{
    DisplayModel m = model("Apple, apples; アップル・パイとアッ･プル");
    highlightKey(m, "apple");
    auto lit = [&](std::size_t i) { return (m.cells[i].flags & book::CellFlag::Highlighted) != 0; };
    // "Apple," matches without case; "apples" does not: a letter follows.
    EXPECT_TRUE(lit(0));
    EXPECT_TRUE(lit(4));
    EXPECT_FALSE(lit(5));
    EXPECT_FALSE(lit(7));
    highlightKey(m, codec::utf8ToCp932("アップル"));
    EXPECT_FALSE(lit(0)) << "an earlier key's marks are cleared";
    EXPECT_TRUE(lit(15));
    // Middle dots in the text are passed over inside an occurrence.
    const std::size_t last = m.cells.size() - 1;
    EXPECT_TRUE(lit(last));
    EXPECT_TRUE(lit(last - 2));
}

TEST(EntryLayoutTest, CopyBreaksWhereTheDisplayWrapsAndMarksExternalCharacters)
{
    const DisplayModel m = model("あいう@えおか\nき");
    const EntryLayout l = layoutEntry(m, kMetrics, 84);  // four cells a line
    const CopiedText all = copyText(m, l, 0, m.cells.size() - 1);
    EXPECT_EQ(utf8(all.sjis), "あいう@\r\nえおか\r\nき");
    EXPECT_TRUE(all.hadExternal);
    const CopiedText part = copyText(m, l, 1, 2);
    EXPECT_EQ(utf8(part.sjis), "いう");
    EXPECT_FALSE(part.hadExternal);
    EXPECT_TRUE(copyText(m, l, 5, 100).sjis.size() > 0) << "a selection past the end is cut";
    EXPECT_EQ(selectionKey(m, 0, 2), codec::utf8ToCp932("あいう"));
    EXPECT_EQ(selectionKey(m, 2, 3), std::nullopt);
}

#ifdef YV_SAMPLE_BOOK_DIR
struct QuietPrompter final : book::BookPrompter {
    void report(book::BookMessage, book::MessageIcon) override { ADD_FAILURE() << "unexpected message"; }
    bool askKeepHits() override { return true; }
};

class SampleEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shelf.LoadBookList(std::filesystem::path(YV_SAMPLE_BOOK_DIR) / "catalogs", {}));
        ASSERT_TRUE(shelf.SelectBook(0));
    }

    DisplayModel entry(std::string_view key)
    {
        DisplayModel m;
        EXPECT_EQ(shelf.Search(codec::utf8ToCp932(key), book::SearchMethod::Forward), book::SearchOutcome::Found);
        if (!shelf.hits().empty()) {
            EXPECT_TRUE(shelf.ReadEntry(shelf.hits().hits()[0].text, m));
        }
        return m;
    }

    QuietPrompter prompter;
    book::BookShelf shelf{prompter};
};

TEST_F(SampleEntryTest, BookEntriesLayOutWithTheirIndentsReferencesAndRanges)
{
    DisplayModel school = entry("がっこう");
    highlightKey(school, codec::utf8ToCp932("がっこう"));
    const EntryLayout l = layoutEntry(school, kMetrics, 600);
    // The heading's occurrence of the key is marked; the reference is clickable and leads on.
    EXPECT_TRUE(school.cells[0].flags & book::CellFlag::Highlighted);
    ASSERT_EQ(school.references.size(), 1u);
    const std::size_t anchor = school.references[0].cells.first;
    EXPECT_TRUE(l.styles[anchor] & CellStyle::Clickable);
    EXPECT_EQ(itemAt(school, anchor).kind, ItemKind::Reference);
    // The reference's line is indented by two spaces.
    EXPECT_EQ(l.boxes[anchor - 1].x, 16);
    EXPECT_EQ(l.boxes[anchor].y, 40);

    // The no-break range of "データ" moves to a line of its own when the line is too narrow.
    const DisplayModel data = entry("データ");
    ASSERT_EQ(data.noBreak.size(), 1u);
    const std::size_t first = data.noBreak[0].first;
    const EntryLayout wide = layoutEntry(data, kMetrics, 600);
    const int lineWidth = wide.boxes[first].x;  // where the range starts on a wide display
    const EntryLayout tight = layoutEntry(data, kMetrics, lineWidth + kRightMargin + 40);
    EXPECT_LT(tight.boxes[first].x, 20) << "at the start of the next line, after its indent";
    EXPECT_EQ(tight.boxes[first].y, wide.boxes[first].y + 20);
    EXPECT_EQ(tight.boxes[data.noBreak[0].last].y, tight.boxes[first].y);

    // The narrow range of "１２月" holds half-width text; sounds and pictures are clickable.
    const DisplayModel december = entry("１２");
    EXPECT_NE(utf8(copyText(december, layoutEntry(december, kMetrics, 600), 0, december.cells.size() - 1).sjis)
                  .find("(n) cat"),
              std::string::npos);
    const DisplayModel instrument = entry("がっき");
    ASSERT_EQ(instrument.waves.size(), 1u);
    EXPECT_EQ(itemAt(instrument, instrument.waves[0].cells.first + 1).kind, ItemKind::Wave);
}
#endif

} // namespace
} // namespace yv::lexview
