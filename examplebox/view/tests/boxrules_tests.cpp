// The hand-over key, the editor's command line and the stored widths and placement.
#include <sampleview/boxrules.h>

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace {

using namespace yv::sampleview;

TEST(HandOverKey, LengthLimitAndWhiteSpace)
{
    // 256 bytes pass, 257 are refused whatever the block holds.
    const std::string block(300, 'a');
    ASSERT_TRUE(handOverKey(256, block));
    EXPECT_EQ(handOverKey(256, block)->size(), 256u);
    EXPECT_FALSE(handOverKey(257, block));
    EXPECT_FALSE(handOverKey(65536, block));

    // Only the first `length` bytes count; the text ends at its NUL.
    EXPECT_EQ(*handOverKey(5, std::string("every day", 9)), "every");
    EXPECT_EQ(*handOverKey(10, std::string("rain\0more", 9)), "rain");
    // A length past the block's text takes what there is.
    EXPECT_EQ(*handOverKey(50, "short"), "short");

    // Single-byte text: TAB, CR and the LF after a CR become spaces, a lone LF goes.
    EXPECT_EQ(*handOverKey(12, "every\r\nday\tx"), "every  day x");
    EXPECT_EQ(*handOverKey(9, "every\nday"), "everyday");
    // With double-byte characters CR and LF go, TAB still becomes a space.
    const std::string japanese = yv::codec::utf8ToCp932("毎日\r\n雨\tです");
    EXPECT_EQ(*handOverKey(japanese.size(), japanese), yv::codec::utf8ToCp932("毎日雨 です"));
}

TEST(OpenCommand, ConfiguredEditorOrTheDesktopOpener)
{
    EXPECT_EQ(openCommand("", "/data/fd002/00000002.sam"),
              (std::vector<std::string>{"xdg-open", "/data/fd002/00000002.sam"}));
    EXPECT_EQ(openCommand("/usr/bin/gedit", "/d/a b.sam"), (std::vector<std::string>{"/usr/bin/gedit", "/d/a b.sam"}));
    // A configured command line keeps its own arguments and quoting.
    EXPECT_EQ(openCommand("\"/opt/my editor/ed\" --new-window", "/d/x.sam"),
              (std::vector<std::string>{"/opt/my editor/ed", "--new-window", "/d/x.sam"}));
    EXPECT_EQ(openCommand("   ", "/d/x.sam"), (std::vector<std::string>{"xdg-open", "/d/x.sam"}));
}

TEST(StoredSizes, ColumnWidthsAndPlacement)
{
    EXPECT_EQ(columnWidth(0, 200), 200);
    EXPECT_EQ(columnWidth(49, 200), 200);
    EXPECT_EQ(columnWidth(50, 200), 50);
    EXPECT_EQ(columnWidth(800, 100), 800);
    EXPECT_EQ(columnWidth(801, 100), 100);

    const Placement fresh = fitPlacement(kUnset, kUnset, kUnset, kUnset, 0, 0, 1920, 1080);
    EXPECT_FALSE(fresh.left);
    EXPECT_EQ(fresh.width, 680);
    EXPECT_EQ(fresh.height, 450);

    const Placement stored = fitPlacement(100, 80, 900, 600, 0, 0, 1920, 1080);
    EXPECT_EQ(*stored.left, 100);
    EXPECT_EQ(*stored.top, 80);
    EXPECT_EQ(stored.width, 900);

    // Larger than the screen it opens on: cut to it, and moved to stay on it.
    const Placement big = fitPlacement(1500, 10, 3000, 700, 0, 0, 1920, 1080);
    EXPECT_EQ(big.width, 1920);
    EXPECT_EQ(*big.left, 0);
    // A corner off the screen (a monitor that is gone, a negative number) is forgotten.
    EXPECT_FALSE(fitPlacement(5000, 10, 600, 400, 0, 0, 1920, 1080).left);
    EXPECT_FALSE(fitPlacement(static_cast<std::uint32_t>(-300), 10, 600, 400, 0, 0, 1920, 1080).left);
}

} // namespace
