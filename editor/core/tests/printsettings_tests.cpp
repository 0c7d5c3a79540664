// Stored print values read back: numbers held in range, unknown codes as the defaults.
#include <editorcore/printlayout.h>

#include <gtest/gtest.h>

namespace yv::editor {
namespace {

TEST(EditorPrintSettings, StoredNumbersParseLeniently)
{
    EXPECT_EQ(parseStoredNumber("35", 1, 0, 100), 35);
    EXPECT_EQ(parseStoredNumber("  12mm", 1, 0, 100), 12);
    EXPECT_EQ(parseStoredNumber("-4", 1, 0, 100), 0);
    EXPECT_EQ(parseStoredNumber("", 7, 0, 100), 7);
    EXPECT_EQ(parseStoredNumber("mm", 7, 0, 100), 7);
    EXPECT_EQ(parseStoredNumber("-", 7, 0, 100), 7);
    EXPECT_EQ(parseStoredNumber("99999999999999999999999", 7, 0, 100), 100);
    EXPECT_EQ(parseStoredNumber("-99999999999999999999999", 7, 5, 100), 5);
}

TEST(EditorPrintSettings, UnknownCodesReadAsDefaults)
{
    EXPECT_EQ(printAlignFromStored(76), PrintAlign::Left);
    EXPECT_EQ(printAlignFromStored(82), PrintAlign::Right);
    EXPECT_EQ(printAlignFromStored(0), PrintAlign::Centre);
    EXPECT_EQ(printWayFromStored(2), PrintWay::TranslationOnly);
    EXPECT_EQ(printWayFromStored(0), PrintWay::SideBySide);
    EXPECT_EQ(printWayFromStored(3), PrintWay::SideBySide);
}

} // namespace
} // namespace yv::editor
