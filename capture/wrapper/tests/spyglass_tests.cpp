// The toolbox's cursor capture over the real wrapper: the pointer rests on a word in a terminal
// that carries the capture hook, and the translation editor comes up with the sentence
// translated (mode 1), or the dictionary box (mode 2).
#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <platform/x11.h>

#include "peerprocess.h"
#include <enginetests.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QProcess>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <memory>

namespace {

using namespace yv;
using yv::testing::ChildProcess;
using yv::testing::serveUntil;

int xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments);
}

// What the focused window of the front program holds after `keys`, copied with its own keys.
QString copiedAfter(const QStringList& keys)
{
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    xdotool(QStringList{QStringLiteral("key")} + keys);
    const auto copied = [] {
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")});
        return serveUntil([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, 700);
    };
    serveUntil(copied, 15000);
    return QGuiApplication::clipboard()->text();
}

class CursorCapture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        yv::testing::useReferenceEngines(ENGINE_CACHE_DIR);
        static int argc = 1;
        static char name[] = "spyglass_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* const app = new QApplication(argc, argv);
        Q_UNUSED(app);
    }

    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the test session's X server";
        yv::testing::writeEngineProfiles(home);
        // The first run is done: the toolbox starts without its dialog.
        SetRegStr(HKEY_CURRENT_USER, "例文", "Path", home.dir().c_str());
    }

    // The toolbox first; then the boxes and engines it started, asked to close and then made
    // to (the editor may ask about its unsaved translation).
    void TearDown() override
    {
        if (toolbox) {
            bus::postMessage(messages::kToolboxClass, messages::kWmClose, 0, 0);
            toolbox->waitForExit(20000);
        }
        for (const auto windowClass :
             {messages::kTransClass, messages::kDictClass, messages::kEngineEjClass, messages::kEngineJeClass}) {
            const auto window = bus::findWindow(windowClass);
            if (!window)
                continue;
            bus::postMessage(windowClass, messages::kWmClose, 0, 0);
            if (serveUntil([&] { return !bus::findWindow(windowClass); }, 5000))
                continue;
            QProcess pid;
            pid.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), QString::number(*window)});
            pid.waitForFinished(5000);
            if (const int id = pid.readAllStandardOutput().trimmed().toInt(); id > 0)
                ::kill(id, SIGKILL);
        }
    }

    // A terminal with the hook shows a sentence, the toolbox runs with cursor capture in
    // `mode`, and the pointer comes to rest on "library".
    void restPointerOnWord(std::uint16_t mode)
    {
        SoftSettings soft{};
        LoadEnvSoft(&soft);
        soft.spyglass = 1;
        soft.spyglassExec = mode;
        soft.spyglassTime = 300;
        SaveEnvSoft(&soft);

        // The terminal carries the hook, as every program of a session with the hook installed.
        ::setenv("LD_PRELOAD", HOOK, 1);
        terminal = std::make_unique<ChildProcess>(
            "/usr/bin/xterm", std::vector<std::string>{"-geometry", "40x4+400+300", "-fn", "fixed", "-T", "capture source",
                                                       "-e", "sh", "-c", "printf 'The library is open.\\n'; exec sleep 600"});
        ::unsetenv("LD_PRELOAD");
        ASSERT_TRUE(serveUntil([] { return !x11::windowsTitled("capture source").empty(); }, 30000));

        toolbox = std::make_unique<ChildProcess>(TOOLDECK, std::vector<std::string>{});
        ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kToolboxClass).has_value(); }, 60000));

        // "library" begins in the fifth of the fixed font's 6-pixel cells.
        const x11::WindowId source = x11::windowsTitled("capture source").front();
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(source), QStringLiteral("30"),
                 QStringLiteral("8")});
    }

    yv::testing::TestHome home;
    std::unique_ptr<ChildProcess> terminal;
    std::unique_ptr<ChildProcess> toolbox;
};

TEST_F(CursorCapture, ModeOneTranslatesTheSentenceInTheEditor)
{
    restPointerOnWord(1);
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kTransClass).has_value(); }, 60000))
        << "the editor was started";
    const auto editor = static_cast<x11::WindowId>(*bus::findWindow(messages::kTransClass));
    ASSERT_TRUE(serveUntil([&] { return x11::activeWindow() == editor; }, 30000)) << "and is in front";
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kEngineEjClass).has_value(); }, 60000))
        << "it translates English to Japanese";
    ASSERT_TRUE(serveUntil([] { return blocks::readFlag(blocks::EngineBusy) == 0; }, 180000));

    // The translation's first line, copied out of the editor by its own keys (the caret ends on
    // the line after the translation).
    const QString translation = copiedAfter(
        {QStringLiteral("Tab"), QStringLiteral("Up"), QStringLiteral("Home"), QStringLiteral("shift+End")});
    EXPECT_TRUE(std::any_of(translation.begin(), translation.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
        << translation.toStdString();
}

// The toolbox brings a box up only for a word it captured.
TEST_F(CursorCapture, ModeTwoBringsUpTheDictionaryBox)
{
    restPointerOnWord(2);
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kDictClass).has_value(); }, 60000))
        << "the dictionary box was started";
    const auto box = static_cast<x11::WindowId>(*bus::findWindow(messages::kDictClass));
    EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == box; }, 30000)) << "and is in front";
}

} // namespace
