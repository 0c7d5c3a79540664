// The data copy of the first run: plan, progress, keeping what is there, stopping cleanly;
// and how a typed folder text becomes a folder.
#include "datacopy.h"
#include "datafolder.h"

#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace yv::toolbox::firstrun;

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class DataCopy : public ::testing::Test {
protected:
    void SetUp() override
    {
        home.writeFile("src/base.dat", "(\"top\"=fd001)\n");
        home.writeFile("src/fd001/00000001.sam", std::string(1000, 'a'));
        home.writeFile("src/fd001/00000002.sam", std::string(3000, 'b'));
        home.writeFile("src/fd002/deep/x.bin", "xyz");
        fs::create_directories(home.dir() / "src" / "empty");
        fs::create_directories(home.dir() / "elsewhere");
        home.writeFile("elsewhere/big", std::string(5000, 'z'));
        fs::create_directory_symlink(home.dir() / "elsewhere", home.dir() / "src" / "link");
    }

    fs::path src() const { return home.dir() / "src"; }
    fs::path dst() const { return home.dir() / "data" / "例文"; }

    yv::testing::TestHome home;
};

TEST_F(DataCopy, PlansEveryFileWithItsSizeAndNoLinkedDirectory)
{
    const PlanResult planned = planTreeCopy(src(), dst());
    ASSERT_FALSE(planned.error);
    EXPECT_EQ(planned.plan.files.size(), 4u);
    EXPECT_EQ(planned.plan.totalBytes, 14u + 1000u + 3000u + 3u);
    EXPECT_EQ(planned.plan.directories.front(), dst());
    for (const FileCopy& f : planned.plan.files)
        EXPECT_EQ(f.target, dst() / f.source.lexically_relative(src()));
    const auto& dirs = planned.plan.directories;
    EXPECT_NE(std::find(dirs.begin(), dirs.end(), dst() / "empty"), dirs.end());
    EXPECT_EQ(std::find(dirs.begin(), dirs.end(), dst() / "link"), dirs.end());

    const PlanResult missing = planTreeCopy(home.dir() / "nowhere", dst());
    ASSERT_TRUE(missing.error);
    EXPECT_EQ(missing.error->path, home.dir() / "nowhere");
}

TEST_F(DataCopy, CopiesWithProgressAndKeepsWhatIsThereOnASecondRun)
{
    const PlanResult planned = planTreeCopy(src(), dst());
    std::vector<std::uintmax_t> seen;
    const CopyOutcome first = runCopy(planned.plan, [&](std::uintmax_t done, std::uintmax_t total) {
        EXPECT_EQ(total, planned.plan.totalBytes);
        seen.push_back(done);
    });
    ASSERT_FALSE(first.error);
    EXPECT_EQ(first.copied, 4u);
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), planned.plan.totalBytes);
    EXPECT_EQ(readFile(dst() / "fd001" / "00000002.sam"), std::string(3000, 'b'));
    EXPECT_TRUE(fs::is_directory(dst() / "empty"));

    // The user's own changes survive a second run into the same folder.
    home.writeFile("data/例文/base.dat", "(\"mine\"=fd001)\n");
    const CopyOutcome second = runCopy(planned.plan);
    ASSERT_FALSE(second.error);
    EXPECT_EQ(second.copied, 0u);
    EXPECT_EQ(second.kept, 4u);
    EXPECT_EQ(readFile(dst() / "base.dat"), "(\"mine\"=fd001)\n");
}

TEST_F(DataCopy, AFailureMidwayStopsThereAndARerunCompletes)
{
    const PlanResult planned = planTreeCopy(src(), dst());
    ASSERT_GE(planned.plan.files.size(), 3u);
    // Something that is not a file sits where the second file belongs.
    const FileCopy& blocked = planned.plan.files[1];
    fs::create_directories(blocked.target);
    const CopyOutcome outcome = runCopy(planned.plan);
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->path, blocked.target);
    EXPECT_EQ(outcome.copied, 1u);
    EXPECT_EQ(readFile(planned.plan.files[0].target), readFile(planned.plan.files[0].source));
    EXPECT_FALSE(fs::exists(planned.plan.files[2].target));
    for (const auto& entry : fs::recursive_directory_iterator(dst()))
        EXPECT_EQ(entry.path().string().find(".yv5-copying"), std::string::npos) << entry.path();

    fs::remove(blocked.target);
    const CopyOutcome rerun = runCopy(planned.plan);
    ASSERT_FALSE(rerun.error);
    EXPECT_EQ(rerun.kept, 1u);
    EXPECT_EQ(rerun.copied, planned.plan.files.size() - 1);

    // A directory that cannot be made is named too.
    home.writeFile("blocker", "file");
    CopyPlan underAFile;
    underAFile.directories.push_back(home.dir() / "blocker" / "sub");
    const CopyOutcome noDir = runCopy(underAFile);
    ASSERT_TRUE(noDir.error);
    EXPECT_EQ(noDir.error->path, home.dir() / "blocker" / "sub");
}

TEST(DataFolder, TextsStandForFolders)
{
    const fs::path docs = "/home/u/Documents";
    EXPECT_EQ(proposedFolderText("Yorvane5"), "ドキュメント/Yorvane5 data");
    EXPECT_EQ(resolveFolderText("ドキュメント/Yorvane5 data", docs), docs / "Yorvane5 data");
    EXPECT_EQ(resolveFolderText("  ドキュメント\\x  ", docs), docs / "x");
    // Only the whole first component is the label.
    EXPECT_EQ(resolveFolderText("ドキュメント2/x", docs), docs / "ドキュメント2" / "x");
    EXPECT_EQ(resolveFolderText("/srv/data/../yv", docs), fs::path("/srv/yv"));
    EXPECT_EQ(resolveFolderText("mine", docs), docs / "mine");
    EXPECT_TRUE(resolveFolderText(" \t", docs).empty());

    EXPECT_EQ(folderTextFor(docs / "a" / "b", docs), "ドキュメント/a/b");
    EXPECT_EQ(folderTextFor("/home/u/Documents2", docs), "/home/u/Documents2");
}

} // namespace
