// Header and footer codes, margins, columns, wrapping and paging of printing.
#include "editortest.h"

#include <editorcore/printlayout.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

// 10 units a byte, lines 20 + 4 leading, widest character 20; text 10 a byte.
class FixedPrintMetrics final : public PrintMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 20 : 10; }
    int textWidth(std::string_view utf8) const override { return 10 * static_cast<int>(utf8.size()); }
    int height() const override { return 20; }
    int externalLeading() const override { return 4; }
    int maxCharWidth() const override { return 20; }
};

TEST(EditorPrintCodes, Expansion)
{
    const PrintClock clock{3, 7, 9, 5};
    EXPECT_EQ(expandPrintCodes("&P/&F", 3, "report", clock), "3/report");
    EXPECT_EQ(expandPrintCodes("&D &T", 1, "", clock), " 3月 7日  9:05");
    EXPECT_EQ(expandPrintCodes("a&xb&&c&", 1, "", clock), "abc");
}

class EditorPrintLayout : public ::testing::Test {
protected:
    PrintDevice device()
    {
        PrintDevice d;
        d.dpiX = d.dpiY = 254;  // 10 units a millimetre
        d.width = 1000;
        d.height = 1000;
        return d;
    }

    testing::FixedMetrics screen;
    FixedPrintMetrics metrics;
    EditPane source{screen};
    EditPane translation{screen};
};

TEST_F(EditorPrintLayout, MarginsHeaderAndFooterShapeTheBody)
{
    PrintSettings settings;
    settings.marginTop = 10;
    settings.marginBottom = 10;
    settings.marginLeft = 10;
    settings.marginRight = 10;
    settings.header = "&P/&F";
    settings.headerAlign = PrintAlign::Right;
    settings.footer = "f";
    PrintDevice d = device();
    d.unprintableLeft = 45;  // 4.5 mm rounds up to 5: the left side moves in by 5 mm only
    const PrintLayout layout = layoutPrint(source.store(), translation.store(), settings, d, metrics, "doc", {});
    EXPECT_EQ(layout.linePitch, 24);
    EXPECT_EQ(layout.left, 50);
    EXPECT_EQ(layout.right, 1000 - 100 - 20);
    // 800 units hold 33 whole lines: the bottom snaps to 100 + 792, then header and footer
    // take two lines each.
    EXPECT_EQ(layout.top, 100 + 48);
    EXPECT_EQ(layout.bottom, 892 - 48);
    ASSERT_EQ(layout.pages.size(), 1u);
    ASSERT_TRUE(layout.pages[0].header);
    EXPECT_EQ(layout.pages[0].header->text, "1/doc");
    EXPECT_EQ(layout.pages[0].header->x, 880 - 50);
    EXPECT_EQ(layout.pages[0].header->y, 100);
    ASSERT_TRUE(layout.pages[0].footer);
    EXPECT_EQ(layout.pages[0].footer->y, 892 - 24);
    EXPECT_EQ(layout.pages[0].footer->x, 50 + (830 - 10) / 2);
}

TEST_F(EditorPrintLayout, ColumnsWrapByWordAndPageByThemselves)
{
    PrintSettings settings;
    settings.marginTop = settings.marginBottom = settings.marginLeft = settings.marginRight = 0;
    // Right edge 980; middle 490: source column [0, 470), translation column [510, 980).
    source.insert(std::string(40, 'a') + " " + std::string(10, 'b'), 0, 0, false);
    std::string lines;
    for (int i = 0; i < 50; ++i)
        lines += "x\n";
    translation.insert(lines, 0, 0, false);
    const PrintLayout layout = layoutPrint(source.store(), translation.store(), settings, device(), metrics, "", {});

    // "a" x 40 and the space fit the first line; the "b" word would cross the edge and
    // moves to the next line as a whole.
    const auto& chars = layout.pages[0].chars;
    const auto placed = [&](int column, std::size_t cell) {
        for (const PlacedChar& c : chars)
            if (c.column == column && c.cell == cell)
                return c;
        return PlacedChar{-1, 0, -1, -1};
    };
    EXPECT_EQ(placed(0, 40).x, 400);
    EXPECT_EQ(placed(0, 40).y, 0);
    EXPECT_EQ(placed(0, 41).x, 0);
    EXPECT_EQ(placed(0, 41).y, 24);
    EXPECT_EQ(placed(0, 50).x, 90);
    EXPECT_EQ(placed(1, 0).x, 510);
    // 41 lines of 24 fit in 984: the translation's 42nd line goes to page 2.
    ASSERT_EQ(layout.pages.size(), 2u);
    EXPECT_EQ(placed(1, 2 * 41).y, -1);
    bool onSecond = false;
    for (const PlacedChar& c : layout.pages[1].chars)
        onSecond = onSecond || (c.column == 1 && c.cell == 2 * 41 && c.y == 0);
    EXPECT_TRUE(onSecond);

    settings.way = PrintWay::TranslationOnly;
    const PrintLayout alone = layoutPrint(source.store(), translation.store(), settings, device(), metrics, "", {});
    EXPECT_EQ(alone.pages[0].chars[0].x, 0);
    EXPECT_EQ(alone.pages[0].chars[0].column, 1);
}

} // namespace
} // namespace yv::editor
