// The dictionary in shared memory: publishing, replacing and the substitution exports over it,
// and the krlibmake tool that builds the file.
#include "dictionarymapping.h"

#include <SNRCBK32.h>

#include <capturerules/substitutiondictionary.h>

#include <platform/sharedmemory.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <sys/wait.h>

namespace {

using namespace yv::capture;
using yv::shm::SharedBlock;

const std::string kApple = "\x82\xE8\x82\xF1\x82\xB2";  // りんご

class Snrcbk32Dictionary : public ::testing::Test {
protected:
    void TearDown() override { SharedBlock::remove(Internal::kDictionaryBlockName); }

    std::filesystem::path writeDictionary(std::vector<SubstitutionEntry> entries)
    {
        std::string error;
        const auto bytes = buildSubstitutionDictionary(std::move(entries), &error);
        EXPECT_TRUE(bytes) << error;
        home.writeFile("machine/KRLIB.DAT", bytes.value_or(""));
        return Internal::dictionaryFile();
    }

    static std::string published(std::string_view key)
    {
        const auto dictionary = Internal::PublishedDictionary::open();
        if (!dictionary)
            return "<no dictionary>";
        const auto value = dictionary->dictionary().find(key);
        return value ? std::string(*value) : "<none>";
    }

    yv::testing::TestHome home;
};

TEST_F(Snrcbk32Dictionary, FileInTheMachineDirectoryIsPublishedOnce)
{
    const auto file = writeDictionary({{"apple", kApple}});
    EXPECT_EQ(file, home.dir() / "machine" / "KRLIB.DAT");
    EXPECT_EQ(published("apple"), "<no dictionary>");
    ASSERT_TRUE(Internal::publishDictionary(file));
    EXPECT_EQ(published("apple"), kApple);
    EXPECT_TRUE(Internal::publishDictionary(file));  // already there
    EXPECT_EQ(published("apple"), kApple);
}

TEST_F(Snrcbk32Dictionary, ChangedOrRemovedFileReplacesTheBlock)
{
    const auto file = writeDictionary({{"apple", kApple}});
    ASSERT_TRUE(Internal::publishDictionary(file));
    writeDictionary({{"apple", "A2"}, {"pear", "P"}});
    ASSERT_TRUE(Internal::publishDictionary(file));
    EXPECT_EQ(published("apple"), "A2");

    std::filesystem::remove(file);
    EXPECT_FALSE(Internal::publishDictionary(file));
    EXPECT_EQ(published("apple"), "<no dictionary>");
}

TEST_F(Snrcbk32Dictionary, InvalidFileIsNotPublished)
{
    home.writeFile("machine/KRLIB.DAT", "hT but far too short");
    EXPECT_FALSE(Internal::publishDictionary(Internal::dictionaryFile()));
    EXPECT_FALSE(Internal::publishDictionary(home.dir() / "missing.dat"));
    EXPECT_EQ(published("apple"), "<no dictionary>");
}

TEST_F(Snrcbk32Dictionary, BlockLeftHalfFilledIsReplacedUnlessItsWriterLives)
{
    const auto file = writeDictionary({{"apple", kApple}});
    {
        // Filled by a process that died: no "hT", nobody holds the filling byte.
        const auto orphan = SharedBlock::create(Internal::kDictionaryBlockName, 100);
        ASSERT_TRUE(orphan);
    }
    ASSERT_TRUE(Internal::publishDictionary(file));
    EXPECT_EQ(published("apple"), kApple);

    SharedBlock::remove(Internal::kDictionaryBlockName);
    const auto filling = SharedBlock::create(Internal::kDictionaryBlockName, 100);
    ASSERT_TRUE(filling && filling->holdByte(0));
    EXPECT_TRUE(Internal::publishDictionary(file));  // left to its writer
    EXPECT_EQ(published("apple"), "<no dictionary>");
}

TEST_F(Snrcbk32Dictionary, SubstitutionExportsUseThePublishedDictionary)
{
    const auto file = writeDictionary({{"apple", kApple}, {"new york", "NY"}});
    ASSERT_TRUE(Internal::publishDictionary(file));

    char out[64];
    int outLength = sizeof out;
    EXPECT_EQ(TranslateProcA("Apples from New York!", 21, out, &outLength), 1);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(outLength)), kApple + " from NY!");
    EXPECT_EQ(out[outLength], '\0');

    // Only `length` bytes count.
    outLength = sizeof out;
    EXPECT_EQ(TranslateProcA("pear apple", 4, out, &outLength), 0);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(outLength)), "pear");

    char16_t wide[32];
    int wideLength = 32;
    EXPECT_EQ(TranslateProcW(u"an apple", 8, wide, &wideLength), 1);
    EXPECT_EQ(std::u16string(wide, static_cast<std::size_t>(wideLength)), u"an りんご");

    SharedBlock::remove(Internal::kDictionaryBlockName);
    std::fill(std::begin(out), std::end(out), 'z');
    outLength = sizeof out;
    EXPECT_EQ(TranslateProcA("apple", 5, out, &outLength), 0);
    EXPECT_EQ(out[0], 'z');  // left alone without a dictionary
    EXPECT_EQ(outLength, static_cast<int>(sizeof out));
}

std::string runTool(const std::string& arguments)
{
    const std::string command = (yv::testing::binDir() / "krlibmake").string() + " " + arguments + " 2>&1";
    std::string output;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            output += buffer;
        const int status = ::pclose(pipe);
        output += "[exit " + std::to_string(WEXITSTATUS(status)) + "]";
    }
    return output;
}

TEST_F(Snrcbk32Dictionary, KrlibmakeBuildsTheDictionaryFromAList)
{
    home.writeFile("words.tsv", "# fruit\napple\tりんご\nNew York\tニューヨーク\n");
    const std::string output = runTool((home.dir() / "words.tsv").string());
    EXPECT_NE(output.find("2 entries written to"), std::string::npos) << output;
    EXPECT_NE(output.find("[exit 0]"), std::string::npos) << output;

    ASSERT_TRUE(Internal::publishDictionary(Internal::dictionaryFile()));
    EXPECT_EQ(published("apple"), kApple);
    EXPECT_EQ(published("New York"), "\x83\x6A\x83\x85\x81\x5B\x83\x88\x81\x5B\x83\x4E");

    home.writeFile("bad.tsv", "apple\tx\nrock'n'roll\ty\n");
    const std::string refused = runTool((home.dir() / "bad.tsv").string() + " " + (home.dir() / "out.dat").string());
    EXPECT_NE(refused.find("line 2:"), std::string::npos) << refused;
    EXPECT_NE(refused.find("[exit 1]"), std::string::npos) << refused;
    EXPECT_FALSE(std::filesystem::exists(home.dir() / "out.dat"));
}

} // namespace
