// Text and HTML file translation of Etc through the reference engines: the direction used,
// sources that cannot be read, progress messages, the exports from a host without Qt, and
// the browser's address.
#include "Etc.h"
#include "Messages.h"
#include "SharedBlocks.h"

#include "enginetests.h"
#include "peerprocess.h"
#include <platform/bus.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace yv;

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        out.push_back(text.substr(start, end - start));
    return out;
}

class FileTranslation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "filetranslation_tests";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
        // The engines share the build's dictionary cache; they stay on the offscreen platform.
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
    }

    void SetUp() override { yv::testing::writeEngineProfiles(home); }

    void TearDown() override
    {
        yv::testing::closeEngines();
        blocks::setFlag(blocks::EngineBusy, 0);
    }

    fs::path file(const std::string& name, const std::string& bytes)
    {
        home.writeFile(name, bytes);
        return home.dir() / name;
    }

    yv::testing::TestHome home;
};

TEST_F(FileTranslation, DirectionOfUtf8TextGoesByItsCharacters)
{
    // ’ (E2 80 99) begins with a CP932 lead byte, yet the text is English.
    const fs::path english = file("english.txt", "It\u2019s a pen.\nThat\u2019s a book.\n");
    EXPECT_EQ(CnvTxt(0, english.c_str(), (home.dir() / "english-out.txt").c_str(), 0), DIRECTION_EJ);
    blocks::setFlag(blocks::EngineBusy, 0);

    const fs::path japanese = file("japanese.txt", "\u3053\u308c\u306f\u30da\u30f3\u3067\u3059\u3002\n");
    EXPECT_EQ(CnvTxt(0, japanese.c_str(), (home.dir() / "japanese-out.txt").c_str(), 0), DIRECTION_JE);
    EXPECT_TRUE(fs::exists(home.dir() / "japanese-out.txt"));
}

TEST_F(FileTranslation, ASourceThatCannotBeReadFailsAndLeavesNoOutput)
{
    yv::testing::RecordingPresenter presenter;
    const fs::path missing = home.dir() / "missing.html";
    const fs::path out = home.dir() / "out.html";
    EXPECT_EQ(CnvHtm(0, missing.c_str(), out.c_str(), 0), -1);
    EXPECT_EQ(CnvHtm(0, missing.c_str(), out.c_str(), DIRECTION_EJ), -1);
    EXPECT_EQ(CnvHtm(0, home.dir().c_str(), out.c_str(), DIRECTION_JE), -1);  // a directory
    EXPECT_EQ(CnvTxt(0, missing.c_str(), out.c_str(), DIRECTION_EJ), -1);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(bus::findWindow(messages::kEngineEjClass)) << "no engine is started for nothing";
    EXPECT_FALSE(bus::findWindow(messages::kEngineJeClass));
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);
    EXPECT_TRUE(presenter.messages.empty());

    // A page that can be read still goes through.
    const fs::path page = file("page.html", "<html><body><p>Good morning.</p></body></html>\n");
    EXPECT_EQ(CnvHtm(0, page.c_str(), out.c_str(), 0), DIRECTION_EJ);
    EXPECT_NE(readFile(out).find("<p>"), std::string::npos);
}

TEST_F(FileTranslation, ProgressCarriesThePercentageInLParam)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "This is sentence number " + std::to_string(i) + " of a long text.\n";
    const fs::path source = file("long.txt", text);
    struct Progress {
        std::uint64_t wParam;
        std::int64_t lParam;
    };
    std::vector<Progress> seen;
    const auto notify = bus::WindowEndpoint::registerWindow(
        "QEL_RlyTestNotifyWClass", 0, [&](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            if (message == messages::kProgress)
                seen.push_back({wParam, lParam});
            return std::int64_t{0};
        });
    ASSERT_TRUE(notify);
    const fs::path out = home.dir() / "long-out.txt";
    ASSERT_EQ(CnvTxt(notify->handle(), source.c_str(), out.c_str(), DIRECTION_EJ), DIRECTION_EJ);
    bus::waitServingEvents(50);  // posts still queued for the window

    ASSERT_GE(seen.size(), 3u) << "a long text reports its progress more than once";
    for (const Progress& p : seen) {
        EXPECT_EQ(p.wParam, 0u);
        EXPECT_TRUE(p.lParam >= 0 && p.lParam <= 100) << p.lParam;
    }
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end(),
                               [](const Progress& a, const Progress& b) { return a.lParam < b.lParam; }));
    EXPECT_EQ(seen.front().lParam, 0);
    EXPECT_EQ(seen.back().lParam, 100) << "a finished job reports 100";
    EXPECT_TRUE(fs::exists(out));
}

TEST_F(FileTranslation, ExportsWorkRepeatedlyFromAHostWithoutQt)
{
    const fs::path page = file("page.html", "<html><body><p>Good morning.</p></body></html>\n");
    const fs::path text = file("text.txt", "Thank you very much.\n");
    const fs::path log = home.dir() / "host.log";
    // A trace window, so that the host's trace lines travel over the bus too.
    const std::string traced = (home.dir() / "trace.out").string();
    yv::testing::ChildProcess tracer("/bin/sh", {"-c", std::string("exec '") + YVTRACE + "' > '" + traced + "'"});
    ASSERT_TRUE(yv::testing::serveUntil([] { return bus::findWindow(messages::kTraceClass).has_value(); }, 10000));
    const std::vector<std::string> args{ETC_C_HOST, home.dir().string(), page.string(), text.string(),
                                        (home.dir() / "missing").string(), "3"};
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, ETC_C_HOST, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    int status = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
    while (::waitpid(pid, &status, WNOHANG) != pid) {
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            FAIL() << "the host hangs; it wrote:\n" << readFile(log);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status << ":\n" << readFile(log);

    const std::vector<std::string> expected{
        "CnvHtm 1", "CnvTxt 1", "CnvHtm-missing -1", "CnvTxt-missing -1", "GetURL 0 untouched",
        "GetTxtFileDirection 1"};
    std::vector<std::string> want;
    for (int round = 0; round < 3; ++round) {
        want.insert(want.end(), expected.begin(), expected.end());
        want.push_back("settings " + std::to_string(round) + (round % 2 ? " odd" : " even"));
    }
    want.insert(want.end(), {"CnvTxt-thread 1", "CnvTxt-thread 1", "done"});
    EXPECT_EQ(lines(readFile(log)), want);
    for (int round = 0; round < 3; ++round) {
        const std::string n = std::to_string(round);
        EXPECT_NE(readFile(home.dir() / ("page.html." + n)).find("<p>"), std::string::npos) << round;
        const std::string translated = readFile(home.dir() / ("text.txt." + n));
        EXPECT_FALSE(translated.empty()) << round;
        EXPECT_NE(translated, readFile(text)) << round;
        EXPECT_FALSE(fs::exists(home.dir() / ("missing.html." + n)));
        EXPECT_FALSE(fs::exists(home.dir() / ("missing.txt." + n)));
    }
    EXPECT_EQ(readFile(home.dir() / "thread.txt.0"), readFile(home.dir() / "text.txt.0"));
    EXPECT_TRUE(bus::postMessage(messages::kTraceClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(tracer.waitForExit(5000));
    EXPECT_EQ(yv::testing::readLines(traced), (std::vector<std::string>{"round 0", "round 1", "round 2"}));
    EXPECT_EQ(readFile(home.dir() / "thread.txt.1"), readFile(home.dir() / "text.txt.0"));
}

TEST_F(FileTranslation, BrowserAddressIsQuietWithoutABrowserAndBoundedWithOne)
{
    yv::testing::RecordingPresenter presenter;
    char out[GETURL_MAX + 16];
    std::memset(out, '#', sizeof out);
    EXPECT_EQ(GetURL(nullptr, out), 0);
    EXPECT_TRUE(presenter.messages.empty()) << "no browser is not an error to show";
    EXPECT_EQ(out[0], '#');

    // A browser (another program) whose answer is longer than the buffer: the copy stops
    // inside it, with its NUL.
    const std::string log = (home.dir() / "browser.log").string();
    yv::testing::ChildProcess browser(BUS_PEER, {"--class", "QEL_RlyTestBrowserWClass", "--log", log, "--browser",
                                                 std::to_string(3 * GETURL_MAX)});
    ASSERT_TRUE(yv::testing::serveUntil([&] {
        const auto seen = yv::testing::readLines(log);
        return std::find(seen.begin(), seen.end(), "ready") != seen.end();
    }, 10000));
    ASSERT_EQ(GetURL(nullptr, out), 1);
    ASSERT_EQ(out[GETURL_MAX - 1], '\0');
    EXPECT_EQ(std::strlen(out), static_cast<std::size_t>(GETURL_MAX - 1));
    EXPECT_EQ(std::string(out, 20), "\"http://example.org/");
    EXPECT_TRUE(std::all_of(out + GETURL_MAX, out + sizeof out, [](char c) { return c == '#'; }))
        << "written past its buffer";
    EXPECT_TRUE(presenter.messages.empty());
}

} // namespace
