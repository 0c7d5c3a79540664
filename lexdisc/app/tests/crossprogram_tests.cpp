// The viewer as the other programs reach it, through the real session bus: the editor's
// CD-ROM button and the toolbox's hot-key path start a search in the running viewer and
// bring it up; a request while a message of the viewer is open is answered busy; Esc brings
// back the window the request came from.
#include "mainframe.h"
#include "mainwindow.h"

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <boxes.h>
#include <peerprocess.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/dde.h>
#include <platform/x11.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>

#include <algorithm>

namespace yv::lexdisc {
namespace {

#ifdef YV_SAMPLE_BOOK_DIR
using yv::testing::ChildProcess;
using yv::testing::readLines;

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "lexdisc_crossprogram_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

template <typename Condition>
bool waitUntil(Condition condition, int ms = 20000)
{
    for (int waited = 0; waited <= ms; waited += 10) {
        if (condition())
            return true;
        bus::waitServingEvents(10);
    }
    return false;
}

// The real viewer on the sample book, and the trace lines of its searches.
class RunningViewer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        SetRegStr(HKEY_CURRENT_USER, kSettingsKey, "CATALOG", (std::string(YV_SAMPLE_BOOK_DIR) + "/catalogs").c_str());
        tracer = std::make_unique<ChildProcess>(
            "/bin/sh", std::vector<std::string>{"-c", std::string("exec '") + YVTRACE + "' > '" + traceFile + "'"});
        ASSERT_TRUE(waitUntil([] { return bus::findWindow(messages::kTraceClass).has_value(); }));
        viewer = std::make_unique<ChildProcess>((yv::testing::binDir() / "lexdisc").string(), std::vector<std::string>{});
        ASSERT_TRUE(waitUntil([] { return bus::findWindow(messages::kLexdiscClass).has_value(); }));
        ASSERT_TRUE(waitUntil([] { return !dde::wildConnect(messages::kLexdiscService).empty(); }));
    }

    bool traced(const std::string& line)
    {
        return waitUntil([&] {
            const auto lines = readLines(traceFile);
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    bool viewerInFront()
    {
        const auto window = bus::findWindow(messages::kLexdiscClass);
        if (!window || !x11::available())
            return window.has_value();
        return waitUntil([&] { return x11::activeWindow() == *window; }, 5000);
    }

    yv::testing::TestHome home;
    std::string traceFile = (home.dir() / "trace.txt").string();
    std::unique_ptr<ChildProcess> tracer;
    std::unique_ptr<ChildProcess> viewer;
};

TEST_F(RunningViewer, ToolboxHotKeyPathSearchesTheKey)
{
    std::vector<std::string> notes;
    const toolbox::Notifier notify = [&](unsigned, const std::string& text) { notes.push_back(text); };
    const auto window = toolbox::bringUpBox(toolbox::boxOf(toolbox::ActionKind::CdRom), notify);
    ASSERT_TRUE(window);
    toolbox::sendSearchKey(codec::utf8ToCp932("せんせい"), 0x5a0c3, notify);
    EXPECT_TRUE(traced("lexdisc search せんせい: 1"));
    EXPECT_TRUE(viewerInFront());
    EXPECT_TRUE(notes.empty());
}

TEST_F(RunningViewer, EditorCdRomButtonSearchesTheSelection)
{
    yv::testing::RecordingPresenter presenter;
    trans::CMainFrame editor;
    editor.setWindowHandle(0x5a0c3);
    editor.show();
    QTest::keyClicks(&editor.view(editor::Side::Source), QStringLiteral("apple"));
    editor.document().source().select(0, 5);
    ASSERT_TRUE(editor.cdRomSearch());
    EXPECT_TRUE(traced("lexdisc search apple: 1"));
    EXPECT_TRUE(viewerInFront());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(RunningViewer, RequestWhileAMessageIsOpenIsAnsweredBusy)
{
    const auto conversation = dde::Conversation::connect(messages::kLexdiscService, messages::kLexdiscTopic);
    ASSERT_TRUE(conversation);
    // Nothing found: the viewer shows its message and keeps it open.
    ASSERT_EQ(conversation->poke(messages::kLexdiscItem, std::string("zzzz\0", 5), 3000), dde::Status::Ack);
    ASSERT_TRUE(traced("lexdisc search zzzz: 0"));
    EXPECT_EQ(conversation->poke(messages::kLexdiscItem, std::string("apple\0", 6), 3000), dde::Status::Busy);
    // A request that begins with a TAB is answered busy too while the message is up; the
    // viewer searched nothing more.
    const auto lines = readLines(traceFile);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("lexdisc search", 0) == 0; }), 1);
}

TEST(ViewerReturn, EscBringsBackTheWindowTheRequestCameFrom)
{
    ensureApplication();
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    SetRegStr(HKEY_CURRENT_USER, kSettingsKey, "CATALOG", (std::string(YV_SAMPLE_BOOK_DIR) + "/catalogs").c_str());
    const std::string log = (home.dir() / "peer.log").string();
    ChildProcess peer(BUS_PEER, {"--class", std::string(messages::kDictClass), "--log", log});
    ASSERT_TRUE(waitUntil([&] { return bus::findWindow(messages::kDictClass).has_value(); }));
    const auto source = bus::findWindow(messages::kDictClass);
    ASSERT_TRUE(source);

    CMainFrame frame;
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    frame.searchRequest("apple\t" + handover::formatWindowHandle(*source));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&frame.keyEntry(), &esc);
    const std::string expected = std::string(messages::kDictClass) + " " + std::to_string(messages::kComeToFront) + " 0 0";
    EXPECT_TRUE(waitUntil([&] {
        const auto lines = readLines(log);
        return std::find(lines.begin(), lines.end(), expected) != lines.end();
    }));
}
#endif

} // namespace
} // namespace yv::lexdisc
