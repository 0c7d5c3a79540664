// The texts the editor hands to other programs: the CD-ROM search term and its poke.
#include <editorcore/outgoing.h>

#include <platform/codec.h>

#include <gtest/gtest.h>

namespace {

using yv::editor::cdRomSearchPoke;
using yv::editor::cleanCdRomSearchTerm;

std::string sjis(const char* utf8) { return yv::codec::utf8ToCp932(utf8); }

TEST(CdRomSearchTerm, LineBreaksFollowTheKindOfText)
{
    EXPECT_EQ(cleanCdRomSearchTerm("a\r\n"), "a  ");
    EXPECT_EQ(cleanCdRomSearchTerm("a\nb\rc"), "ab c") << "a lone LF goes, a CR becomes a space";
    EXPECT_EQ(cleanCdRomSearchTerm("a\n\r\nb"), "a  b");
    EXPECT_EQ(cleanCdRomSearchTerm(sjis("辞書\r\n検索\n")), sjis("辞書検索"));
    EXPECT_EQ(cleanCdRomSearchTerm("one\ttwo"), "one two");
}

TEST(CdRomSearchTerm, LeadingBlanksAndIdeographicSpacesAreSkipped)
{
    EXPECT_EQ(cleanCdRomSearchTerm(sjis(" \t　 語 ")), sjis("語 "));
    EXPECT_EQ(cleanCdRomSearchTerm(sjis("　\r\n")), "") << "nothing left ends the command";
    EXPECT_EQ(cleanCdRomSearchTerm(""), "");
    // One double-byte character anywhere makes the whole text Japanese.
    EXPECT_EQ(cleanCdRomSearchTerm("x\r\n\x83\x40"), "x\x83\x40");
    // A lead byte cut off at the end is not a double-byte character.
    EXPECT_EQ(cleanCdRomSearchTerm("x\r\n\x83"), "x  \x83");
}

TEST(CdRomSearchTerm, PokeCarriesTheHandleInLowerCaseHex)
{
    EXPECT_EQ(cdRomSearchPoke("a  ", 0x5A0C3), "a  \t5a0c3");
    EXPECT_EQ(cdRomSearchPoke("x", 0), "x\t0");
}

} // namespace
