// The engine's look-up string: the rows of each dictionary, headwords and hidden entries, and
// the dictionary names shown beside them.
#include <enginelink/lookupresult.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace yv::enginelink {
namespace {

std::vector<std::string> texts(const LookUpResult& result)
{
    std::vector<std::string> out;
    for (const LookUpRow& row : result.rows)
        out.push_back(row.translation + "|" + row.partOfSpeech + "|" + row.dictionary);
    return out;
}

TEST(LookUpResult, RowsOfEachDictionaryWithHeadwordsAndHiddenEntries)
{
    const LookUpResult result = parseLookUp("[/home/u/dic/ejudic.dic]\n"
                                            "<Run>\t\t\n"
                                            "verb\t\trun-user\n"
                                            "[/usr/share/edict/edict.gz]\r\n"
                                            "\n"
                                            "noun\thashiri\tsoukou\textra\r\n"
                                            "(sense)\tx\thidden\n"
                                            "verb\n");
    EXPECT_EQ(result.entries, 5u);
    EXPECT_EQ(texts(result), (std::vector<std::string>{"<Run>||", "run-user|verb|ejudic",
                                                       "soukou|noun|edict", "|verb|edict"}));
    EXPECT_TRUE(result.rows[0].headword);
    EXPECT_FALSE(result.rows[1].headword);
}

TEST(LookUpResult, FirstLineIsAlwaysAHeaderAndTheLastOfARunCounts)
{
    const LookUpResult result = parseLookUp("first/odd.dic\n[a.dic]\n[C:\\dic\\b.dic]\nn\t\tword\n");
    EXPECT_EQ(texts(result), std::vector<std::string>{"word|n|b"});

    // Only hidden entries: counted (no "not in a dictionary"), but nothing shown.
    const LookUpResult hidden = parseLookUp("[x.dic]\n(a)\t\tb\n(c)\n");
    EXPECT_TRUE(hidden.rows.empty());
    EXPECT_EQ(hidden.entries, 2u);

    for (const char* nothing : {"", "\n\n", "\r\n", "[only a header]\n"})
        EXPECT_EQ(parseLookUp(nothing).entries, 0u) << nothing;
}

TEST(LookUpResult, DictionaryNameSkipsDirectoryAndExtensionByCharacters)
{
    EXPECT_EQ(dictionaryName("C:\\Program Files\\dic\\user.dic"), "user");
    EXPECT_EQ(dictionaryName("/a/b.d/name"), "name");
    EXPECT_EQ(dictionaryName("/a/name.tar.gz"), "name.tar");
    // "表" ends in the byte of a backslash: not a separator inside the character.
    EXPECT_EQ(dictionaryName("C:\\\x95\x5C.dic"), "\x95\x5C");
    EXPECT_EQ(dictionaryName("dir/"), "");
    EXPECT_EQ(dictionaryName("\x95"), "\x95");
}

} // namespace
} // namespace yv::enginelink
