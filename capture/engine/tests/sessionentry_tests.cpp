// The hook's entry in the session start-up file: what a shell makes of it, and that adding and
// removing it leave the user's own lines exactly as they were.
#include <captureengine/sessionentry.h>

#include <platform/atomicfile.h>
#include <platform/paths.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
namespace session = yv::capture::session;
using session::EntryState;
using session::Problem;

class SessionEntry : public ::testing::Test {
protected:
    void SetUp() override
    {
        hook = home.dir() / "suite's-lib" / std::string(session::kHookFile);
        home.writeFile(fs::path("suite's-lib") / std::string(session::kHookFile), "hook");
        file = yv::paths::sessionStartFile();
    }

    std::string contents() const { return yv::files::readWhole(file).value_or("<none>"); }

    // LD_PRELOAD after a shell sourced the file twice, starting from `before`.
    std::string preloadAfterSourcing(const std::string& before) const
    {
        ::setenv("YV_PRELOAD_BEFORE", before.c_str(), 1);
        ::setenv("YV_SESSION_FILE", file.c_str(), 1);
        const std::string command =
            "LD_PRELOAD=$YV_PRELOAD_BEFORE; . \"$YV_SESSION_FILE\"; . \"$YV_SESSION_FILE\"; printf %s \"$LD_PRELOAD\"";
        const std::string script = (home.dir() / "source.sh").string();
        home.writeFile("source.sh", command);
        FILE* out = ::popen(("/bin/sh '" + script + "'").c_str(), "r");
        std::string result;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, out))
            result += buffer;
        ::pclose(out);
        return result;
    }

    yv::testing::TestHome home;
    fs::path hook;
    fs::path file;
};

TEST_F(SessionEntry, LivesInTheSessionStartFileOfTheHome)
{
    EXPECT_EQ(file, home.dir() / "xsessionrc");
    const char* old = std::getenv("YORVANE_HOME");
    const std::string saved = old;
    ::unsetenv("YORVANE_HOME");
    EXPECT_EQ(yv::paths::sessionStartFile(), fs::path(std::getenv("HOME")) / ".xsessionrc");
    ::setenv("YORVANE_HOME", saved.c_str(), 1);
}

TEST_F(SessionEntry, InstallingTwiceGivesOneBlockAndRemovingRestoresTheFileByteForByte)
{
    const std::string originals[] = {
        "",
        "export LANG=ja_JP.UTF-8",  // no line break at the end
        "export LD_PRELOAD=/opt/other.so\r\n# mine\n\n",
    };
    for (const std::string& original : originals) {
        if (original.empty())
            fs::remove(file);
        else
            home.writeFile("xsessionrc", original);
        const session::Outcome first = session::install(file, hook);
        EXPECT_EQ(first.problem, Problem::None);
        EXPECT_TRUE(first.changed);
        const std::string once = contents();
        const session::Outcome second = session::install(file, hook);
        EXPECT_FALSE(second.changed) << "nothing written the second time";
        EXPECT_EQ(contents(), once);
        EXPECT_EQ(session::installedState(file, hook), EntryState::Present);
        EXPECT_EQ(once.rfind(original, 0), 0u) << "the user's lines come first, untouched";

        EXPECT_TRUE(session::remove(file).changed);
        EXPECT_EQ(contents(), original);
        EXPECT_EQ(session::installedState(file, hook), EntryState::Absent);
        EXPECT_FALSE(session::remove(file).changed);
    }
}

TEST_F(SessionEntry, TheShellKeepsAnExistingPreloadAndNeverAddsTheHookTwice)
{
    ASSERT_EQ(session::install(file, hook).problem, Problem::None);
    const std::string h = hook.string();
    EXPECT_EQ(preloadAfterSourcing(""), h);
    EXPECT_EQ(preloadAfterSourcing("/opt/a.so /opt/b.so"), "/opt/a.so /opt/b.so:" + h);
    EXPECT_EQ(preloadAfterSourcing(h + " /opt/a.so"), h + " /opt/a.so");
    EXPECT_EQ(preloadAfterSourcing("/opt/a.so:" + h), "/opt/a.so:" + h);
    // A suite that is gone leaves the programs' preload alone.
    fs::remove(hook);
    EXPECT_EQ(preloadAfterSourcing("/opt/a.so"), "/opt/a.so");

    EXPECT_TRUE(session::preloads("/opt/a.so:" + h + " b", hook));
    EXPECT_FALSE(session::preloads(h + "x", hook));
    EXPECT_FALSE(session::preloads("", hook));
}

TEST_F(SessionEntry, OtherBlocksAreReplacedDamagedOnesAndUnusableHooksRefused)
{
    // Lines the user added after the block stay on their own lines when it goes.
    home.writeFile("xsessionrc", "a");
    ASSERT_TRUE(session::install(file, hook).changed);
    const std::string installed = contents();
    home.writeFile("xsessionrc", installed + "b\n");
    ASSERT_TRUE(session::remove(file).changed);
    EXPECT_EQ(contents(), "a\nb\n");

    // The suite moved: its old block is replaced, not joined by a second one.
    home.writeFile("xsessionrc", "x\n" + session::entryBlock("/old/" + std::string(session::kHookFile)) + "y\n");
    EXPECT_EQ(session::installedState(file, hook), EntryState::Other);
    ASSERT_TRUE(session::install(file, hook).changed);
    EXPECT_EQ(contents(), "x\ny\n" + session::entryBlock(hook));

    // A begin line whose end line was deleted: nothing is guessed.
    const std::string damaged = "x\n" + session::entryBlock(hook).substr(0, 40) + "\nrest\n";
    home.writeFile("xsessionrc", damaged);
    EXPECT_EQ(session::installedState(file, hook), EntryState::Damaged);
    EXPECT_EQ(session::install(file, hook).problem, Problem::Damaged);
    EXPECT_EQ(session::remove(file).problem, Problem::Damaged);
    EXPECT_EQ(contents(), damaged);

    fs::remove(file);
    EXPECT_EQ(session::install(file, "/dir with space/" + std::string(session::kHookFile)).problem,
              Problem::HookPathUnusable);
    EXPECT_EQ(session::install(file, home.dir() / "missing.so").problem, Problem::HookMissing);
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(SessionEntry, AFileThatCannotBeWrittenIsLeftAsItWasAndALinkStaysALink)
{
    const std::string original = "export A=1\n";
    home.writeFile("xsessionrc", original);
    // The file system refuses anything longer than the file: a full disk, for root too.
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = original.size();
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const session::Outcome outcome = session::install(file, hook);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(outcome.problem, Problem::Unwritable);
    EXPECT_EQ(contents(), original);
    for (const auto& entry : fs::directory_iterator(home.dir()))
        EXPECT_EQ(entry.path().filename().string().find("xsessionrc."), std::string::npos) << "no temporary left";

    fs::create_directory(home.dir() / "dotfiles");
    fs::rename(file, home.dir() / "dotfiles" / "xsessionrc");
    fs::create_symlink("dotfiles/xsessionrc", file);
    ASSERT_TRUE(session::install(file, hook).changed);
    EXPECT_TRUE(fs::is_symlink(file));
    EXPECT_EQ(session::installedState(home.dir() / "dotfiles" / "xsessionrc", hook), EntryState::Present);

    fs::remove(file);
    fs::create_directory(file);
    EXPECT_EQ(session::installedState(file, hook), EntryState::Unreadable);
    EXPECT_EQ(session::install(file, hook).problem, Problem::Unreadable);
}

} // namespace
