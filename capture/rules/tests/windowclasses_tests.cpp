// The window-class tables.
#include <capturerules/windowclasses.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace yv::capture;

constexpr std::uint32_t kListReport = 0x1;
constexpr std::uint32_t kEditReadOnly = 0x800;
constexpr std::uint32_t kEditMultiLine = 0x4;

TEST(CaptureWindowClasses, SingleLineWindowsMatchByPrefixAndStyle)
{
    EXPECT_TRUE(recommendsSingleLine("#32768", 0x1));
    EXPECT_FALSE(recommendsSingleLine("#32768", 0));  // no style bit at all
    EXPECT_TRUE(recommendsSingleLine("SysListView32", kListReport));
    EXPECT_FALSE(recommendsSingleLine("SysListView32", 0x4));  // icon view: several lines a label
    EXPECT_TRUE(recommendsSingleLine("ListBoxEx", kAllStyleBits));
    EXPECT_FALSE(recommendsSingleLine("MyListBox", kAllStyleBits));
    EXPECT_FALSE(recommendsSingleLine("Edit", kAllStyleBits));
    EXPECT_FALSE(recommendsSingleLine("", kAllStyleBits));
}

TEST(CaptureWindowClasses, SubstitutionRejectsMenusAndReadOnlyOrMultiLineEdits)
{
    EXPECT_TRUE(acceptsSubstitution("Edit", 0));
    EXPECT_FALSE(acceptsSubstitution("Edit", kEditReadOnly));
    EXPECT_FALSE(acceptsSubstitution("Edit", kEditMultiLine));
    EXPECT_FALSE(acceptsSubstitution("#32768", 0x10));
    EXPECT_TRUE(acceptsSubstitution("Afx:400000:b:123", 0));  // rejected only with a style bit
    EXPECT_FALSE(acceptsSubstitution("Afx:400000:b:123", 0x10));
    EXPECT_TRUE(acceptsSubstitution("Afx:12", 0x10));
    EXPECT_TRUE(acceptsSubstitution("RichEdit20W", kAllStyleBits));
    EXPECT_TRUE(acceptsSubstitution("SysTreeView32", 0));
}

TEST(CaptureWindowClasses, DisabledAndUnknownClassesAreLeftAlone)
{
    EXPECT_FALSE(acceptsSubstitution("Button", 0));
    EXPECT_FALSE(acceptsSubstitution("tooltips_class32", 0));
    EXPECT_FALSE(acceptsSubstitution("#32770", 0));
    EXPECT_FALSE(acceptsSubstitution("XTerm", 0));
    // Only the first 127 characters of a class name are looked at.
    EXPECT_FALSE(acceptsSubstitution(std::string(127, 'x') + "Edit", 0));
}

} // namespace
