// Temporary files and the common message box.
#include "Etc.h"

#include <platform/paths.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class EtcServices : public ::testing::Test {
protected:
    yv::testing::TestHome home;
};

TEST_F(EtcServices, TempFilesAreCreatedExclusivelyInThePrivateDirectory)
{
    char path[ETC_MAX_PATH];
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(TempFileName(".html", path), path);
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 50u);  // never the same name twice

    const fs::path first(*names.begin());
    EXPECT_EQ(first.parent_path(), yv::paths::tempDir());
    EXPECT_TRUE(first.filename().string().starts_with("_wypts_"));
    EXPECT_EQ(first.extension(), ".html");
    EXPECT_EQ(fs::file_size(first), 0u);
    struct stat st {};
    ASSERT_EQ(::stat(first.parent_path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(first.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0077, 0u);
}

TEST_F(EtcServices, TempNamesRunOutAfterAThousand)
{
    char path[ETC_MAX_PATH];
    int made = 0;
    while (TempFileName(".t", path) && made <= 1000)
        ++made;
    EXPECT_EQ(made, 1000);  // every counter value modulo 1000 is used, then null
}

TEST_F(EtcServices, ClearTempFileRemovesOnlyItsOwnPattern)
{
    char path[ETC_MAX_PATH];
    ASSERT_TRUE(TempFileName(".txt", path));
    const fs::path dir = yv::paths::tempDir();
    home.writeFile(fs::relative(dir / "keep.txt", home.dir()), "x");
    home.writeFile(fs::relative(dir / "x_wypts_1.txt", home.dir()), "x");
    fs::create_directory(dir / "_wypts_dir");

    ClearTempFile();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::exists(dir / "keep.txt"));
    EXPECT_TRUE(fs::exists(dir / "x_wypts_1.txt"));
    EXPECT_TRUE(fs::exists(dir / "_wypts_dir"));
}

TEST_F(EtcServices, PrintBoxFormatsAndCaptions)
{
    yv::testing::RecordingPresenter recorder;
    recorder.answers.push_back(7);
    EXPECT_EQ(PrintBox(42, 0x23, "「%s」は%d件です。", "検索", 3), 7);
    ASSERT_EQ(recorder.messages.size(), 1u);
    EXPECT_EQ(recorder.messages[0].text, "「検索」は3件です。");
    EXPECT_EQ(recorder.messages[0].caption, "Yorvane5");
    EXPECT_EQ(recorder.messages[0].owner, 42u);
    EXPECT_EQ(recorder.messages[0].style, 0x23u);

    // Without an answer the box gives its default button (No as the second of Yes/No).
    EXPECT_EQ(PrintBox(0, 0x104, "%s", "x"), 7);

    // 2,048 bytes at most, never ending inside a character.
    std::string kana;
    for (int i = 0; i < 1000; ++i)
        kana += "あ";
    PrintBox(0, 0, "%s", kana.c_str());
    EXPECT_EQ(recorder.messages.back().text.size(), 2046u);
}

} // namespace
