// The manual tree: which folders the paths name, a copy over an older installation, refusals
// that leave everything as it was, removal that never leaves the tree, and opening access.
#include <deploy/deploytree.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <acl/libacl.h>
#include <sys/acl.h>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace yv::deploy {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Every path under a folder, links not followed.
std::vector<std::string> listing(const fs::path& root)
{
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it)
        names.push_back(it->path().lexically_relative(root).string());
    std::sort(names.begin(), names.end());
    return names;
}

struct Recorded {
    std::vector<std::string> trace;
    std::vector<int> progress;
    Sinks sinks()
    {
        return {[this](const std::string& line) { trace.push_back(line); },
                [this](int percent) { progress.push_back(percent); }, nullptr};
    }
};

class DeployTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = home.dir() / "install";
        home.writeFile("install/cd/manual/index.html", "<html>index</html>");
        home.writeFile("install/cd/manual/pages/page1.html", std::string(5000, 'a'));
        home.writeFile("install/cd/manual/pages/deeper/page2.html", std::string(3000, 'b'));
        fs::create_directories(root / "cd/setup");
        fs::permissions(root / "cd/manual/index.html", fs::perms::owner_read | fs::perms::group_read);
    }

    yv::testing::TestHome home;
    fs::path root;
};

TEST_F(DeployTree, ThePathsNameTheManualFolderBesideAndInside)
{
    EXPECT_EQ(manualSourceOf("/media/cd/setup"), fs::path("/media/cd/manual"));
    EXPECT_EQ(manualSourceOf("/media/cd/setup/"), fs::path("/media/cd/manual"));
    EXPECT_EQ(manualSourceOf("/media/cd/setup//"), fs::path("/media/cd/manual"));
    EXPECT_EQ(manualInside("/opt/app/"), fs::path("/opt/app/manual"));
    EXPECT_EQ(manualInside("/opt/app"), fs::path("/opt/app/manual"));
}

TEST_F(DeployTree, CopyReplacesAnOlderInstallationAndLeavesItWritable)
{
    // An older, read-only copy of a file and a stray file the copy leaves alone.
    home.writeFile("install/app/manual/index.html", "old");
    fs::permissions(root / "app/manual/index.html", fs::perms::owner_read);
    home.writeFile("install/app/manual/local-note.txt", "mine");
    fs::create_symlink("page1.html", root / "cd/manual/pages/latest.html");

    Recorded recorded;
    const CopyOutcome outcome = copyManualTree((root / "cd/setup/").string(), (root / "app").string(), recorded.sinks());
    EXPECT_FALSE(outcome.refused);
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(outcome.filesCopied, 3);
    EXPECT_EQ(outcome.totalBytes, 18u + 5000u + 3000u);
    EXPECT_EQ(outcome.copiedBytes, outcome.totalBytes);

    const fs::path manual = root / "app/manual";
    EXPECT_EQ(readFile(manual / "index.html"), "<html>index</html>");
    EXPECT_EQ(readFile(manual / "pages/deeper/page2.html"), std::string(3000, 'b'));
    EXPECT_EQ(readFile(manual / "local-note.txt"), "mine");
    EXPECT_TRUE(fs::is_symlink(manual / "pages/latest.html"));
    EXPECT_EQ(fs::read_symlink(manual / "pages/latest.html"), fs::path("page1.html"));
    EXPECT_NE(fs::status(manual / "index.html").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(listing(manual), (std::vector<std::string>{"index.html", "local-note.txt", "pages", "pages/deeper",
                                                         "pages/deeper/page2.html", "pages/latest.html",
                                                         "pages/page1.html"}))
        << "no temporary file is left behind";

    ASSERT_FALSE(recorded.progress.empty());
    EXPECT_TRUE(std::is_sorted(recorded.progress.begin(), recorded.progress.end()));
    EXPECT_EQ(recorded.progress.back(), 100);
    ASSERT_FALSE(recorded.trace.empty());
    EXPECT_EQ(recorded.trace.front(), "AllDirCopy: [" + (root / "cd/setup/").string() + "] -> [" + (root / "app").string() + "]\n");
    EXPECT_NE(std::find(recorded.trace.begin(), recorded.trace.end(),
                        "Make dir [" + (manual / "pages").string() + "]\n"), recorded.trace.end());
    EXPECT_NE(std::find(recorded.trace.begin(), recorded.trace.end(),
                        "    cp [" + (root / "cd/manual/index.html").string() + "]->[" + (manual / "index.html").string() + "]\n"),
              recorded.trace.end());
}

TEST_F(DeployTree, CopyGoesOnPastWhatItCannotWriteAndRefusesWhatWouldNeverEnd)
{
    // A folder holds the name of a file of the manual; a file holds the name of a folder.
    fs::create_directories(root / "app/manual/index.html");
    home.writeFile("install/app/manual/pages", "a file");
    Recorded recorded;
    const CopyOutcome partial = copyManualTree((root / "cd/setup").string(), (root / "app").string(), recorded.sinks());
    EXPECT_EQ(partial.failures, 2);
    EXPECT_EQ(readFile(root / "app/manual/pages"), "a file");
    EXPECT_TRUE(fs::is_directory(root / "app/manual/index.html"));

    // A target inside the folder being copied, and a source with no manual beside it.
    const CopyOutcome inside = copyManualTree((root / "cd/setup").string(), (root / "cd/manual/pages").string(), recorded.sinks());
    EXPECT_TRUE(inside.refused);
    EXPECT_FALSE(fs::exists(root / "cd/manual/pages/manual"));
    const CopyOutcome itself = copyManualTree((root / "cd/setup").string(), (root / "cd").string(), recorded.sinks());
    EXPECT_TRUE(itself.refused);
    EXPECT_EQ(readFile(root / "cd/manual/index.html"), "<html>index</html>");
    const CopyOutcome missing = copyManualTree((root / "nowhere/setup").string(), (root / "other").string(), recorded.sinks());
    EXPECT_TRUE(missing.refused);
    EXPECT_FALSE(fs::exists(root / "other"));
}

TEST_F(DeployTree, RemovalTakesTheTreeButNothingALinkPointsTo)
{
    copyManualTree((root / "cd/setup").string(), (root / "app").string(), {});
    const fs::path manual = root / "app/manual";
    home.writeFile("install/elsewhere/keep.txt", "keep");
    fs::create_directory_symlink(root / "elsewhere", manual / "pages/outside");
    fs::create_directory_symlink(manual, manual / "pages/loop");
    fs::permissions(manual / "pages/page1.html", fs::perms::owner_read);

    Recorded recorded;
    const RemoveOutcome outcome = removeManualTree((root / "app").string(), recorded.sinks());
    EXPECT_EQ(outcome.failures, 0);
    EXPECT_EQ(outcome.filesRemoved, 5);
    EXPECT_EQ(outcome.foldersRemoved, 3);
    EXPECT_FALSE(fs::exists(fs::symlink_status(manual)));
    EXPECT_TRUE(fs::is_directory(root / "app"));
    EXPECT_EQ(readFile(root / "elsewhere/keep.txt"), "keep");
    EXPECT_EQ(recorded.trace.front(), "AllDirRemove: [" + (root / "app").string() + "]\n");
    EXPECT_EQ(recorded.trace.back(), "Remove dir = [" + manual.string() + "]\n");

    // A link in place of the folder: the link goes, the folder it names stays.
    fs::create_directory_symlink(root / "cd/manual", root / "app/manual");
    EXPECT_EQ(removeManualTree((root / "app").string(), {}).filesRemoved, 1);
    EXPECT_EQ(readFile(root / "cd/manual/index.html"), "<html>index</html>");
    EXPECT_EQ(removeManualTree((root / "app").string(), {}).failures, 0) << "nothing to remove is no failure";
}

TEST_F(DeployTree, OpeningAFolderGivesEveryoneEveryRightAndPassesItOn)
{
    const fs::path folder = root / "shared";
    fs::create_directories(folder);
    fs::permissions(folder, fs::perms::owner_all);
    if (::getxattr(folder.c_str(), "system.posix_acl_access", nullptr, 0) < 0 && (errno == ENOTSUP || errno == EOPNOTSUPP))
        GTEST_SKIP() << "the test folder's file system keeps no access lists";

    std::vector<std::string> trace;
    ASSERT_EQ(openToEveryone(folder.string(), [&](const std::string& line) { trace.push_back(line); }),
              SecurityResult::Granted);
    EXPECT_EQ(trace.front(), "AddAccessRights <" + folder.string() + ">\n");
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::others_all, fs::perms::others_all);

    // What is created in the folder later inherits the rights of others.
    const mode_t oldMask = ::umask(0077);
    { std::ofstream(folder / "later.txt") << "x"; }
    ::umask(oldMask);
    EXPECT_NE(fs::status(folder / "later.txt").permissions() & fs::perms::others_read, fs::perms::none);

    EXPECT_EQ(openToEveryone((root / "missing").string(), {}), SecurityResult::Failed);
    fs::create_symlink(folder, root / "link");
    EXPECT_EQ(openToEveryone((root / "link").string(), {}), SecurityResult::Failed) << "links are not followed";
}

} // namespace
} // namespace yv::deploy
