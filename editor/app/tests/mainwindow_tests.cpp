// The editor window's commands offscreen: typing, command states, the save prompt, the file
// round trip, the direction commands and hand-overs.
#include "mainwindow.h"
#include "transwindowtest.h"

#include <Etc.h>
#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <platform/bus.h>
#include <editorcore/messages.h>
#include <platform/codec.h>
#include <platform/x11.h>
#include <enginetests.h>
#include <peerprocess.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputMethodEvent>
#include <QProcess>
#include <QTest>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

using yv::testing::ensureApplication;
using yv::testing::paneText;

using yv::testing::serveUntil;
using yv::testing::TransProgram;
using yv::testing::TransWindow;

namespace fs = std::filesystem;
using namespace yv;
using editor::Side;

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}



TEST_F(TransWindow, StartsUntitledAndReadyWithNothingToTranslate)
{
    EXPECT_EQ(frame->windowTitle().toStdString(), "無題 - Yorvane5");
    EXPECT_EQ(frame->statusText(0).toStdString(), "ﾚﾃﾞｨ");
    EXPECT_FALSE(frame->action("translate")->isEnabled());
    EXPECT_FALSE(frame->action("stop")->isEnabled());
    EXPECT_FALSE(frame->action("editUndo")->isEnabled());
    EXPECT_EQ(frame->action("translate")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
}

TEST_F(TransWindow, KeysEditTheFocusedPaneAndTabSwitchesPanes)
{
    type("Hello  world");
    EXPECT_EQ(paneText(*frame, Side::Source), "Hello  world");
    EXPECT_TRUE(frame->action("translate")->isEnabled());
    EXPECT_TRUE(frame->document().modified);

    auto& source = frame->view(Side::Source);
    QTest::keyClick(&source, Qt::Key_Home);
    QTest::keyClick(&source, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&source, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&source, Qt::Key_Delete);
    EXPECT_EQ(paneText(*frame, Side::Source), "llo  world");
    QTest::keyClick(&source, Qt::Key_End);
    QTest::keyClick(&source, Qt::Key_Backspace);
    EXPECT_EQ(paneText(*frame, Side::Source), "llo  worl");

    ASSERT_TRUE(frame->action("editUndo")->isEnabled());
    frame->action("editUndo")->trigger();
    EXPECT_EQ(paneText(*frame, Side::Source), "llo  world");

    QTest::keyClick(&source, Qt::Key_Tab);
    EXPECT_TRUE(frame->view(Side::Translation).hasFocus());
    QTest::keyClicks(&frame->view(Side::Translation), QStringLiteral("x"));
    EXPECT_EQ(paneText(*frame, Side::Translation), "x");
    QTest::keyClick(&frame->view(Side::Translation), Qt::Key_Tab);
    EXPECT_TRUE(source.hasFocus());
}

TEST_F(TransWindow, EditingKeysAndTheirShortcutsThroughKeyEvents)
{
    auto& source = frame->view(Side::Source);
    type("abc def");
    QTest::keyClick(&source, Qt::Key_Home);
    QTest::keyClick(&source, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "abc def") << "Shift+Delete is Cut: nothing selected, nothing cut";

    QTest::keyClick(&source, Qt::Key_Right);
    QTest::keyClick(&source, Qt::Key_Right);
    QTest::keyClick(&source, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&source, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab def");
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "c");
    QTest::keyClick(&source, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "abc def");
    QTest::keyClick(&source, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab def");
    QTest::keyClick(&source, Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab def") << "one level of undo only";

    QTest::keyClick(&source, Qt::Key_Return);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab\n def");
    QTest::keyClick(&source, Qt::Key_Backspace);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab def");
    QTest::keyClick(&source, Qt::Key_Delete);
    EXPECT_EQ(paneText(*frame, Side::Source), "abdef");

    QTest::keyClick(&source, Qt::Key_End);
    QTest::keyClick(&source, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(&source, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "abdef");
    QTest::keyClick(&source, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "");
    QTest::keyClick(&source, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&source, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "abdefabdef");
    QTest::keyClick(&source, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(&source, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_TRUE(frame->document().source().hasSelection());
}

TEST_F(TransWindow, ClosingAModifiedDocumentSavesThroughSaveAs)
{
    type("closing text");
    saveChoice.path = home.dir() / "closing.tts";
    ASSERT_TRUE(frame->fileSaveAs());
    type(" more");

    // Yes on closing always asks where, even for a document with its own file; a cancelled
    // dialog keeps the window open.
    saveChoice.path.clear();
    presenter.answers = {msgbox::IdYes};
    const int dialogs = saveDialogs;
    EXPECT_FALSE(frame->close());
    EXPECT_EQ(saveDialogs, dialogs + 1);
    EXPECT_TRUE(frame->isVisible());

    saveChoice.path = home.dir() / "closed.tts";
    presenter.answers = {msgbox::IdYes};
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(saveDialogs, dialogs + 2);
    trans::CMainFrame reader;
    ASSERT_TRUE(reader.openPath(saveChoice.path));
    EXPECT_EQ(paneText(reader, Side::Source), "closing text more");
}

TEST_F(TransWindow, OpenDialogKeepsItsCaptionsAndShowsFilesWithoutExtension)
{
    QFileDialog dialog;
    trans::setUpOpenDialog(dialog);
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    std::vector<std::string> captions;
    for (int i = 0; i < types->count(); ++i)
        captions.push_back(types->itemText(i).toStdString());
    EXPECT_EQ(captions, (std::vector<std::string>{"翻訳ﾌｧｲﾙ(*.tts)", "ﾃｷｽﾄﾌｧｲﾙ(*.txt)", "全てのﾌｧｲﾙ(*.*)"}));

    dialog.selectNameFilter(dialog.nameFilters().back());
    auto* model = dialog.findChild<QFileSystemModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{QStringLiteral("*")}) << "README and Makefile must show";
}

// The input method's event: `preedit` shown with the cursor at `cursor`, `commit` inserted.
void sendInputMethod(QWidget& view, const QString& preedit, int cursor, const QString& commit = {})
{
    QList<QInputMethodEvent::Attribute> attributes;
    attributes.append(QInputMethodEvent::Attribute(QInputMethodEvent::Cursor, cursor, 1));
    QInputMethodEvent event(preedit, attributes);
    if (!commit.isEmpty())
        event.setCommitString(commit);
    QApplication::sendEvent(&view, &event);
}

// What the input method learns of the caret, in the widget's coordinates.
QRectF cursorRectangle(QWidget& view)
{
    QInputMethodQueryEvent query(Qt::ImCursorRectangle);
    QApplication::sendEvent(&view, &query);
    return query.value(Qt::ImCursorRectangle).toRectF();
}

TEST_F(TransWindow, InputMethodCompositionIsShownAtTheCaretAndCommittedAsOneInsertion)
{
    auto& view = frame->view(Side::Source);
    editor::EditPane& source = frame->document().source();
    type("ab");
    frame->document().modified = false;
    const QRectF atCaret = cursorRectangle(view);
    const QImage before = view.grab().toImage();

    // Composing: shown, not inserted; the caret the input method sees sits inside it.
    sendInputMethod(view, QStringLiteral("にほんご"), 2);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab");
    EXPECT_FALSE(frame->document().modified);
    EXPECT_EQ(view.composition().toStdString(), "にほんご");
    const QRectF inside = cursorRectangle(view);
    const int twoCharacters = QFontMetrics(view.viewport()->font()).horizontalAdvance(QStringLiteral("にほ"));
    EXPECT_EQ(inside.top(), atCaret.top());
    EXPECT_NEAR(inside.left() - atCaret.left(), twoCharacters, 1.0);
    EXPECT_NE(view.grab().toImage(), before) << "the composition is drawn";
    // In the widget's own coordinates: the candidate window is placed from them.
    const editor::TextCell& caretCell = source.store()[source.caret()];
    EXPECT_EQ(atCaret.topLeft().toPoint(), view.viewport()->pos() + QPoint(caretCell.x, caretCell.y));
    QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
    const QPoint inWindow = view.mapTo(frame.get(), inside.topLeft().toPoint());
    EXPECT_EQ(QGuiApplication::inputMethod()->cursorRectangle().topLeft().toPoint(), inWindow);

    // The result: one insertion with one undo copy, the composition gone.
    sendInputMethod(view, QString(), 0, QStringLiteral("日本語"));
    EXPECT_EQ(paneText(*frame, Side::Source), "ab日本語");
    EXPECT_EQ(source.length(), 5u);
    EXPECT_TRUE(view.composition().isEmpty());
    EXPECT_TRUE(frame->document().modified);
    QTest::keyClick(&view, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(paneText(*frame, Side::Source), "ab");

    // Through the insertion rules: a selection is replaced, a linked unit's characters keep
    // their numbers and the new ones get none.
    source.clearAll();
    source.insert("xyz", 9, 0, false);
    source.select(1, 1);
    sendInputMethod(view, QString(), 0, QStringLiteral("語"));
    EXPECT_EQ(paneText(*frame, Side::Source), "x語z");
    EXPECT_EQ(source.store()[0].pair, 9);
    EXPECT_EQ(source.store()[1].pair, 0);
    EXPECT_TRUE(presenter.messages.empty());
}

TEST_F(TransWindow, InputMethodResultThatWouldOverfillThePaneIsRefused)
{
    auto& view = frame->view(Side::Source);
    editor::EditPane& source = frame->document().source();
    source.insert(std::string(editor::kMaxCharacters - 1, 'x'), 0, 0, false);
    sendInputMethod(view, QStringLiteral("か"), 1);
    sendInputMethod(view, QString(), 0, QStringLiteral("日本"));
    EXPECT_EQ(source.length(), editor::kMaxCharacters - 1);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kStoreFull);
    EXPECT_TRUE(view.composition().isEmpty());
    sendInputMethod(view, QString(), 0, QStringLiteral("日"));
    EXPECT_EQ(source.length(), editor::kMaxCharacters);
}

TEST_F(TransWindow, CutAndPasteBackRestoresPairsOnce)
{
    editor::EditPane& source = frame->document().source();
    source.insert("abcdef", 7, 0, false);
    source.select(3, 5);
    frame->updateCommandStates();
    ASSERT_TRUE(frame->action("editCut")->isEnabled());
    frame->action("editCut")->trigger();
    EXPECT_EQ(paneText(*frame, Side::Source), "abc");
    EXPECT_EQ(source.store()[0].pair, 0) << "the unit split by the cut loses its number";
    EXPECT_FALSE(frame->action("editCut")->isEnabled());

    frame->action("editPaste")->trigger();
    EXPECT_EQ(paneText(*frame, Side::Source), "abcdef");
    EXPECT_EQ(source.store()[3].pair, 7);
    EXPECT_EQ(source.store()[5].pair, 7);
    frame->action("editPaste")->trigger();
    EXPECT_EQ(paneText(*frame, Side::Source), "abcdefdef");
    EXPECT_EQ(source.store()[6].pair, 0);

    // Copy leaves the pane alone and writes line breaks as CR LF.
    source.clearAll();
    source.insert("x\ny", 0, 0, false);
    source.select(0, 2);
    frame->updateCommandStates();
    frame->action("editCopy")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "x\r\ny");
    EXPECT_EQ(paneText(*frame, Side::Source), "x\ny");
}

TEST_F(TransWindow, ClosingStoresThePlacementTheNextWindowUses)
{
    frame->resize(640, 360);
    ASSERT_TRUE(frame->close());
    const std::uint32_t divide = GetRegDWORD(0, "翻訳BOX", "DIVIDE", 0);
    EXPECT_EQ(GetRegDWORD(0, "翻訳BOX", "WIDTH", 0), 640u);
    EXPECT_EQ(GetRegDWORD(0, "翻訳BOX", "HEIGHT", 0), 360u);
    EXPECT_GT(divide, 0u);

    SetRegDWORD(HKEY_CURRENT_USER, "翻訳BOX", "DIVIDE", 200);
    trans::CMainFrame next;
    next.show();
    EXPECT_EQ(next.width(), 640);
    EXPECT_EQ(next.view(Side::Source).width(), 200);
}

TEST_F(TransWindow, SavePromptCancelKeepsNoDiscardsYesSaves)
{
    type("keep me");
    presenter.answers = {msgbox::IdCancel};
    EXPECT_FALSE(frame->fileNew());
    EXPECT_EQ(paneText(*frame, Side::Source), "keep me");
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kSavePrompt);
    EXPECT_EQ(presenter.messages[0].style, unsigned(msgbox::YesNoCancel | msgbox::IconQuestion));

    // Yes with a cancelled save dialog stops the command too.
    presenter.answers = {msgbox::IdYes};
    EXPECT_FALSE(frame->fileNew());
    EXPECT_EQ(saveDialogs, 1);
    EXPECT_EQ(paneText(*frame, Side::Source), "keep me");

    saveChoice.path = home.dir() / "kept.tts";
    presenter.answers = {msgbox::IdYes};
    EXPECT_TRUE(frame->fileNew());
    EXPECT_TRUE(fs::exists(saveChoice.path));
    EXPECT_EQ(paneText(*frame, Side::Source), "");
    EXPECT_EQ(frame->windowTitle().toStdString(), "無題 - Yorvane5");

    type("drop me");
    presenter.answers = {msgbox::IdNo};
    EXPECT_TRUE(frame->fileNew());
    EXPECT_EQ(paneText(*frame, Side::Source), "");
    EXPECT_FALSE(frame->document().modified);
}

TEST_F(TransWindow, DocumentRoundTripSetsTitleAndRecentFiles)
{
    type("round trip");
    saveChoice.path = home.dir() / "notes.tts";
    // The wait cursor is up while the file is written, and gone after.
    const auto windowHook = frame->document().onWriting;
    std::vector<int> cursors;
    frame->document().onWriting = [&](bool writing) {
        windowHook(writing);
        cursors.push_back(QApplication::overrideCursor() ? QApplication::overrideCursor()->shape() : -1);
    };
    ASSERT_TRUE(frame->fileSaveAs());
    EXPECT_EQ(cursors, (std::vector<int>{Qt::WaitCursor, -1}));
    EXPECT_EQ(frame->windowTitle().toStdString(), "notes - Yorvane5");
    EXPECT_EQ(readFile(saveChoice.path).substr(0, 10), std::string("WAYPOINTS\x03", 10));

    ASSERT_TRUE(frame->fileNew());
    frame->openDialog = [&] { return std::optional<fs::path>(saveChoice.path); };
    ASSERT_TRUE(frame->fileOpen());
    EXPECT_EQ(paneText(*frame, Side::Source), "round trip");
    EXPECT_EQ(frame->windowTitle().toStdString(), "notes - Yorvane5");
    EXPECT_FALSE(frame->document().modified);

    char recent[512];
    GetRegStr(0, "翻訳BOX\\Recent File List", "File1", recent, sizeof recent, "");
    EXPECT_EQ(fs::path(recent), saveChoice.path);

    // Save goes straight back to the document's own file.
    type("!");
    const int dialogsBefore = saveDialogs;
    ASSERT_TRUE(frame->fileSave());
    EXPECT_EQ(saveDialogs, dialogsBefore);
    EXPECT_FALSE(frame->document().modified);
}

TEST_F(TransWindow, TextExportAndFailedOpenLeaveTheDocument)
{
    type("source");
    QTest::keyClick(&frame->view(Side::Source), Qt::Key_Tab);
    QTest::keyClicks(&frame->view(Side::Translation), QStringLiteral("target"));
    saveChoice = {home.dir() / "out.txt", true};
    ASSERT_TRUE(frame->fileSaveAs());
    EXPECT_EQ(readFile(saveChoice.path), "target\r\n");
    EXPECT_TRUE(frame->document().path().empty());

    EXPECT_FALSE(frame->openPath(home.dir() / "missing.tts"));
    ASSERT_FALSE(presenter.messages.empty());
    EXPECT_NE(presenter.messages.back().text.find("ﾌｧｲﾙがｵｰﾌﾟﾝできません。"), std::string::npos);
    EXPECT_EQ(paneText(*frame, Side::Source), "source");
}

TEST_F(TransWindow, TranslateRefusedWhileTheEngineIsBusy)
{
    type("busy");
    blocks::setFlag(blocks::EngineBusy, 1);
    frame->updateCommandStates();
    EXPECT_FALSE(frame->action("translate")->isEnabled());
    EXPECT_TRUE(frame->action("stop")->isEnabled());
    EXPECT_FALSE(frame->translate());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kEngineBusy);
    EXPECT_TRUE(frame->view(Side::Source).isEnabled());

    // A hand-over is ignored as well while the flag is up.
    const auto block = blocks::TextBlockWriter::write("ignored");
    ASSERT_TRUE(block);
    EXPECT_EQ(frame->handleMessage(messages::kHandOver, block->length(), 0), 0);
    EXPECT_EQ(paneText(*frame, Side::Source), "busy");
    blocks::setFlag(blocks::EngineBusy, 0);
}

TEST_F(TransWindow, DirectionCommandsStoreTheSettingAndUpdateTheButton)
{
    EXPECT_EQ(frame->action("direction")->text().toStdString(), "方向(自動)");
    EXPECT_TRUE(frame->action("directionAuto")->isChecked());
    frame->action("directionJE")->trigger();
    EXPECT_EQ(GetRegDWORD(0, nullptr, "翻訳方向", 9), 2u);
    EXPECT_EQ(frame->action("direction")->text().toStdString(), "方向(日英)");
    EXPECT_TRUE(frame->action("directionJE")->isChecked());
    frame->action("direction")->trigger();
    EXPECT_EQ(GetRegDWORD(0, nullptr, "翻訳方向", 9), 0u);

    SetRegDWORD(HKEY_CURRENT_USER, nullptr, "翻訳方向", 1);
    frame->handleMessage(messages::kDirectionChanged, 0, 0);
    EXPECT_EQ(frame->action("direction")->text().toStdString(), "方向(英日)");
    EXPECT_TRUE(frame->action("directionEJ")->isChecked());
}

TEST_F(TransWindow, HandOverIntoANewDocumentHonoursTheSavePrompt)
{
    type("unsaved");
    const auto block = blocks::TextBlockWriter::write("handed");
    ASSERT_TRUE(block);
    presenter.answers = {msgbox::IdCancel};
    EXPECT_EQ(frame->handleMessage(messages::kHandOverNew, block->length(), 0), 0);
    EXPECT_EQ(paneText(*frame, Side::Source), "unsaved");
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kSavePrompt);

    // An impossible length is dropped without touching the document.
    EXPECT_EQ(frame->handleMessage(messages::kHandOverNew, blocks::kTextBlockSize + 1, 0), 0);
    EXPECT_EQ(paneText(*frame, Side::Source), "unsaved");
}

// A peer process holding a box's window class (and the viewer's search service), logging
// what it receives.
class BoxPeer {
public:
    explicit BoxPeer(const yv::testing::TestHome& home, std::vector<std::string> extra)
        : m_log((home.dir() / "peer.log").string()),
          m_process(BUS_PEER, withLog(std::move(extra), m_log))
    {
    }
    bool ready()
    {
        return waitFor([&](const std::string& line) { return line == "ready"; });
    }
    template <typename Match>
    bool waitFor(Match match, int ms = 20000)
    {
        for (int waited = 0;; waited += 10) {
            for (const std::string& line : yv::testing::readLines(m_log))
                if (match(line))
                    return true;
            if (waited >= ms)
                return false;
            bus::waitServingEvents(10);
        }
    }
    std::vector<std::string> lines() const { return yv::testing::readLines(m_log); }

private:
    static std::vector<std::string> withLog(std::vector<std::string> args, const std::string& log)
    {
        args.insert(args.end(), {"--log", log});
        return args;
    }
    std::string m_log;
    yv::testing::ChildProcess m_process;
};

std::string messageLine(std::string_view windowClass, std::uint32_t message, std::uint64_t wParam,
                        std::int64_t lParam)
{
    return std::string(windowClass) + " " + std::to_string(message) + " " + std::to_string(wParam) + " " +
           std::to_string(lParam);
}

TEST_F(TransWindow, CdRomSearchPokesTheCleanedTermWithTheWindowHandle)
{
    BoxPeer viewer(home, {"--class", std::string(messages::kLexdiscClass), "--window", "--dde", "LEXDISC"});
    ASSERT_TRUE(viewer.ready());
    frame->setWindowHandle(0x5a0c3);
    type("a");
    QTest::keyClick(&frame->view(Side::Source), Qt::Key_Return);
    frame->document().source().select(0, 1);
    ASSERT_TRUE(frame->cdRomSearch());
    const std::string expected = "poke SEARCH " + yv::testing::hex(std::string("a  \t5a0c3") + '\0');
    EXPECT_TRUE(viewer.waitFor([&](const std::string& line) { return line == expected; }))
        << ::testing::PrintToString(viewer.lines());

    // Nothing selected: the viewer comes forward, nothing is poked.
    frame->document().source().clearSelection();
    EXPECT_FALSE(frame->cdRomSearch());
    int pokes = 0;
    for (const std::string& line : viewer.lines())
        pokes += line.rfind("poke ", 0) == 0;
    EXPECT_EQ(pokes, 1);
}

TEST_F(TransWindow, ExampleSearchRaisesTheOpenBoxAndHandsTheSelectionOver)
{
    BoxPeer box(home, {"--class", std::string(messages::kSampleClass)});
    ASSERT_TRUE(box.ready());
    type("example");
    frame->document().source().select(0, 6);
    frame->exampleSearch();
    const auto text = "text " + yv::testing::hex("example");
    ASSERT_TRUE(box.waitFor([&](const std::string& line) { return line == text; }));
    const std::vector<std::string> lines = box.lines();
    const std::vector<std::string> expected = {"ready", messageLine(messages::kSampleClass, messages::kComeToFront, 0, 0),
                                               messageLine(messages::kSampleClass, messages::kHandOver, 8, 0), text};
    EXPECT_EQ(lines, expected);
}

TEST_F(TransWindow, MissingBoxProgramsAreReported)
{
    // The tests' own directory holds no dictionary box and no batch box.
    type("word");
    frame->document().source().select(0, 3);
    frame->dictionarySearch();
    frame->fileTranslation();
    frame->findChild<QAction*>(QStringLiteral("helpTopics"))->trigger();
    ASSERT_EQ(presenter.messages.size(), 3u);
    EXPECT_EQ(presenter.messages[0].text, "dictがみつかりません。インストール状態を確認してください。");
    EXPECT_EQ(presenter.messages[1].text, "fileがみつかりません。インストール状態を確認してください。");
    EXPECT_EQ(presenter.messages[2].text, "tooldeckがみつかりません。インストール状態を確認してください。");
}

TEST_F(TransWindow, SettingsAndHelpEntriesPostToTheToolbox)
{
    BoxPeer toolbox(home, {"--class", std::string(messages::kToolboxClass)});
    ASSERT_TRUE(toolbox.ready());
    frame->findChild<QAction*>(QStringLiteral("settingsPage3"))->trigger();
    frame->findChild<QAction*>(QStringLiteral("helpTopics"))->trigger();
    const std::string page = messageLine(messages::kToolboxClass, messages::kOpenSettings, 3, 0);
    const std::string help = messageLine(messages::kToolboxClass, messages::kShowHelp, 1, 0);
    ASSERT_TRUE(toolbox.waitFor([&](const std::string& line) { return line == help; }));
    const std::vector<std::string> expected = {"ready", page, help};
    EXPECT_EQ(toolbox.lines(), expected);
}

// The window manager's frame of a window, once it has put one around it.
std::optional<QRect> managedFrame(const QWidget& window)
{
    std::optional<x11::Rect> frame;
    serveUntil([&] {
        frame = x11::frameRect(static_cast<x11::WindowId>(window.winId()));
        return frame && frame->height > window.height();
    }, 10000);
    if (!frame)
        return std::nullopt;
    return QRect(frame->left, frame->top, frame->width, frame->height);
}

TEST_F(TransProgram, WithoutAStoredPlacementOpensLargeAndBesideTheToolbox)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs a display with a window manager";
    frame.reset();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    // An always-on-top toolbox across the middle of the screen, where a centred window would go.
    QWidget toolbox(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint);
    toolbox.setWindowTitle(QStringLiteral("Yorvane5"));
    toolbox.setFixedSize(area.width() / 2, 120);
    toolbox.move(area.left() + area.width() / 4, area.top() + area.height() / 3);
    toolbox.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&toolbox));
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        messages::kToolboxClass, static_cast<bus::WindowHandle>(toolbox.winId()),
        [](std::uint32_t, std::uint64_t, std::int64_t) -> std::int64_t { return 0; });
    ASSERT_TRUE(endpoint);
    const std::optional<QRect> covered = managedFrame(toolbox);
    ASSERT_TRUE(covered);

    trans::CMainFrame editor;
    editor.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&editor));
    const std::optional<QRect> placed = managedFrame(editor);
    ASSERT_TRUE(placed);
    EXPECT_FALSE(placed->intersects(*covered)) << "editor " << placed->x() << "," << placed->y() << " "
                                               << placed->width() << "x" << placed->height();
    EXPECT_TRUE(area.contains(*placed));
    EXPECT_GE(placed->width(), area.width() / 2);
    EXPECT_GE(placed->height(), area.height() / 3);
}

// The program itself: one editor per session; a second start hands over to the first.
TEST_F(TransProgram, SecondStartEndsAndLeavesTheFirstRunning)
{
    frame.reset();
    QProcess first;
    first.start(QStringLiteral(TRANS_PROGRAM), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(serveUntil([] { return bus::findWindow(messages::kTransClass).has_value(); }, 20000));

    QProcess second;
    second.start(QStringLiteral(TRANS_PROGRAM), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(bus::sendMessage(messages::kTransClass, messages::kComeToFront, 0, 0), std::optional<std::int64_t>(1));

    first.terminate();
    EXPECT_TRUE(first.waitForFinished(10000));
}

TEST_F(TransProgram, HandOverStartsAFreshDocumentAndTranslatesIt)
{
    type("old text");
    const auto block = blocks::TextBlockWriter::write("I read a book.");
    ASSERT_TRUE(block);
    constexpr std::int64_t kGoneWindow = 0x7ffffff0;
    EXPECT_EQ(frame->handleMessage(messages::kHandOver, block->length(), kGoneWindow), 1);
    EXPECT_TRUE(presenter.messages.empty()) << "an untitled document is replaced without a prompt";
    EXPECT_EQ(frame->windowTitle().toStdString(), "無題 - Yorvane5");
    EXPECT_EQ(paneText(*frame, Side::Source), "I read a book.");
    EXPECT_EQ(frame->returnWindow(), static_cast<std::uint64_t>(kGoneWindow));

    // A second hand-over while this run holds the busy flag is ignored.
    EXPECT_EQ(frame->handleMessage(messages::kHandOver, block->length(), 0), 0);

    ASSERT_TRUE(serveUntil([&] { return !frame->document().run.translating; }));
    EXPECT_EQ(frame->document().run.runDirection, 1);
    EXPECT_GT(frame->document().translation().length(), 0u);
    EXPECT_FALSE(frame->returnToSender()) << "the return window no longer exists";
}

TEST_F(TransProgram, TextHandedOverByAnotherProgramIsTranslatedAndEscReturnsToIt)
{
    constexpr std::string_view kSenderClass = "QEL_TestSenderWClass";
    const bool onX11 = QGuiApplication::platformName() == QLatin1String("xcb");
    const auto endpoint = bus::WindowEndpoint::registerWindow(
        messages::kTransClass, onX11 ? static_cast<bus::WindowHandle>(frame->winId()) : 0,
        [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) {
            return frame->handleMessage(message, wParam, lParam);
        });
    ASSERT_TRUE(endpoint);
    BoxPeer sender(home, {"--class", std::string(kSenderClass), "--window", "--hand-over",
                          std::string(messages::kTransClass), "I read a book. It is good."});
    ASSERT_TRUE(sender.waitFor([](const std::string& line) { return line.rfind("handed ", 0) == 0; }));
    EXPECT_TRUE(sender.waitFor([](const std::string& line) { return line == "handed 0"; }, 0))
        << ::testing::PrintToString(sender.lines());
    const auto senderWindow = bus::findWindow(kSenderClass);
    ASSERT_TRUE(senderWindow);
    EXPECT_EQ(frame->returnWindow(), *senderWindow);

    ASSERT_TRUE(serveUntil([&] { return !frame->document().run.translating; }));
    const editor::CellStore& source = frame->document().source().store();
    const editor::CellStore& translation = frame->document().translation().store();
    ASSERT_GT(translation.length(), 1u);
    EXPECT_NE(source[0].pair, 0);
    EXPECT_EQ(translation[0].pair, source[0].pair);
    EXPECT_NE(source[source.length() - 1].pair, source[0].pair) << "two sentences, two pairs";

    if (onX11) {
        EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == frame->winId(); }, 10000))
            << "the hand-over brings the editor to the front";
    }
    QTest::keyClick(&frame->view(Side::Source), Qt::Key_Escape);
    if (onX11) {
        EXPECT_TRUE(serveUntil([&] { return x11::activeWindow() == *senderWindow; }, 10000));
    } else {
        const std::string raised = messageLine(kSenderClass, messages::kComeToFront, 0, 0);
        EXPECT_TRUE(sender.waitFor([&](const std::string& line) { return line == raised; }));
    }
}

TEST_F(TransProgram, TranslatesDetectedJapaneseAndLinksTheSentences)
{
    QInputMethodEvent event;
    event.setCommitString(QStringLiteral("私は本を読む。"));
    QApplication::sendEvent(&frame->view(Side::Source), &event);
    ASSERT_TRUE(frame->translate());
    EXPECT_EQ(frame->statusText(1).toStdString(), "翻訳中...");
    EXPECT_TRUE(frame->busyAnimationRunning());
    EXPECT_FALSE(frame->view(Side::Source).isEnabled());
    EXPECT_TRUE(frame->action("stop")->isEnabled());

    ASSERT_TRUE(serveUntil([&] { return !frame->document().run.translating; }));
    EXPECT_EQ(frame->statusText(1).toStdString(), "翻訳終了");
    EXPECT_FALSE(frame->busyAnimationRunning());
    EXPECT_TRUE(frame->view(Side::Source).isEnabled());
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);
    EXPECT_EQ(frame->document().run.runDirection, 2);
    const editor::CellStore& translation = frame->document().translation().store();
    ASSERT_GT(translation.length(), 1u);
    EXPECT_NE(translation[0].pair, 0);
    EXPECT_EQ(frame->document().source().store()[0].pair, translation[0].pair);
    EXPECT_TRUE(frame->document().modified);
}

} // namespace
