// Profile (INI) files: names without case, quoting, buffers, atomic rewrites.
#include <platform/profile.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

namespace profile = yv::profile;

TEST(IniDocument, FirstMatchWinsAndNamesIgnoreCase)
{
    const auto doc = profile::IniDocument::parse(
        "\xEF\xBB\xBF; comment\r\n[RELAYER/EJ]\r\n REGPATH = Software\\A \r\nregpath=second\r\n"
        "[relayer/ej]\r\nKEJ=\"/quoted path\"\r\nbroken line\r\n[Empty]\r\n");
    EXPECT_EQ(doc.value("relayer/ej", "RegPath"), "Software\\A");
    EXPECT_EQ(doc.value("RELAYER/EJ", "KEJ"), "/quoted path");
    EXPECT_FALSE(doc.value("RELAYER/EJ", "broken line"));
    EXPECT_FALSE(doc.value("Empty", "x"));
    EXPECT_FALSE(doc.value("missing", "REGPATH"));
}

TEST(IniDocument, EntriesBeforeAnySectionAndOddLinesAreIgnored)
{
    const auto doc = profile::IniDocument::parse("a=1\n[s\nb=2\n[]\nc=3\n=4\n");
    EXPECT_FALSE(doc.value("", "a"));
    EXPECT_EQ(doc.value("s", "b"), "2");  // an unclosed header still names its section
    EXPECT_EQ(doc.value("", "c"), "3");
    EXPECT_EQ(doc.value("", ""), "4");
}

TEST(IniDocument, SetValueKeepsTheRest)
{
    auto doc = profile::IniDocument::parse("[A]\nx=1\ny=2\n[B]\nz=3\n");
    doc.setValue("a", "Y", "20");
    doc.setValue("C", "n", "new");
    const auto again = profile::IniDocument::parse(doc.serialize());
    EXPECT_EQ(again.value("A", "x"), "1");
    EXPECT_EQ(again.value("A", "y"), "20");
    EXPECT_EQ(again.value("B", "z"), "3");
    EXPECT_EQ(again.value("C", "n"), "new");
}

TEST(Profile, FileNamesWithoutCaseInTheProfileDirectory)
{
    yv::testing::TestHome home;
    home.writeFile("machine/profile/Ejrelay.ini", "[RELAYER/EJ]\nREGPATH=Software\\Engine\\EJ\n");
    EXPECT_EQ(profile::getString("RELAYER/EJ", "REGPATH", "", "EJRELAY.INI"), "Software\\Engine\\EJ");
    EXPECT_EQ(profile::getString("RELAYER/EJ", "KEJ", "dflt", "ejrelay.INI"), "dflt");
    EXPECT_EQ(profile::getString("RELAYER/EJ", "REGPATH", "dflt", "NOFILE.INI"), "dflt");

    char small[9];
    EXPECT_EQ(profile::getString("RELAYER/EJ", "REGPATH", "", small, sizeof small, "EJRELAY.INI"), 8u);
    EXPECT_STREQ(small, "Software");
}

TEST(Profile, WritingCreatesAndReplacesTheFile)
{
    yv::testing::TestHome home;
    EXPECT_TRUE(profile::writeString("S", "k", "値", "NEW.INI"));
    EXPECT_EQ(profile::getString("s", "K", "", "new.ini"), "値");
    EXPECT_TRUE(profile::writeString("S", "k", "v2", "new.ini"));
    EXPECT_EQ(profile::getString("S", "k", "", "NEW.INI"), "v2");
    // One file, whatever the spelling used to write it.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(home.profileDir()))
        ++files;
    EXPECT_EQ(files, 1u);
}

} // namespace
