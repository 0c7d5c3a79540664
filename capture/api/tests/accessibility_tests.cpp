// Capturing from a program that draws its text itself (Qt): the engine finds nothing there and
// the accessibility bus answers; a bus that never answers costs a capture no more than its
// time limit and does not hold the capturing program's exit up.
#include "desktop.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using namespace yv::capture::testing;
using Clock = std::chrono::steady_clock;

constexpr char kSentence[] = "The quick brown fox jumps over the lazy dog. Then it rests.";
// Qt's character boxes stand a few pixels off the glyphs (up to 5 to the left, measured).
constexpr int kBoxSlack = 6;

class CaptureAccessibility : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs the test session's X server";
        ASSERT_TRUE(api.loaded());
    }

    // A program registers on the bus a moment after it maps its window.
    Word wordOnceRegistered(int x, int y)
    {
        const Clock::time_point until = Clock::now() + std::chrono::seconds(10);
        Word w;
        while (!(w = wordAt(api, x, y)).found && Clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return w;
    }

    Api api;
    Screen screen;
};

TEST_F(CaptureAccessibility, QtLineEditGivesTheWordItsBoxAndTheSentence)
{
    // Qt pushes its text as images, so the hook would record nothing; the window (built with the
    // sanitizers) runs without it.
    Program window({ACCESSIBLE_WINDOW, kSentence}, false,
                   {"QT_QPA_PLATFORM=xcb", "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "QT_ACCESSIBILITY=1"});
    ASSERT_TRUE(window.started());
    const std::optional<Box> area = window.waitForWindow("--name yv-accessible-window");
    ASSERT_TRUE(area);
    // The words' ink; the line edit's rounded corners leave single pixels.
    std::vector<Box> inked = screen.inkedWords(*area);
    std::erase_if(inked, [](const Box& b) { return b.right - b.left < 4 || b.bottom - b.top < 8; });
    ASSERT_GE(inked.size(), 9u) << "the sentence's words on the screen";
    const Box& brown = inked[2];

    const Word word = wordOnceRegistered(brown.centreX(), brown.centreY());
    ASSERT_TRUE(word.found) << "the accessibility bus gave nothing";
    EXPECT_EQ(word.raw, "brown");
    EXPECT_NE(word.words.find("brown fox"), std::string::npos) << word.words;
    EXPECT_NEAR(word.rect.left, brown.left, kBoxSlack);
    EXPECT_NEAR(word.rect.right, brown.right, kBoxSlack);
    EXPECT_LE(word.rect.top, brown.top + kBoxSlack);
    EXPECT_GE(word.rect.bottom, brown.bottom - kBoxSlack);
    // Answered by the second source: no character set of the rules applies.
    EXPECT_EQ(api.call<int()>("SNRGetEncode")(), 0);

    const Box& fox = inked[3];
    const Lines lines = linesAt(api, fox.centreX(), fox.centreY(), true);
    ASSERT_TRUE(lines.found);
    ASSERT_EQ(lines.text.size(), 1u);
    EXPECT_EQ(lines.text[0], "The quick brown fox jumps over the lazy dog.");
    EXPECT_EQ(lines.above, 0);
    EXPECT_NEAR(lines.rects[0].left, inked[0].left, kBoxSlack);
    EXPECT_NEAR(lines.rects[0].right, inked[8].right, kBoxSlack);
}

TEST_F(CaptureAccessibility, Gtk3DialogWithoutTheHookAnswersOverTheBus)
{
    // A program started before the hook was in place. GTK joins the bus only when it starts,
    // so a capture wakes the bus first.
    wordAt(api, 0, 0);
    Program dialog({"zenity", "--info", "--title", "yvcapgtk", "--text", "Plain words stand here. Second sentence follows."},
                   false);
    const std::optional<Box> area = dialog.waitForWindow("--name yvcapgtk");
    ASSERT_TRUE(area);
    const std::vector<Box> inked = screen.inkedWords(*area);
    Word stand;
    Box ink;
    const Clock::time_point until = Clock::now() + std::chrono::seconds(10);
    while (!stand.found && Clock::now() < until) {
        for (const Box& b : inked) {
            const Word w = wordAt(api, b.centreX(), b.centreY());
            if (w.found && w.raw == "stand") {
                stand = w;
                ink = b;
                break;
            }
        }
    }
    ASSERT_TRUE(stand.found) << "no word of the dialog read as \"stand\"";
    EXPECT_NEAR(stand.rect.left, ink.left, kBoxSlack);
    EXPECT_NEAR(stand.rect.right, ink.right, kBoxSlack);

    const Lines lines = linesAt(api, ink.centreX(), ink.centreY(), true);
    ASSERT_TRUE(lines.found);
    ASSERT_EQ(lines.text.size(), 1u);
    EXPECT_EQ(lines.text[0], "Plain words stand here.");
}

TEST_F(CaptureAccessibility, HungBusCostsACaptureItsTimeLimitOnly)
{
    // A bus that takes connections and never says a word.
    const std::string socketPath = ::testing::TempDir() + "hung-bus-" + std::to_string(::getpid());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    std::copy(socketPath.begin(), socketPath.end(), address.sun_path);
    ::unlink(socketPath.c_str());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 8), 0);

    const std::string command = "AT_SPI_BUS_ADDRESS=unix:path=" + socketPath + " timeout 20 " +
                                (yv::testing::binDir() / "snrcapture").string() + " 5 1000 2>&1";
    const Clock::time_point start = Clock::now();
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, pipe))
        output += chunk;
    const int status = ::pclose(pipe);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    ::close(listener);
    ::unlink(socketPath.c_str());

    EXPECT_NE(WEXITSTATUS(status), 124) << "the capturing program hung: " << output;
    EXPECT_LT(elapsed.count(), 3000) << output;
    EXPECT_NE(output.find("did not answer within 200 ms"), std::string::npos) << output;
}

} // namespace
