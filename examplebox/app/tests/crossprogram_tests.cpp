// The box as the other programs reach it, through the real session bus: the editor's 例文
// button and the toolbox's hot-key path bring up the running box with the key searched and
// its hits listed; Esc brings back the window the key came from.
#include "mainframe.h"
#include "mainwindow.h"
#include "searchviews.h"

#include <storefixture.h>

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <boxes.h>
#include <peerprocess.h>
#include <platform/bus.h>
#include <platform/codec.h>
#include <platform/x11.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

namespace yv::samplebox {
namespace {

using yv::testing::ChildProcess;
using yv::testing::readLines;
using namespace yv::examplestore;
using namespace yv::examplestore::testing;

void ensureApplication()
{
    static int argc = 1;
    static char name[] = "samplebox_crossprogram_tests";
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

// The user's examples, set up in the settings the box reads.
class Examples : public StoreFixture {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        writeDocument(2, 1, {"Weather", "", "It rains every day.", "毎日雨が降る。"});
        writeDocument(4, 2, {"Trains", "", "The train is late every day.", "電車は毎日遅れる。"});
        ASSERT_TRUE(SampleStore(dataDir).rebuildIndex(IndexKind::Shipped));
        SetRegStr(HKEY_CURRENT_USER, "例文", "Path", dataDir.c_str());
    }
};

// The real box program and the trace lines of its searches.
class RunningBox : public Examples {
protected:
    void SetUp() override
    {
        Examples::SetUp();
        tracer = std::make_unique<ChildProcess>(
            "/bin/sh", std::vector<std::string>{"-c", std::string("exec '") + YVTRACE + "' > '" + traceFile + "'"});
        ASSERT_TRUE(waitUntil([] { return bus::findWindow(messages::kTraceClass).has_value(); }));
        box = std::make_unique<ChildProcess>((yv::testing::binDir() / "sample").string(), std::vector<std::string>{});
        ASSERT_TRUE(waitUntil([] { return bus::findWindow(messages::kSampleClass).has_value(); }));
    }

    bool traced(const std::string& line)
    {
        return waitUntil([&] {
            const auto lines = readLines(traceFile);
            return std::find(lines.begin(), lines.end(), line) != lines.end();
        });
    }

    bool boxInFront()
    {
        const auto window = bus::findWindow(messages::kSampleClass);
        if (!window || !x11::available())
            return window.has_value();
        return waitUntil([&] { return x11::activeWindow() == *window; }, 5000);
    }

    std::string traceFile = (home.dir() / "trace.txt").string();
    std::unique_ptr<ChildProcess> tracer;
    std::unique_ptr<ChildProcess> box;
};

TEST_F(RunningBox, ToolboxHotKeyPathSearchesTheKey)
{
    std::vector<std::string> notes;
    const toolbox::Notifier notify = [&](unsigned, const std::string& text) { notes.push_back(text); };
    const toolbox::BoxTarget target = toolbox::boxOf(toolbox::ActionKind::Example);
    const auto window = toolbox::bringUpBox(target, notify);
    ASSERT_TRUE(window);
    toolbox::handOverText(target, codec::utf8ToCp932("毎日"), 0x5a0c3, notify);
    EXPECT_TRUE(traced("sample search 毎日: 2/2"));
    EXPECT_TRUE(boxInFront());
    EXPECT_TRUE(notes.empty());
}

TEST_F(RunningBox, EditorExampleButtonSearchesTheSelection)
{
    yv::testing::RecordingPresenter presenter;
    trans::CMainFrame editor;
    editor.show();
    QTest::keyClicks(&editor.view(editor::Side::Source), QStringLiteral("every day"));
    editor.document().source().select(0, 9);
    editor.exampleSearch();
    EXPECT_TRUE(traced("sample search every day: 2/2"));
    EXPECT_TRUE(boxInFront());
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(Examples, EscBringsBackTheWindowTheKeyCameFrom)
{
    yv::testing::RecordingPresenter presenter;
    const std::string log = (home.dir() / "peer.log").string();
    ChildProcess peer(BUS_PEER, {"--class", std::string(messages::kDictClass), "--log", log});
    ASSERT_TRUE(waitUntil([&] { return bus::findWindow(messages::kDictClass).has_value(); }));
    const auto source = bus::findWindow(messages::kDictClass);
    ASSERT_TRUE(source);

    CMainFrame frame(dataDir);
    frame.show();
    frame.activateWindow();
    QSignalSpy done(&frame, &CMainFrame::searchFinished);
    const std::string key = codec::utf8ToCp932("雨");
    frame.handOver(key.size() + 1, key + std::string(1, '\0'), static_cast<std::int64_t>(*source));
    ASSERT_TRUE(done.wait(20000));
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&frame.keyEntry(), &esc);
    const std::string expected = std::string(messages::kDictClass) + " " + std::to_string(messages::kComeToFront) + " 0 0";
    EXPECT_TRUE(waitUntil([&] {
        const auto lines = readLines(log);
        return std::find(lines.begin(), lines.end(), expected) != lines.end();
    }));
    EXPECT_TRUE(presenter.messages.empty());
}

} // namespace
} // namespace yv::samplebox
