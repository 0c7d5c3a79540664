// The example box's commands: exact messages, questions and what the answers do.
#include "commands.h"

#include <examplestore/messages.h>

#include <platform/codec.h>
#include <platform/messagebox.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace yv::samplebox;
namespace es = yv::examplestore;
namespace fs = std::filesystem;
using yv::codec::utf8ToCp932;

constexpr unsigned kError = 0x30;     // OK, exclamation icon
constexpr unsigned kQuestion = 0x24;  // Yes / No, question icon

// Written before the store reads it.
struct DataDirectory {
    explicit DataDirectory(const fs::path& dir)
        : path(dir)
    {
        fs::create_directories(dir / "fd002");
        std::ofstream(dir / "base.dat", std::ios::binary)
            << utf8ToCp932("(\"例文\"=fd001\n (\"ごみ箱\"=fd000)\n (\"A\"=fd002)\n (\"B\"=fd003))\n");
        std::ofstream(dir / "fd002" / "00000001.sam", std::ios::binary)
            << utf8ToCp932("Doc\r\n\r\nThe keyword is here.\r\n鍵です。\r\n");
    }
    fs::path path;
};

class SampleCommandsTest : public ::testing::Test {
protected:
    es::NodeId numbered(int number) const { return store.tree().findByNumber(number); }

    std::vector<std::string> texts() const
    {
        std::vector<std::string> all;
        for (const auto& m : recorder.messages)
            all.push_back(m.text);
        return all;
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter recorder;
    DataDirectory data{home.dir() / "data"};
    const fs::path& dataDir = data.path;
    es::SampleStore store{dataDir};
    SampleCommands commands{store, 77};
};

TEST_F(SampleCommandsTest, RefusalsShowTheirErrorText)
{
    EXPECT_FALSE(commands.renameFolder(numbered(0), "trash"));
    EXPECT_FALSE(commands.renameEntry(store.list(numbered(2)).at(0), "x"));
    EXPECT_EQ(commands.deleteFolder(numbered(1)), es::kNoNode);
    EXPECT_FALSE(commands.moveFolder(numbered(0), numbered(2)));
    ASSERT_EQ(recorder.messages.size(), 4u);
    EXPECT_EQ(texts(), (std::vector<std::string>{"このﾌｫﾙﾀﾞは名前を変更できません。", "ｻﾝﾌﾟﾙﾌｧｲﾙは名前を変更できません。",
                                                 "このﾌｫﾙﾀﾞは削除できません。", "このﾌｫﾙﾀﾞは移動できません。"}));
    for (const auto& m : recorder.messages) {
        EXPECT_EQ(m.style, kError);
        EXPECT_EQ(m.owner, 77u);
        EXPECT_EQ(m.caption, "Yorvane5");
    }
    EXPECT_TRUE(commands.renameFolder(numbered(2), "Renamed"));
    EXPECT_EQ(recorder.messages.size(), 4u);
}

TEST_F(SampleCommandsTest, DeletingAsksAndOnlyYesActs)
{
    recorder.answers = {yv::msgbox::IdNo};
    EXPECT_EQ(commands.deleteFolder(numbered(2)), es::kNoNode);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "ﾌｫﾙﾀﾞ「A」と、それ以下のｻﾝﾌﾟﾙ文書ﾌｧｲﾙを削除してよろしいですか");
    EXPECT_EQ(recorder.messages[0].style, kQuestion);
    EXPECT_TRUE(fs::exists(dataDir / "fd002" / "00000001.sam"));

    // Dropping a folder on the recycle bin deletes it, after the same question.
    recorder.answers = {yv::msgbox::IdYes};
    EXPECT_TRUE(commands.moveFolder(numbered(2), numbered(0)));
    EXPECT_EQ(recorder.messages.size(), 2u);
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000001.sam"));
    EXPECT_EQ(numbered(2), es::kNoNode);
}

TEST_F(SampleCommandsTest, DeletingEntriesCountsThemAndTheRecycleBinDeletesForGood)
{
    const auto inA = store.list(numbered(2));
    recorder.answers = {yv::msgbox::IdYes};
    ASSERT_TRUE(commands.deleteEntries(numbered(2), inA));
    EXPECT_EQ(recorder.messages.back().text, "これら1個のﾌｫﾙﾀﾞ/ﾌｧｲﾙをごみ箱に移動してよろしいですか");
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000001.sam"));

    const auto inBin = store.list(numbered(0));
    recorder.answers = {yv::msgbox::IdYes};
    ASSERT_TRUE(commands.deleteEntries(numbered(0), inBin));
    EXPECT_EQ(recorder.messages.back().text, "これら1個のﾌｫﾙﾀﾞ/ﾌｧｲﾙを削除してよろしいですか");
    EXPECT_FALSE(fs::exists(dataDir / "fd000" / "00000001.sam"));

    // The recycle bin itself among the entries refuses everything, without a question.
    const auto top = store.list(numbered(1));
    EXPECT_FALSE(commands.deleteEntries(numbered(1), top));
    EXPECT_EQ(recorder.messages.back().text, "ごみ箱ﾌｫﾙﾀﾞは削除できません。");
    EXPECT_EQ(store.list(numbered(1)).size(), top.size());
}

TEST_F(SampleCommandsTest, AddingAsksForEachFileAndStopsAtADirectory)
{
    const fs::path bad = home.dir() / "bad.txt";
    const fs::path good = home.dir() / "good.txt";
    const fs::path later = home.dir() / "later.txt";
    std::ofstream(bad) << "Title\nno empty line\n";
    std::ofstream(good) << "良い例\n\nGood.\n";
    std::ofstream(later) << "Later\n\n";
    recorder.answers = {yv::msgbox::IdYes};
    const auto added = commands.addFiles(numbered(3), {bad, good, home.dir(), later});
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0].name, "良い例");
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           bad.string() + "\nこのﾌｧｲﾙはｻﾝﾌﾟﾙ文書ﾌｧｲﾙの形式をしていません。",
                           "ﾊﾟｽ: " + good.string() + "\nﾀｲﾄﾙ: 良い例\n\n追加してよろしいですか。",
                           "ﾃﾞｨﾚｸﾄﾘは指定できません。"}));
    EXPECT_EQ(recorder.messages[1].style, kQuestion);
    EXPECT_TRUE(fs::exists(dataDir / "fd003" / "00010001.sam"));

    EXPECT_TRUE(commands.addFiles(numbered(1), {good}).empty());
    EXPECT_EQ(recorder.messages.back().text, "ﾄｯﾌﾟﾚﾍﾞﾙにはｻﾝﾌﾟﾙ文書ﾌｧｲﾙを追加できません。");
}

TEST_F(SampleCommandsTest, SearchRemembersTheKeyAndCountsHits)
{
    ASSERT_TRUE(store.rebuildIndex(es::IndexKind::Shipped));
    const es::SearchResult result = commands.search("keyword", true);
    EXPECT_EQ(result.status, es::SearchStatus::Complete);
    EXPECT_EQ(hitCountsText(result), "[1]文 / [1]文書ヒット");
    char buffer[256];
    char** keys = GetKeyList(0, "例文BOX", "keys", buffer, sizeof buffer);
    ASSERT_TRUE(keys && keys[0]);
    EXPECT_STREQ(keys[0], "keyword");
    EXPECT_TRUE(recorder.messages.empty());

    SetRegStr(HKEY_CURRENT_USER, "例文", "Path", dataDir.c_str());
    EXPECT_EQ(configuredDataDir(), dataDir);
}

} // namespace
