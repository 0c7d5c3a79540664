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

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>

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

// Whether another X client holds `keySym` without modifiers: a grab of our own is refused then.
bool keyHeldElsewhere(xcb_keysym_t keySym)
{
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> c(xcb_connect(nullptr, nullptr),
                                                                         xcb_disconnect);
    if (xcb_connection_has_error(c.get()))
        return false;
    const xcb_setup_t* setup = xcb_get_setup(c.get());
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        c.get(),
        xcb_get_keyboard_mapping(c.get(), setup->min_keycode,
                                 static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1)),
        nullptr);
    if (!mapping)
        return false;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(mapping);
    xcb_keycode_t keycode = 0;
    for (int i = 0; i < xcb_get_keyboard_mapping_keysyms_length(mapping) && !keycode; ++i) {
        if (syms[i] == keySym)
            keycode = static_cast<xcb_keycode_t>(setup->min_keycode + i / mapping->keysyms_per_keycode);
    }
    std::free(mapping);
    if (!keycode)
        return false;
    xcb_generic_error_t* error = xcb_request_check(
        c.get(), xcb_grab_key_checked(c.get(), 1, root, 0, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool held = error != nullptr;
    std::free(error);
    return held;
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

// The resident toolbox, tried as a user under the window manager: a button whose box is not
// installed shows a message box while the toolbox runs; closing that box with Return leaves
// the toolbox running, on the bus and with its hot keys, until the suite closes it.
TEST_F(Tooldeck, ClosingOneOfItsMessageBoxesLeavesTheToolboxRunning)
{
    // A program directory holding only the toolbox: every box it starts is missing there.
    const std::filesystem::path programs = home.dir() / "programs";
    std::filesystem::create_directories(programs);
    std::filesystem::copy_file(TOOLDECK, programs / "tooldeck");
    const std::string libraries = std::filesystem::path(TOOLDECK).parent_path().string();
    ::setenv("LD_LIBRARY_PATH", libraries.c_str(), 1);
    ChildProcess toolbox((programs / "tooldeck").string(), {});
    ::unsetenv("LD_LIBRARY_PATH");
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kToolboxClass).has_value(); }, 60000));
    const auto deck = static_cast<x11::WindowId>(*bus::findWindow(messages::kToolboxClass));
    ASSERT_TRUE(serveUntil([] { return keyHeldElsewhere(XK_F11); }, 10000)) << "the translate key is the toolbox's";

    const auto messageBox = [deck]() -> x11::WindowId {
        for (const x11::WindowId w : x11::windowsTitled("Yorvane5")) {
            if (w != deck)
                return w;
        }
        return 0;
    };
    // The user clicks the CD button (the third of the row).
    constexpr int kButtonPitch = 46;
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(deck),
             QString::number(2 + 2 * kButtonPitch + 20), QStringLiteral("20"), QStringLiteral("click"),
             QStringLiteral("1")});
    ASSERT_TRUE(serveUntil([&] { return messageBox() != 0; }, 30000)) << "lexdisc is reported missing";

    // ... reads it and closes it with Return.
    const x11::WindowId box = messageBox();
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(box)});
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(serveUntil([&] { return messageBox() == 0; }, 10000));

    EXPECT_FALSE(toolbox.waitForExit(1500)) << "the toolbox ended with its message box";
    EXPECT_TRUE(bus::findWindow(messages::kToolboxClass).has_value());
    EXPECT_TRUE(keyHeldElsewhere(XK_F11)) << "the hot keys went with it";

    // The suite's close command still ends it.
    ASSERT_TRUE(bus::postMessage(messages::kToolboxClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(toolbox.waitForExit(20000));
}

// Another box asks the toolbox for a settings page: the sheet opens on it with the hot keys
// released, a second request only turns its page, and closing it with Esc gives the keys back.
TEST_F(Tooldeck, AnotherBoxOpensTheSettingsSheetOnAPage)
{
    ChildProcess toolbox(TOOLDECK, {});
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kToolboxClass).has_value(); }, 60000));
    ASSERT_TRUE(serveUntil([] { return keyHeldElsewhere(XK_F11); }, 10000));

    const auto sheets = [] { return x11::windowsTitled("環境設定"); };
    ASSERT_TRUE(bus::postMessage(messages::kToolboxClass, messages::kOpenSettings, 3, 0));
    ASSERT_TRUE(serveUntil([&] { return sheets().size() == 1; }, 30000));
    EXPECT_EQ(GetRegDWORD(0, nullptr, "SetenvPage", 99), 3u) << "日英辞書";
    EXPECT_FALSE(keyHeldElsewhere(XK_F11)) << "the keys are released while the sheet is open";

    ASSERT_TRUE(bus::postMessage(messages::kToolboxClass, messages::kOpenSettings, 5, 0));
    EXPECT_TRUE(serveUntil([] { return GetRegDWORD(0, nullptr, "SetenvPage", 99) == 5; }, 10000));
    EXPECT_EQ(sheets().size(), 1u) << "still one sheet";

    const x11::WindowId sheet = sheets().front();
    xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(sheet)});
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_TRUE(serveUntil([&] { return sheets().empty(); }, 10000));
    EXPECT_TRUE(serveUntil([] { return keyHeldElsewhere(XK_F11); }, 10000)) << "registered again";
    EXPECT_FALSE(toolbox.waitForExit(500));

    ASSERT_TRUE(bus::postMessage(messages::kToolboxClass, messages::kWmClose, 0, 0));
    EXPECT_TRUE(toolbox.waitForExit(20000));
}

} // namespace
