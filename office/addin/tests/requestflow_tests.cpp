// The add-in's commands against the reference engines, and against an engine that stops
// answering: clipboard texts, the finished note, the messages, stopping and a dying engine.
#include <commands.h>
#include <mytrans.h>

#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>

#include <enginetests.h>
#include <peerprocess.h>
#include <testhome.h>

#include <platform/bus.h>
#include <platform/paths.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace yv;
using namespace yv::addin;
using yv::testing::serveUntil;

// Plays the user in front of the dialogs.
class ScriptedView final : public RequestView {
public:
    void showProgress() override
    {
        ++progressShown;
        open = true;
        cancel = cancelAtOnce;
    }
    void setProgress(int percent) override
    {
        progress.push_back(percent);
        if (onProgress)
            onProgress(percent);
    }
    bool cancelRequested() const override { return cancel; }
    void closeProgress() override
    {
        open = false;
        ++progressClosed;
    }
    bool showFinishedNote() override
    {
        ++notes;
        return tickDontShowAgain;
    }

    int progressShown = 0;
    int progressClosed = 0;
    bool open = false;
    std::vector<int> progress;
    std::function<void(int)> onProgress;
    bool cancel = false;
    // "中止" pressed as soon as the dialog shows.
    bool cancelAtOnce = false;
    int notes = 0;
    bool tickDontShowAgain = false;
};

QString clipboardText()
{
    return QGuiApplication::clipboard()->text();
}

class AddInCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        yv::testing::useReferenceEngines(ENGINE_CACHE_DIR);
        // The dialogs are scripted; the clipboard is the application's own.
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "addin_requestflow_tests";
        static char* argv[] = {name, nullptr};
        static QApplication app(argc, argv);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void TearDown() override { yv::testing::closeEngines(); }

    bool tempFilesLeft() const
    {
        for (const auto& entry : std::filesystem::directory_iterator(paths::tempDir())) {
            if (entry.path().filename().string().find("_LintrelAddin_") != std::string::npos)
                return true;
        }
        return false;
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter messages;
    ScriptedView view;
};

TEST_F(AddInCommands, PresentationTextGoesToTheClipboardOnOneLine)
{
    ASSERT_TRUE(runCommand(Host::Impress, "This is a pen.\nI have a book.\r\n", view));
    const QString text = clipboardText();
    EXPECT_FALSE(text.isEmpty());
    EXPECT_NE(text, QStringLiteral("before"));
    EXPECT_FALSE(text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) << text.toStdString();
    // English went to the English-to-Japanese engine and came back as Japanese.
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
        << text.toStdString();
    EXPECT_TRUE(bus::findWindow(messages::kEngineEjClass));
    EXPECT_FALSE(bus::findWindow(messages::kEngineJeClass));
    EXPECT_EQ(view.progressShown, 1);
    EXPECT_EQ(view.progressClosed, 1);
    EXPECT_EQ(view.progress, std::vector<int>{100});
    EXPECT_EQ(view.notes, 1);
    EXPECT_TRUE(messages.messages.empty());
}

TEST_F(AddInCommands, TickedNoteStaysAwayAndTheDirectionSettingWins)
{
    view.tickDontShowAgain = true;
    ASSERT_TRUE(runCommand(Host::Impress, "Good morning.", view));
    EXPECT_EQ(view.notes, 1);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, nullptr, "AddinEndCheck", 0), 1u);

    // Japanese to English fixed by the user: even an English text goes to that engine.
    SetRegDWORD(HKEY_CURRENT_USER, nullptr, "翻訳方向", 2);
    ASSERT_TRUE(runCommand(Host::Impress, "Good evening.", view));
    EXPECT_EQ(view.notes, 1);
    EXPECT_TRUE(bus::findWindow(messages::kEngineJeClass));
}

TEST_F(AddInCommands, TextDocumentGoesThroughFilesWithCrLfLines)
{
    ASSERT_TRUE(runCommand(Host::Writer, "これはペンです。\n私は本を持っています。\n", view));
    const std::string text = clipboardText().toStdString();
    EXPECT_TRUE(bus::findWindow(messages::kEngineJeClass));
    EXPECT_NE(text.find("\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "every LF follows a CR: " << text;
    EXPECT_TRUE(std::any_of(text.begin(), text.end(), [](char c) { return c >= 'a' && c <= 'z'; })) << text;
    EXPECT_FALSE(view.progress.empty());
    EXPECT_EQ(view.notes, 1);
    EXPECT_FALSE(tempFilesLeft());
}

TEST_F(AddInCommands, SpreadsheetCellsComeBackAsAGrid)
{
    // Two rows of three cells, one empty: two lines with two tabs each, the empty place kept.
    const CellGrid grid{{"pen", "", "book"}, {"dog", "cat", "bird"}};
    ASSERT_TRUE(runCommand(Host::Calc, formatCellGrid(grid), view));
    const std::string text = clipboardText().toStdString();
    ASSERT_EQ(text.size() >= 4 ? text.substr(text.size() - 2) : std::string(), "\r\n") << text;
    const auto firstEnd = text.find("\r\n");
    const std::string first = text.substr(0, firstEnd);
    const std::string second = text.substr(firstEnd + 2, text.size() - firstEnd - 4);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\t'), 2) << text;
    EXPECT_EQ(std::count(second.begin(), second.end(), '\t'), 2) << text;
    EXPECT_EQ(second.find("\r\n"), std::string::npos) << text;
    EXPECT_EQ(first.find('\t') + 1, first.rfind('\t')) << "the empty cell stays empty: " << text;
    // One request per filled cell, one note for the whole selection.
    EXPECT_EQ(view.progressShown, 5);
    EXPECT_EQ(view.notes, 1);
}

TEST_F(AddInCommands, NothingSelectedIsSaidAndNothingIsAsked)
{
    EXPECT_FALSE(runCommand(Host::Writer, "", view));
    EXPECT_FALSE(runCommand(Host::Impress, "", view));
    EXPECT_FALSE(runCommand(Host::Calc, formatCellGrid({{"", ""}, {"", ""}}), view));
    ASSERT_EQ(messages.messages.size(), 3u);
    for (const auto& m : messages.messages) {
        EXPECT_EQ(m.text, kNoSelectionMessage);
        EXPECT_EQ(m.caption, "Yorvane5");
        EXPECT_EQ(m.style & msgbox::IconMask, msgbox::IconError);
    }
    EXPECT_EQ(view.progressShown, 0);
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
}

// An engine that takes the job and then never finishes it.
class AddInSilentEngine : public AddInCommands {
protected:
    void SetUp() override
    {
        AddInCommands::SetUp();
        ASSERT_TRUE(engine.started());
        ASSERT_TRUE(serveUntil([&] { return !yv::testing::readLines(log).empty(); }, 20000));
        ASSERT_EQ(yv::testing::readLines(log).front(), "ready");
    }

    std::vector<std::string> logged() const { return yv::testing::readLines(log); }

    std::string log = (home.dir() / "engine.log").string();
    yv::testing::ChildProcess engine{FAKE_ENGINE, {"--log", log}};
};

TEST_F(AddInSilentEngine, StopLeavesTheClipboardAsItWas)
{
    view.onProgress = [&](int) { view.cancel = true; };
    EXPECT_FALSE(runCommand(Host::Writer, "A long text.\n", view));
    EXPECT_EQ(view.progress, std::vector<int>{10});
    EXPECT_FALSE(view.open);
    EXPECT_EQ(logged(), (std::vector<std::string>{"ready", "job TranslateF", "stop"}));
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(view.notes, 0);
    EXPECT_FALSE(tempFilesLeft());

    // A stopped cell stops the whole selection: no further cell is asked for.
    view.cancelAtOnce = true;
    EXPECT_FALSE(runCommand(Host::Calc, formatCellGrid({{"one", "two"}}), view));
    EXPECT_EQ(logged(), (std::vector<std::string>{"ready", "job TranslateF", "stop", "job Translate", "stop"}));
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
}

TEST_F(AddInSilentEngine, AnEngineThatDiesEndsTheRequestWithTheMessage)
{
    view.onProgress = [&](int) { ::kill(engine.pid(), SIGKILL); };
    EXPECT_FALSE(runCommand(Host::Writer, "Hello.", view));
    EXPECT_EQ(view.progress, std::vector<int>{10});
    EXPECT_EQ(view.progressShown, 1);
    EXPECT_EQ(view.progressClosed, 1);
    EXPECT_FALSE(view.open);
    ASSERT_EQ(messages.messages.size(), 1u);
    EXPECT_EQ(messages.messages[0].text, kConnectFailedMessage);
    EXPECT_EQ(messages.messages[0].caption, "");
    EXPECT_EQ(messages.messages[0].style & msgbox::IconMask, msgbox::IconExclamation);
    EXPECT_EQ(clipboardText(), QStringLiteral("before"));
    EXPECT_EQ(view.notes, 0);
    EXPECT_FALSE(tempFilesLeft());
}

} // namespace
