// The toolbox window in-process: its look, placement and messages, and, on the test session's
// X server, hot keys, the selection hand-over, the CD-ROM search key and the focus.
#include "captureworker.h"
#include "conversionprogress.h"
#include "hotkeys.h"
#include "settingssheet.h"
#include "spyglass.h"
#include "toolboxwindow.h"
#include "x11input.h"

#include <toolboxcore/toolboxtexts.h>

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/x11.h>

#include "peerprocess.h"
#include <testhome.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QEnterEvent>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <X11/keysym.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <tuple>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using namespace yv::toolbox;
using yv::testing::ChildProcess;
using yv::testing::hex;
using yv::testing::readLines;

// Serves every event meanwhile, the keys and clicks of the user included.
template <typename Done>
bool serveUntil(Done done, int ms = 20000)
{
    const auto start = std::chrono::steady_clock::now();
    while (!done()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(ms))
            return false;
        QTest::qWait(10);
    }
    return true;
}

bool onX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

void xdotool(const QStringList& arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

class Toolbox : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // The X server of the test session when there is one: hot keys and focus need it.
        if (std::getenv("DISPLAY"))
            ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        static int argc = 1;
        static char name[] = "toolboxapp_tests";
        static char* argv[] = {name, nullptr};
        static QApplication* const app = new QApplication(argc, argv);
        Q_UNUSED(app);
    }

    void SetUp() override { window = std::make_unique<CToolboxWnd>(); }

    void TearDown() override
    {
        window.reset();
        peers.clear();
        bus::waitServingEvents(20);
        QCoreApplication::sendPostedEvents();
    }

    std::string logOf(const std::string& name) const { return (home.dir() / (name + ".log")).string(); }

    // A peer window of `windowClass` (shown on X11), logging to "<name>.log".
    WindowHandle startPeer(const std::string& name, std::vector<std::string> args)
    {
        args.insert(args.end(), {"--window", "--log", logOf(name)});
        peers.push_back(std::make_unique<ChildProcess>(BUS_PEER, args));
        EXPECT_TRUE(waitForLine(name, "ready"));
        const auto handle = bus::findWindow(args.at(1));
        EXPECT_TRUE(handle);
        return handle.value_or(0);
    }

    bool waitForLine(const std::string& name, const std::string& needle, int ms = 20000)
    {
        return serveUntil([&] { return countLines(name, needle) > 0; }, ms);
    }

    int countLines(const std::string& name, const std::string& needle) const
    {
        const auto lines = readLines(logOf(name));
        return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.find(needle) != std::string::npos;
        }));
    }

    // Activates a window of another program, as the user working in it.
    static void activate(WindowHandle window)
    {
        x11::activateWindow(static_cast<x11::WindowId>(window));
        EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == window; }));
    }

    void showToolbox()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    bool waitForActions()
    {
        return serveUntil([&] { return window->runningActions() == 0; }, 60000);
    }

    bool waitForMessage(std::string_view text)
    {
        return serveUntil([&] {
            return std::any_of(presenter.messages.begin(), presenter.messages.end(),
                               [&](const yv::testing::RecordedMessage& m) { return m.text == text; });
        });
    }

    // The user selects `utf8` in the program of `window` (a bus peer of class `windowClass`).
    static void selectIn(std::string_view windowClass, WindowHandle window, const std::string& utf8)
    {
        const auto block = blocks::TextBlockWriter::write(utf8);
        ASSERT_TRUE(block);
        ASSERT_EQ(bus::sendMessage(windowClass, yv::testing::kPeerSelectMessage, block->length(), 0), 1);
        ASSERT_TRUE(serveUntil([&] { return x11input::ownedByProgramOf(x11input::Selection::Primary, window); }));
    }

    static void clearSelection()
    {
        x11input::clear(x11input::Selection::Primary);
        ASSERT_TRUE(serveUntil([] { return !x11input::hasOwner(x11input::Selection::Primary); }));
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    std::vector<std::unique_ptr<ChildProcess>> peers;
    std::unique_ptr<CToolboxWnd> window;
};

TEST_F(Toolbox, UtilityWindowWithSixButtonsThatNeverTakeTheFocus)
{
    EXPECT_EQ(window->windowTitle().toStdString(), "Yorvane5");
    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Tool));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
    for (const ButtonInfo& info : kButtons) {
        ASSERT_TRUE(window->button(info.command));
        EXPECT_EQ(window->button(info.command)->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_EQ(window->statusText(0), QString());

    // The status bar describes the button under the mouse and names its key.
    const auto hover = [&](Command command) {
        QToolButton* button = window->button(command);
        QEnterEvent enter(QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)), button->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(button, &enter);
    };
    hover(CmdCdRom);
    EXPECT_EQ(window->statusText(0).toStdString(), "CDを引きます");
    EXPECT_EQ(window->statusText(1).toStdString(), "CTRL+F11");
    hover(CmdExample);
    EXPECT_EQ(window->statusText(1).toStdString(), "CTRL+F12") << "the example button shows the example key";
    KeySettings keys{};
    LoadEnvKeys(&keys);
    keys.translate = 0x47A;
    SaveEnvKeys(&keys);
    hover(CmdTranslate);
    EXPECT_EQ(window->statusText(0).toStdString(), "翻訳します");
    EXPECT_EQ(window->statusText(1).toStdString(), "ALT+F11");
    hover(CmdBatch);
    EXPECT_EQ(window->statusText(0).toStdString(), "ﾌｧｲﾙを一括翻訳");
    EXPECT_EQ(window->statusText(1), QString());
}

TEST_F(Toolbox, StoredPositionIsClampedAndSavedOnClose)
{
    SetRegDWORD(HKEY_CURRENT_USER, "TOOLBOX", "LEFT", 100000);
    SetRegDWORD(HKEY_CURRENT_USER, "TOOLBOX", "TOP", 0xFFFFFFF6u);  // -10
    CToolboxWnd placed;
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(placed.x(), area.left() + area.width() - placed.width()) << "flush with the right edge";
    EXPECT_EQ(placed.y(), area.top());

    QSignalSpy closed(&placed, &CToolboxWnd::suiteClosed);
    placed.move(area.left() + 40, area.top() + 30);
    EXPECT_EQ(placed.handleMessage(messages::kWmClose, 0, 0), 0);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(GetRegDWORD(0, "TOOLBOX", "LEFT", 0), static_cast<std::uint32_t>(placed.x()));
    EXPECT_EQ(GetRegDWORD(0, "TOOLBOX", "TOP", 0), static_cast<std::uint32_t>(placed.y()));
}

TEST_F(Toolbox, HelpSaysPlainlyWhatIsMissing)
{
    std::vector<fs::path> opened;
    window->helpDirectory = home.dir() / "help";
    window->openHelpPage = [&](const fs::path& page) {
        opened.push_back(page);
        return true;
    };
    window->handleMessage(messages::kShowHelp, 1, 0);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text,
              withValue(kHelpMissing, (home.dir() / "help/html/TransBOX.htm").string()));
    EXPECT_TRUE(opened.empty());

    home.writeFile("help/html/SetEnv.htm", "<html></html>");
    window->handleMessage(messages::kShowHelp, 6, 0);
    window->handleMessage(messages::kShowHelp, 7, 0);
    EXPECT_EQ(presenter.messages.size(), 1u);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], home.dir() / "help/html/SetEnv.htm");
}

TEST_F(Toolbox, ConversionProgressIsShownAndEveryStopFreesTheEngine)
{
    ConversionProgress& progress = window->conversionProgress();
    blocks::setFlag(blocks::EngineBusy, 1);
    window->handleMessage(messages::kProgress, 0, 40);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.windowTitle().toStdString(), "翻訳中...");
    EXPECT_EQ(progress.value(), 40);

    // Stopped by another program (+4 with 7), or by the user's 中止 or the window's close button.
    const std::function<void()> stops[] = {
        [&] { window->handleMessage(messages::kProgress, 7, 0); },
        [&] { progress.stopButton()->click(); },
        [&] { progress.close(); },
    };
    for (const auto& stop : stops) {
        blocks::setFlag(blocks::EngineBusy, 1);
        window->handleMessage(messages::kProgress, 0, 10);
        ASSERT_TRUE(progress.isVisible());
        stop();
        EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0) << "the busy byte is cleared";
        EXPECT_FALSE(progress.isVisible());
    }

    // A complete job closes the window and leaves the byte to the job's own program; so does a
    // job that ends without a last report.
    blocks::setFlag(blocks::EngineBusy, 1);
    window->handleMessage(messages::kProgress, 0, 100);
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 1);
    window->handleMessage(messages::kProgress, 0, 60);
    EXPECT_TRUE(progress.isVisible());
    blocks::setFlag(blocks::EngineBusy, 0);
    EXPECT_TRUE(serveUntil([&] { return !progress.isVisible(); }, 5000));
}

TEST_F(Toolbox, ClosingClosesTheBoxesTheEnginesAndTheOutsideTools)
{
    startPeer("trans", {"--class", std::string(messages::kTransClass)});
    startPeer("engine", {"--class", std::string(messages::kEngineJeClass)});
    QWidget tool;
    if (onX11()) {
        tool.setWindowTitle(QString::fromUtf8("EJ用辞書ツール"));
        tool.resize(200, 60);
        tool.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tool));
        ASSERT_TRUE(serveUntil([] { return !x11::windowsTitled("EJ用辞書ツール").empty(); }));
    }

    QSignalSpy closed(window.get(), &CToolboxWnd::suiteClosed);
    window->close();
    window->close();
    EXPECT_EQ(closed.count(), 1) << "closing is not re-entered";
    EXPECT_TRUE(waitForLine("trans", "QEL_RlyTransWClass 16 0 0"));
    EXPECT_TRUE(waitForLine("engine", "HINGE/JE 16 0 0"));
    if (onX11()) {
        EXPECT_TRUE(serveUntil([&] { return !tool.isVisible(); })) << "closed through the window manager";
    }
}

TEST_F(Toolbox, MissingBoxProgramIsNamed)
{
    // The test program's directory has no dictionary box.
    window->runAction(ActionKind::Dictionary);
    ASSERT_TRUE(waitForActions());
    EXPECT_TRUE(waitForMessage("dictがみつかりません。インストール状態を確認してください。"));
    window->runCommand(CmdBatch);
    EXPECT_TRUE(waitForMessage("fileがみつかりません。インストール状態を確認してください。"));
}

TEST_F(Toolbox, SecondToolboxComesForwardAndPassesItsFile)
{
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        messages::kToolboxClass, onX11() ? static_cast<bus::WindowHandle>(window->winId()) : 0,
        [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return window->handleMessage(message, wParam, lParam);
        });
    ASSERT_TRUE(endpoint);
    startPeer("trans", {"--class", std::string(messages::kTransClass)});
    if (onX11()) {
        window->showMinimized();
        ASSERT_TRUE(serveUntil([&] { return window->isMinimized(); }));
    }

    home.writeFile("long.txt", std::string(70000, 'x'));
    ChildProcess tooLong(TOOLDECK, {(home.dir() / "long.txt").string()});
    ASSERT_TRUE(serveUntil([&] { return tooLong.waitForExit(0); }));
    EXPECT_TRUE(waitForMessage(kTextTooLong));
    EXPECT_EQ(countLines("trans", "text "), 0);
    if (onX11()) {
        EXPECT_TRUE(serveUntil([&] { return !window->isMinimized() && window->isVisible(); }));
    }

    home.writeFile("short.txt", "本を読む。\n");
    ChildProcess fits(TOOLDECK, {(home.dir() / "short.txt").string()});
    ASSERT_TRUE(serveUntil([&] { return fits.waitForExit(0); }));
    EXPECT_TRUE(waitForLine("trans", "QEL_RlyTransWClass 1033 12 0"));
    EXPECT_TRUE(waitForLine("trans", "text " + hex(codec::utf8ToCp932("本を読む。\n"))));
}

TEST_F(Toolbox, StartProgramRunsOnlyWhatIsBesideTheToolbox)
{
    EXPECT_EQ(StartProgram("Nothing.exe"), 0);
    EXPECT_EQ(StartProgram("../bin/trans"), 0) << "a bare name only";
    // The test program's directory holds the bus peer.
    EXPECT_EQ(StartProgram("bus_peer.exe", "--class QEL_RlyStartedWClass --log \"" + logOf("started") + "\""), 1);
    EXPECT_TRUE(waitForLine("started", "ready"));
    bus::postMessage("QEL_RlyStartedWClass", messages::kWmClose, 0, 0);
    EXPECT_TRUE(serveUntil([] { return !bus::findWindow("QEL_RlyStartedWClass"); }));
}

TEST_F(Toolbox, CursorCaptureRunsOnlyWithTheWrapperAndHandsOnWhatRests)
{
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    soft.spyglass = 1;
    soft.spyglassExec = 2;
    SaveEnvSoft(&soft);
    Spyglass without(home.dir(), [](unsigned, const std::string&) {});
    without.start();
    EXPECT_FALSE(without.wrapperLoaded());
    EXPECT_FALSE(without.running());

    startPeer("dict", {"--class", std::string(messages::kDictClass)});
    startPeer("trans", {"--class", std::string(messages::kTransClass)});
    Spyglass words(FAKE_WRAPPER_DIR, [](unsigned, const std::string&) {});
    ASSERT_TRUE(words.wrapperLoaded());
    words.start();
    EXPECT_TRUE(words.running());
    words.tick({100, 100});
    words.tick({100, 100});
    ASSERT_TRUE(waitForLine("dict", "text " + hex("library of books")));
    words.tick({110, 102});
    words.tick({110, 102});
    words.tick({100, 100});
    words.tick({100, 100});
    EXPECT_EQ(countLines("dict", "text "), 1) << "inside the word, or where it was captured: no new capture";

    soft.spyglassExec = 1;
    SaveEnvSoft(&soft);
    Spyglass sentence(FAKE_WRAPPER_DIR, [](unsigned, const std::string&) {});
    sentence.start();
    sentence.tick({300, 300});
    sentence.tick({300, 300});
    EXPECT_TRUE(waitForLine("trans", "text " + hex("line one\r\nline two"))) << "line ends as captured";

    soft.spyglass = 0;
    SaveEnvSoft(&soft);
    sentence.start();
    EXPECT_FALSE(sentence.running()) << "switched off in the settings";
}

// On the X server: keys, selections and focus.
class ToolboxOnX11 : public Toolbox {
protected:
    static constexpr std::string_view kSourceClass = "QEL_RlyPeerWClass";

    void SetUp() override
    {
        if (!onX11())
            GTEST_SKIP() << "needs the test session's X server";
        Toolbox::SetUp();
        showToolbox();
        source = startPeer("source", {"--class", std::string(kSourceClass)});
        activate(source);
    }

    WindowHandle source = 0;
};

TEST_F(ToolboxOnX11, HotKeyHandsTheSelectionToTheBoxThenNothingWhenNothingIsSelectedThere)
{
    const WindowHandle sample = startPeer("sample", {"--class", std::string(messages::kSampleClass)});
    activate(source);
    window->registerHotKeys();
    EXPECT_TRUE(presenter.messages.empty());
    selectIn(kSourceClass, source, "an example");

    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+F12")});
    ASSERT_TRUE(waitForLine("sample", "text " + hex("an example")));
    EXPECT_EQ(countLines("sample", "QEL_RlySampleWClass 1032 11 " + std::to_string(source)), 1)
        << "the source window travels with the text";
    ASSERT_TRUE(waitForActions());
    EXPECT_EQ(x11::activeWindow(), sample);

    // Nothing selected in the source, only something left in another program: the box still
    // comes to the front, with nothing handed over.
    QGuiApplication::clipboard()->setText(QStringLiteral("left elsewhere"), QClipboard::Selection);
    ASSERT_TRUE(serveUntil([] { return x11input::hasOwner(x11input::Selection::Primary); }));
    activate(source);
    const int frontRequests = countLines("sample", "QEL_RlySampleWClass 1036 ");
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+F12")});
    ASSERT_TRUE(serveUntil([&] { return countLines("sample", "QEL_RlySampleWClass 1036 ") > frontRequests; }));
    ASSERT_TRUE(waitForActions());
    EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == sample; }));
    EXPECT_EQ(countLines("sample", "text "), 1);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(ToolboxOnX11, CursorCaptureHandsOnWhatRestsUnderThePointerWithTheWindowItCameFrom)
{
    const WindowHandle dict = startPeer("dict", {"--class", std::string(messages::kDictClass)});
    const WindowHandle trans = startPeer("trans", {"--class", std::string(messages::kTransClass)});
    // The text's program lies apart from the boxes; another program has the focus.
    for (const auto& [peer, x, y] : {std::tuple{source, 500, 400}, {dict, 20, 700}, {trans, 300, 700}})
        xdotool({QStringLiteral("windowmove"), QStringLiteral("--sync"), QString::number(peer), QString::number(x),
                 QString::number(y)});
    activate(source);
    activate(trans);
    const auto restPointerOnSource = [&](int x, int y) {
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(source), QString::number(x),
                 QString::number(y)});
    };

    SoftSettings soft{};
    LoadEnvSoft(&soft);
    soft.spyglass = 1;
    soft.spyglassExec = 2;
    soft.spyglassTime = 100;
    SaveEnvSoft(&soft);
    Spyglass words(FAKE_WRAPPER_DIR, [](unsigned, const std::string&) {});
    words.start();
    restPointerOnSource(40, 40);
    ASSERT_TRUE(waitForLine("dict", "text " + hex("library of books")));
    EXPECT_EQ(countLines("dict", "QEL_RlyDictWClass 1032 17 " + std::to_string(source)), 1)
        << "the window under the pointer is the one to return to";
    words.stop();

    soft.spyglassExec = 1;
    SaveEnvSoft(&soft);
    Spyglass sentence(FAKE_WRAPPER_DIR, [](unsigned, const std::string&) {});
    sentence.start();
    restPointerOnSource(40, 70);
    ASSERT_TRUE(waitForLine("trans", "text " + hex("line one\r\nline two")));
    EXPECT_EQ(countLines("trans", "QEL_RlyTransWClass 1032 19 " + std::to_string(source)), 1)
        << "not the editor's own window";
}

TEST_F(ToolboxOnX11, TerminalWithNothingSelectedIsNotInterrupted)
{
    startPeer("sample", {"--class", std::string(messages::kSampleClass)});
    ChildProcess terminal("/usr/bin/xterm", {"-T", "busy terminal", "-e", "sleep", "600"});
    ASSERT_TRUE(serveUntil([] { return !x11::windowsTitled("busy terminal").empty(); }));
    const x11::WindowId xterm = x11::windowsTitled("busy terminal").front();
    clearSelection();
    activate(xterm);

    window->runCommand(CmdExample);
    ASSERT_TRUE(waitForActions());
    EXPECT_TRUE(waitForLine("sample", "QEL_RlySampleWClass 1036 0 0"));
    EXPECT_FALSE(terminal.waitForExit(500)) << "a Ctrl+C would have ended the program in the terminal";
    EXPECT_EQ(countLines("sample", "text "), 0);
}

TEST_F(ToolboxOnX11, SearchKeyGoesToTheViewerAndA129ByteKeyIsRefused)
{
    startPeer("lexdisc", {"--class", std::string(messages::kLexdiscClass), "--dde", "LEXDISC"});
    activate(source);
    selectIn(kSourceClass, source, std::string(129, 'k'));
    window->runCommand(CmdCdRom);
    ASSERT_TRUE(waitForActions());
    EXPECT_TRUE(waitForMessage(kSearchKeyTooLong));
    EXPECT_GE(countLines("lexdisc", "QEL_RlyLexdiscWClass 1036 0 0"), 1) << "the viewer is in front all the same";
    EXPECT_EQ(countLines("lexdisc", "poke"), 0);

    activate(source);
    selectIn(kSourceClass, source, "library");
    window->runCommand(CmdCdRom);
    ASSERT_TRUE(waitForActions());
    EXPECT_TRUE(waitForLine("lexdisc", "poke SEARCH " + hex("library\t" + handover::formatWindowHandle(source) +
                                                          std::string(1, '\0'))));
    EXPECT_EQ(presenter.messages.size(), 1u);
}

TEST_F(ToolboxOnX11, ClickingAButtonLeavesTheFocusWhereItWas)
{
    QToolButton* batch = window->button(CmdBatch);
    const QPoint centre = batch->mapToGlobal(batch->rect().center());
    xdotool({QStringLiteral("mousemove"), QString::number(centre.x()), QString::number(centre.y()),
             QStringLiteral("click"), QStringLiteral("1")});
    // The test program's directory has no batch box.
    ASSERT_TRUE(waitForMessage("fileがみつかりません。インストール状態を確認してください。"))
        << "the click reached the button";
    EXPECT_EQ(window->statusText(0).toStdString(), "ﾌｧｲﾙを一括翻訳");
    QTest::qWait(200);
    EXPECT_EQ(x11::activeWindow(), source);
}

// Another X client, which grabs keys on the root window as the desktop or a program would.
class OtherClient final {
public:
    OtherClient()
        : m_c(xcb_connect(nullptr, nullptr))
    {
    }
    ~OtherClient() { xcb_disconnect(m_c); }
    OtherClient(const OtherClient&) = delete;
    OtherClient& operator=(const OtherClient&) = delete;

    // False when someone else holds the key (BadAccess).
    bool grab(xcb_keysym_t keySym, std::uint16_t modifiers = 0)
    {
        const xcb_setup_t* setup = xcb_get_setup(m_c);
        const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
        xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
            m_c, xcb_get_keyboard_mapping(m_c, setup->min_keycode, setup->max_keycode - setup->min_keycode + 1),
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
        xcb_generic_error_t* error = xcb_request_check(
            m_c, xcb_grab_key_checked(m_c, 1, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return keycode != 0 && !error;
    }

private:
    xcb_connection_t* m_c;
};

bool keyIsFree(xcb_keysym_t keySym, std::uint16_t modifiers = 0)
{
    return OtherClient().grab(keySym, modifiers);
}

TEST_F(ToolboxOnX11, KeyTakenByAnotherProgramOrMissingFromTheKeyboardIsRefusedAndStoredAsNone)
{
    // Another client holds F11 as it is (no modifiers).
    OtherClient other;
    ASSERT_TRUE(other.grab(XK_F11));

    // The CD-ROM key is one this keyboard has no key for (CTRL+ATTN).
    KeySettings keys{};
    LoadEnvKeys(&keys);
    keys.cdrom = 0x2F6;
    SaveEnvKeys(&keys);

    window->registerHotKeys();
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[0].text,
              "F11\nこのｷｰは他のｱﾌﾟﾘｹｰｼｮﾝが設定しているか、予約されているため設定できません。\n他のｷｰを指定してください。");
    EXPECT_EQ(presenter.messages[1].text, withValue(kKeyRefused, "CTRL+ATTN"));
    LoadEnvKeys(&keys);
    EXPECT_EQ(keys.translate, 0);
    EXPECT_EQ(keys.dictionary, 625);
    EXPECT_EQ(keys.cdrom, 0);
    EXPECT_EQ(keys.example, 635);
}

TEST_F(ToolboxOnX11, SettingsSheetReleasesTheKeysWhileOpenAndRegistersTheChosenOnesAfter)
{
    window->registerHotKeys();
    ASSERT_FALSE(keyIsFree(XK_F11));
    window->handleMessage(messages::kOpenSettings, 2, 0);
    CMyPropSheet* sheet = window->settingsSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->currentPage(), CMyPropSheet::EjDictionaryPage);
    EXPECT_FALSE(window->isEnabled());
    EXPECT_TRUE(keyIsFree(XK_F11)) << "released while the sheet is open";
    window->handleMessage(messages::kOpenSettings, 5, 0);
    EXPECT_EQ(window->settingsSheet(), sheet) << "one sheet: a second request only turns the page";
    EXPECT_EQ(sheet->currentPage(), CMyPropSheet::SoftPage);

    // The user chooses F9 to translate and SHIFT+F8 for examples, which another program takes
    // meanwhile.
    sheet->showPage(CMyPropSheet::KeysPage);
    QTest::keyClick(sheet->page(CMyPropSheet::KeysPage)->findChild<QLineEdit*>(QStringLiteral("translate")), Qt::Key_F9);
    QTest::keyClick(sheet->page(CMyPropSheet::KeysPage)->findChild<QLineEdit*>(QStringLiteral("example")), Qt::Key_F8,
                    Qt::ShiftModifier);
    OtherClient other;
    ASSERT_TRUE(other.grab(XK_F8, XCB_MOD_MASK_SHIFT));
    sheet->accept();
    EXPECT_FALSE(window->settingsSheet());
    EXPECT_TRUE(window->isEnabled());
    EXPECT_FALSE(keyIsFree(XK_F9)) << "the new key is the toolbox's";
    EXPECT_TRUE(keyIsFree(XK_F11));
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, withValue(kKeyRefused, "SHIFT+F8")) << "the key that failed is named";
    KeySettings keys{};
    LoadEnvKeys(&keys);
    EXPECT_EQ(keys.translate, 0x78);
    EXPECT_EQ(keys.example, 0);

    window->runCommand(CmdSettings);
    ASSERT_TRUE(window->settingsSheet());
    EXPECT_EQ(window->settingsSheet()->currentPage(), CMyPropSheet::KeysPage) << "the page shown last";
    window->settingsSheet()->reject();
}

TEST(KeySymbols, StoredVirtualKeysMapToTheirKeys)
{
    EXPECT_EQ(keySymOf(0x7A), static_cast<std::uint32_t>(XK_F11));
    EXPECT_EQ(keySymOf(0x87), static_cast<std::uint32_t>(XK_F24));
    EXPECT_EQ(keySymOf('A'), static_cast<std::uint32_t>(XK_a));
    EXPECT_EQ(keySymOf('7'), static_cast<std::uint32_t>(XK_7));
    EXPECT_EQ(keySymOf(0x2D), static_cast<std::uint32_t>(XK_Insert));
    EXPECT_EQ(keySymOf(0x1C), static_cast<std::uint32_t>(XK_Henkan));
    EXPECT_EQ(keySymOf(0x07), 0u);
}

} // namespace
