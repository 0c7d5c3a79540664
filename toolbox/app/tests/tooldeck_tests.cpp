// The tooldeck program with the suite: a word selected in an X11 terminal and the translate
// hot key bring up the editor, which translates it through the reference engine.
#include "x11input.h"

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
#include <QTest>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>

namespace {

using namespace yv;
namespace x11input = yv::toolbox::x11input;
using yv::testing::ChildProcess;

template <typename Done>
bool serveUntil(Done done, int ms)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        QTest::qWait(20);
    }
    return true;
}

int xdotool(const QStringList& arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments);
}

// A window of another program, found by its title.
x11::WindowId windowTitled(const char* title)
{
    const auto found = x11::windowsTitled(title);
    return found.empty() ? 0 : found.front();
}

class Tooldeck : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
        if (std::getenv("DISPLAY"))
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "tooldeck_tests";
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

    void TearDown() override
    {
        // The editor and the engines were started by the toolbox, not by the test.
        for (const auto windowClass : {messages::kTransClass, messages::kEngineEjClass, messages::kEngineJeClass}) {
            if (const auto window = bus::findWindow(windowClass))
                endProgramOf(static_cast<x11::WindowId>(*window), windowClass);
        }
    }

    static void endProgramOf(x11::WindowId window, std::string_view windowClass)
    {
        bus::postMessage(windowClass, messages::kWmClose, 0, 0);
        if (serveUntil([&] { return !bus::findWindow(windowClass); }, 5000))
            return;
        QProcess pid;
        pid.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowpid"), QString::number(window)});
        pid.waitForFinished(5000);
        if (const int id = pid.readAllStandardOutput().trimmed().toInt(); id > 0)
            ::kill(id, SIGKILL);
    }

    yv::testing::TestHome home;
};

TEST_F(Tooldeck, SelectedWordAndTheTranslateKeyBringUpTheEditorWhichTranslatesIt)
{
    ChildProcess terminal("/usr/bin/xterm", {"-geometry", "40x4+400+300", "-fn", "fixed", "-T", "word source",
                                             "-e", "sh", "-c", "printf 'library\\n'; exec sleep 600"});
    ASSERT_TRUE(serveUntil([] { return windowTitled("word source") != 0; }, 30000));
    const x11::WindowId source = windowTitled("word source");

    ChildProcess toolbox(TOOLDECK, {});
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kToolboxClass).has_value(); }, 60000));

    // The user double-clicks the word in the terminal, which takes the PRIMARY selection.
    x11::activateWindow(source);
    ASSERT_TRUE(serveUntil([&] { return x11::activeWindow() == source; }, 10000));
    // The terminal may not have drawn the word yet: click again until it is selected.
    const auto selectWord = [&] {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(source),
                 QStringLiteral("12"), QStringLiteral("8"), QStringLiteral("click"), QStringLiteral("--repeat"),
                 QStringLiteral("2"), QStringLiteral("1")});
        return serveUntil([] { return QGuiApplication::clipboard()->text(QClipboard::Selection) == "library"; },
                          1000);
    };
    ASSERT_TRUE(serveUntil(selectWord, 30000));

    xdotool({QStringLiteral("key"), QStringLiteral("F11")});
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kTransClass).has_value(); }, 60000))
        << "the editor was started";
    const auto editor = static_cast<x11::WindowId>(*bus::findWindow(messages::kTransClass));
    ASSERT_TRUE(serveUntil([&] { return x11::activeWindow() == editor; }, 30000)) << "and is in front";
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kEngineEjClass).has_value(); }, 60000))
        << "it translates English to Japanese";
    ASSERT_TRUE(serveUntil([] { return blocks::readFlag(blocks::EngineBusy) == 0; }, 180000));

    // The translation's first line, copied out of the editor by its own keys (the caret ends on
    // the line after the translation).
    QGuiApplication::clipboard()->clear(QClipboard::Clipboard);
    xdotool({QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Up"), QStringLiteral("Home"),
             QStringLiteral("shift+End")});
    // The editor enables its copy command on its next refresh of the command states.
    const auto copied = [] {
        xdotool({QStringLiteral("key"), QStringLiteral("ctrl+c")});
        return serveUntil([] { return !QGuiApplication::clipboard()->text().isEmpty(); }, 700);
    };
    ASSERT_TRUE(serveUntil(copied, 15000));
    const QString translation = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(std::any_of(translation.begin(), translation.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
        << translation.toStdString();

    // Esc in the editor returns to the terminal the word came from.
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == source; }, 10000));

    // Closing the toolbox closes the engines with it.
    ASSERT_TRUE(bus::postMessage(messages::kToolboxClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(toolbox.waitForExit(20000));
    EXPECT_TRUE(serveUntil([] { return !bus::findWindow(messages::kEngineEjClass); }, 20000));
}

} // namespace
