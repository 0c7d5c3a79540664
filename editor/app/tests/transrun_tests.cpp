// The editor window while a translation runs through the reference engine: which commands stay
// usable, stopping from the window, and hand-overs into a saved document.
#include "transwindowtest.h"

#include <HandOver.h>
#include <Messages.h>
#include <SharedBlocks.h>
#include <editorcore/messages.h>
#include <platform/messagebox.h>

#include <QAction>
#include <QMenu>

#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using editor::Side;
using yv::testing::paneText;
using yv::testing::serveUntil;
using yv::testing::TransProgram;

std::string readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

constexpr const char* kSentences =
    "I read a book. It is good. The cat sleeps. We walk to school. She writes a letter. "
    "They play in the park. He drinks water. The dog runs fast. I like music. You speak well.";

// So many sentences that the run is still going when the test looks at the window, and the
// first results arrive long before the end.
std::string longSource()
{
    std::string text;
    for (int i = 0; i < 150; ++i)
        text += std::string(kSentences) + "\n";
    return text;
}

class TransRun : public TransProgram {
protected:
    bool runEnded()
    {
        return serveUntil([&] { return !frame->document().run.translating && frame->view(Side::Source).isEnabled(); });
    }
    QMenu* recentMenu() const
    {
        for (QMenu* menu : frame->findChildren<QMenu*>())
            if (menu->title() == QStringLiteral("最近使ったﾌｧｲﾙ"))
                return menu;
        return nullptr;
    }
};

TEST_F(TransRun, CommandsThatReplaceTheDocumentWaitForTheRunToEnd)
{
    // A recent file to be tempted by.
    type("earlier");
    saveChoice.path = home.dir() / "earlier.tts";
    ASSERT_TRUE(frame->fileSaveAs());
    frame->document().newDocument();
    const std::string source = longSource();
    frame->document().source().insert(source, 0, 0, false);

    ASSERT_TRUE(frame->translate());
    for (const char* name : {"fileNew", "fileOpen", "fileExit"})
        EXPECT_FALSE(frame->action(name)->isEnabled()) << name;
    ASSERT_NE(recentMenu(), nullptr);
    EXPECT_FALSE(recentMenu()->isEnabled());
    EXPECT_TRUE(frame->action("stop")->isEnabled());

    // Called anyway (a shortcut, a queued command): the document stays.
    bool opened = false;
    frame->openDialog = [&] {
        opened = true;
        return std::optional<fs::path>(saveChoice.path);
    };
    EXPECT_FALSE(frame->fileNew());
    EXPECT_FALSE(frame->fileOpen());
    EXPECT_FALSE(frame->openPath(saveChoice.path));
    EXPECT_FALSE(opened);
    EXPECT_EQ(paneText(*frame, Side::Source), source);
    EXPECT_TRUE(frame->action("stop")->isEnabled());

    ASSERT_TRUE(runEnded());
    EXPECT_GT(frame->document().translation().length(), 0u);
    for (const char* name : {"fileNew", "fileOpen", "fileExit"})
        EXPECT_TRUE(frame->action(name)->isEnabled()) << name;
    EXPECT_TRUE(recentMenu()->isEnabled());
}

TEST_F(TransRun, StopFromTheWindowEndsTheRunAndKeepsItsResults)
{
    frame->document().source().insert(longSource(), 0, 0, false);
    ASSERT_TRUE(frame->translate());
    // A first result, as the engine sends it, before any event is served: however fast the
    // engine is, the run is still going when Stop is pressed.
    frame->flow().onCallback("$$$\nWatashi wa hon o yomu.\t0\tI read a book.\t0\t14\n");
    frame->updateCommandStates();
    ASSERT_TRUE(frame->document().run.translating);
    ASSERT_TRUE(frame->action("stop")->isEnabled());
    frame->action("stop")->trigger();

    EXPECT_EQ(frame->statusText(1).toStdString(), "翻訳中止");
    EXPECT_FALSE(frame->busyAnimationRunning());
    EXPECT_FALSE(frame->document().run.translating);
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);
    EXPECT_FALSE(frame->action("stop")->isEnabled());
    const std::string kept = paneText(*frame, Side::Translation);
    EXPECT_FALSE(kept.empty());

    // The engine's end mark gives the panes back.
    ASSERT_TRUE(runEnded());
    EXPECT_EQ(paneText(*frame, Side::Translation).substr(0, kept.size()), kept);
    EXPECT_TRUE(frame->action("fileNew")->isEnabled());
}

TEST_F(TransRun, AFullTranslationPaneStopsTheRunWithOneMessage)
{
    frame->document().source().insert(longSource(), 0, 0, false);
    ASSERT_TRUE(frame->translate());
    // A block larger than the pane can take, as if the engine had sent it.
    const std::string block = "$$$\n" + std::string(65000, 'x') + "\t0\tI\t0\t1\n" + std::string(1000, 'y') +
                              "\t0\tread\t2\t4\n";
    frame->flow().onCallback(block);
    frame->updateCommandStates();
    EXPECT_EQ(frame->statusText(1).toStdString(), "翻訳中止");
    EXPECT_FALSE(frame->document().run.translating);
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);
    EXPECT_FALSE(frame->action("stop")->isEnabled());

    // The engine's own results and its end mark still come; nothing more is inserted.
    ASSERT_TRUE(runEnded());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kStoreFull);
    const std::string kept = paneText(*frame, Side::Translation);
    EXPECT_NE(kept.find(std::string(65000, 'x')), std::string::npos);
    EXPECT_EQ(kept.find('y'), std::string::npos);
    EXPECT_LT(kept.size(), editor::kMaxCharacters);
    EXPECT_TRUE(frame->action("fileNew")->isEnabled());
}

TEST_F(TransRun, ClosingTheWindowDuringARunStopsItAndAsksToSave)
{
    frame->document().source().insert(longSource(), 0, 0, false);
    ASSERT_TRUE(frame->translate());
    presenter.answers = {msgbox::IdNo};
    EXPECT_TRUE(frame->close());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, editor::messages::kSavePrompt);
    EXPECT_EQ(frame->statusText(1).toStdString(), "翻訳中止");
    EXPECT_FALSE(frame->document().run.translating);
    EXPECT_EQ(blocks::readFlag(blocks::EngineBusy), 0);
}

TEST_F(TransRun, HandOverIntoASavedModifiedDocumentAsksFirst)
{
    type("first draft");
    saveChoice.path = home.dir() / "draft.tts";
    ASSERT_TRUE(frame->fileSaveAs());
    const std::string savedDraft = readFile(saveChoice.path);
    type(" changed");
    ASSERT_TRUE(frame->document().modified);

    // Cancel drops the hand-over; the document and its file stay as they were.
    auto block = blocks::TextBlockWriter::write("I read a book.");
    ASSERT_TRUE(block);
    presenter.answers = {msgbox::IdCancel};
    EXPECT_EQ(frame->handleMessage(messages::kHandOver, block->length(), 0), 0);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "ﾄﾞｷｭﾒﾝﾄを保存しますか？");
    EXPECT_EQ(presenter.messages[0].style, unsigned(msgbox::YesNoCancel | msgbox::IconQuestion));
    EXPECT_EQ(paneText(*frame, Side::Source), "first draft changed");
    EXPECT_EQ(readFile(saveChoice.path), savedDraft);

    // Yes writes the document to its own file, without a dialog, then takes the text.
    const int dialogs = saveDialogs;
    presenter.answers = {msgbox::IdYes};
    EXPECT_EQ(frame->handleMessage(messages::kHandOver, block->length(), 0), 1);
    EXPECT_EQ(saveDialogs, dialogs);
    EXPECT_NE(readFile(saveChoice.path), savedDraft);
    EXPECT_EQ(paneText(*frame, Side::Source), "I read a book.");
    EXPECT_EQ(frame->windowTitle().toStdString(), "無題 - Yorvane5");
    ASSERT_TRUE(runEnded());

    ASSERT_TRUE(frame->openPath(saveChoice.path));
    EXPECT_EQ(paneText(*frame, Side::Source), "first draft changed");
}

} // namespace
