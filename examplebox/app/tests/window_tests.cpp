// The box's window: every refusal of the folder and document commands, drag and drop (views
// and files from the desktop), the search views and the hand-over, offscreen.
#include "samplewindowtest.h"

#include <HandOver.h>
#include <Messages.h>
#include <examplestore/messages.h>
#include <sampleview/boxrules.h>

#include <QAction>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace yv::samplebox::testing {
namespace {

namespace msg = examplestore::messages;
namespace fs = std::filesystem;

TEST_F(SampleWindow, StartsWithTheTopFolderSelectedAndListed)
{
    EXPECT_EQ(frame->windowTitle(), QString::fromUtf8("例文BOX(例文を検索します)"));
    EXPECT_EQ(frame->tree().currentNode(), nodeOf(1));
    EXPECT_EQ(listNames(), (QStringList{"ごみ箱", "A", "B", "NoDir"}));
    select(2);
    EXPECT_EQ(listNames(), (QStringList{"A1", "Weather", "Morning"}));
    // A folder without a directory lists only its child folders.
    frame->tree().selectNode(frame->store().tree().node(nodeOf(5)).parent);
    QApplication::processEvents();
    EXPECT_EQ(listNames(), (QStringList{"C"}));
}

TEST_F(SampleWindow, RenameRefusalsPutTheOldNameBack)
{
    // Through the tree's own editor: the item's text changes, the store says no.
    select(2);
    frame->tree().itemOf(nodeOf(2))->setText(0, QStringLiteral("B"));
    settle();
    frame->tree().itemOf(nodeOf(0))->setText(0, QStringLiteral("Bin"));
    settle();
    frame->renameNode(nodeOf(2), QString(129, QLatin1Char('x')));
    settle();
    // A document entry of the list cannot be renamed; a folder entry renames the tree node.
    frame->renameListRow(1, QStringLiteral("New title"));
    settle();
    EXPECT_EQ(texts(), (std::vector<std::string>{std::string(msg::kNameExists), std::string(msg::kFolderCannotBeRenamed),
                                                 std::string(msg::kNameTooLong),
                                                 std::string(msg::kDocumentCannotBeRenamed)}));
    for (const auto& m : presenter.messages)
        EXPECT_EQ(m.style, msgbox::Ok | msgbox::IconExclamation);
    EXPECT_EQ(frame->tree().itemOf(nodeOf(2))->text(0), QStringLiteral("A"));
    EXPECT_EQ(frame->tree().itemOf(nodeOf(0))->text(0), QString::fromUtf8("ごみ箱"));

    frame->renameListRow(0, QStringLiteral("First"));
    settle();
    EXPECT_EQ(frame->tree().itemOf(nodeOf(3))->text(0), QStringLiteral("First"));
    EXPECT_EQ(listNames().front(), QStringLiteral("First"));
    EXPECT_EQ(presenter.messages.size(), 4u);
}

TEST_F(SampleWindow, NewFolderTakesTheNextNameAndStartsEditing)
{
    select(2);
    frame->command(Command::NewFolder)->trigger();
    frame->command(Command::NewFolder)->trigger();
    QApplication::processEvents();
    const auto children = frame->store().tree().children(nodeOf(2));
    ASSERT_EQ(children.size(), 3u);
    EXPECT_EQ(frame->store().tree().node(children[1]).name, "新しいﾌｫﾙﾀﾞ");
    EXPECT_EQ(frame->store().tree().node(children[2]).name, "新しいﾌｫﾙﾀﾞ(2)");
    EXPECT_TRUE(frame->tree().editing());
    EXPECT_TRUE(fs::is_directory(dataDir / "fd006"));
}

TEST_F(SampleWindow, DeleteFolderRefusesTopAndBinAndAsksOtherwise)
{
    QTest::keyClick(&frame->tree(), Qt::Key_Delete);  // the top folder
    select(0);
    QTest::keyClick(&frame->tree(), Qt::Key_Delete);
    select(2);
    presenter.answers = {msgbox::IdNo};
    frame->command(Command::DeleteFolder)->trigger();
    ASSERT_EQ(texts(), (std::vector<std::string>{std::string(msg::kFolderCannotBeDeleted),
                                                 std::string(msg::kRecycleBinCannotBeDeleted),
                                                 "ﾌｫﾙﾀﾞ「A」と、それ以下のｻﾝﾌﾟﾙ文書ﾌｧｲﾙを削除してよろしいですか"}));
    EXPECT_EQ(presenter.messages[2].style, msgbox::YesNo | msgbox::IconQuestion);
    EXPECT_TRUE(frame->store().tree().isValid(nodeOf(2)));

    frame->command(Command::DeleteFolder)->trigger();  // Yes
    EXPECT_EQ(nodeOf(2), kNoNode);
    EXPECT_EQ(frame->tree().currentNode(), nodeOf(1));
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000001.sam"));
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000002.sam"));
}

TEST_F(SampleWindow, FolderDropsOnTheTreeRefuseWhatCannotMove)
{
    frame->tree().expandAll();
    const auto dropFolder = [&](int folder, int target) {
        drop(frame->tree(), frame->tree().itemOf(nodeOf(target)), folderMime(nodeOf(folder)));
    };
    dropFolder(0, 4);   // the recycle bin
    dropFolder(2, 3);   // onto its own child
    frame->store().tree().rename(nodeOf(4), "A1");
    dropFolder(4, 2);   // A already holds an "A1"
    dropFolder(3, 2);   // onto the folder that holds it: nothing
    EXPECT_EQ(texts(), (std::vector<std::string>{std::string(msg::kFolderCannotBeMoved),
                                                 std::string(msg::kTargetInsideSource),
                                                 std::string(msg::kSameNameAtTarget)}));
    frame->store().tree().rename(nodeOf(4), "B");

    dropFolder(4, 2);
    EXPECT_EQ(frame->store().tree().node(nodeOf(4)).parent, nodeOf(2));
    EXPECT_EQ(frame->tree().currentNode(), nodeOf(2));
    EXPECT_TRUE(frame->tree().itemOf(nodeOf(2))->isExpanded());

    // Onto the recycle bin: deleted, after the question.
    presenter.answers = {msgbox::IdYes};
    dropFolder(3, 0);
    EXPECT_EQ(presenter.messages.back().text, "ﾌｫﾙﾀﾞ「A1」と、それ以下のｻﾝﾌﾟﾙ文書ﾌｧｲﾙを削除してよろしいですか");
    EXPECT_EQ(nodeOf(3), kNoNode);
}

TEST_F(SampleWindow, ListEntriesDroppedOnAFolderMove)
{
    select(2);
    // The document "Weather" (row 1) and the folder A1 (row 0) onto B.
    drop(frame->tree(), frame->tree().itemOf(nodeOf(4)), entriesMime({0, 1}));
    EXPECT_TRUE(presenter.messages.empty());
    EXPECT_TRUE(fs::exists(dataDir / "fd004" / "00000001.sam"));
    EXPECT_EQ(frame->store().tree().node(nodeOf(3)).parent, nodeOf(4));
    EXPECT_EQ(listNames(), (QStringList{"Morning"}));
    // Onto the bin: a move into fd000, no question.
    drop(frame->tree(), frame->tree().itemOf(nodeOf(0)), entriesMime({0}));
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000002.sam"));
    EXPECT_TRUE(listNames().isEmpty());
}

TEST_F(SampleWindow, DeletingDocumentsAsksAndEndsInTheBin)
{
    select(2);
    frame->list().topLevelItem(2)->setSelected(true);
    presenter.answers = {msgbox::IdYes};
    QTest::keyClick(&frame->list(), Qt::Key_Delete);
    EXPECT_EQ(presenter.messages.back().text, "これら1個のﾌｫﾙﾀﾞ/ﾌｧｲﾙをごみ箱に移動してよろしいですか");
    EXPECT_TRUE(fs::exists(dataDir / "fd000" / "00000002.sam"));

    // The bin itself among the entries: refused before any question.
    select(1);
    frame->list().topLevelItem(0)->setSelected(true);
    frame->list().topLevelItem(1)->setSelected(true);
    frame->command(Command::DeleteDocuments)->trigger();
    EXPECT_EQ(presenter.messages.back().text, msg::kRecycleBinCannotBeDeleted);

    // Inside the bin a deletion is final and leaves the index too.
    select(0);
    ASSERT_EQ(listNames(), (QStringList{"Morning"}));
    frame->list().topLevelItem(0)->setSelected(true);
    presenter.answers = {msgbox::IdYes};
    frame->command(Command::DeleteDocuments)->trigger();
    EXPECT_EQ(presenter.messages.back().text, "これら1個のﾌｫﾙﾀﾞ/ﾌｧｲﾙを削除してよろしいですか");
    EXPECT_FALSE(fs::exists(dataDir / "fd000" / "00000002.sam"));
    EXPECT_TRUE(listNames().isEmpty());
    EXPECT_TRUE(frame->statusText(0).isEmpty());
    ASSERT_TRUE(search(QStringLiteral("おはよう")));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[0]文 / [0]文書ヒット"));
}

TEST_F(SampleWindow, FilesDroppedFromTheDesktopAreAddedOrRefused)
{
    const fs::path good = home.dir() / "good.txt";
    std::ofstream(good, std::ios::binary) << "Zebrafish\n\nA zebrafish swims every day.\nゼブラフィッシュが泳ぐ。\n";
    const fs::path bad = home.dir() / "bad.txt";
    std::ofstream(bad, std::ios::binary) << "Title\nnot empty\n";
    const fs::path dir = home.dir() / "somedir";
    fs::create_directories(dir);

    // The top level takes no documents.
    drop(frame->list(), nullptr, fileUrls({good}));
    ASSERT_EQ(texts(), (std::vector<std::string>{std::string(msg::kTopLevelAdd)}));

    // A directory stops the files after it; a file that is no document is refused on its own.
    select(4);
    presenter.messages.clear();
    drop(frame->list(), nullptr, fileUrls({bad, dir, good}));
    ASSERT_EQ(texts(), (std::vector<std::string>{bad.string() + "\nこのﾌｧｲﾙはｻﾝﾌﾟﾙ文書ﾌｧｲﾙの形式をしていません。",
                                                 std::string(msg::kDirectoryGiven)}));
    EXPECT_EQ(listNames(), (QStringList{"Trains"}));

    // A good one is added after its question, to the list and to the user's index.
    presenter.messages.clear();
    presenter.answers = {msgbox::IdNo, msgbox::IdYes};
    drop(frame->list(), nullptr, fileUrls({good, good}));
    ASSERT_EQ(texts().size(), 2u);
    EXPECT_EQ(texts()[0], "ﾊﾟｽ: " + good.string() + "\nﾀｲﾄﾙ: Zebrafish\n\n追加してよろしいですか。");
    EXPECT_EQ(presenter.messages[0].style, msgbox::YesNo | msgbox::IconQuestion);
    EXPECT_EQ(listNames(), (QStringList{"Trains", "Zebrafish"}));
    ASSERT_TRUE(search(QStringLiteral("zebrafish")));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[2]文 / [1]文書ヒット")) << "the title and one example";

    // The same through the command and its file dialog.
    chosen = {dir};
    presenter.messages.clear();
    frame->command(Command::AddDocument)->trigger();
    EXPECT_EQ(texts(), (std::vector<std::string>{std::string(msg::kDirectoryGiven)}));
}

TEST_F(SampleWindow, OpeningDocumentsAndFolderEntries)
{
    select(2);
    // Enter on a folder entry selects that folder.
    frame->list().setCurrentItem(frame->list().topLevelItem(0));
    QTest::keyClick(&frame->list(), Qt::Key_Return);
    EXPECT_EQ(frame->tree().currentNode(), nodeOf(3));

    // A document opens in the desktop's editor while none is configured, then in the set one.
    select(2);
    frame->list().setCurrentItem(frame->list().topLevelItem(1));
    frame->command(Command::OpenDocument)->trigger();
    SoftSettings soft{};
    LoadEnvSoft(&soft);
    std::snprintf(soft.txtExe, sizeof soft.txtExe, "%s", "/usr/bin/my-editor --new");
    SaveEnvSoft(&soft);
    QTest::keyClick(&frame->list(), Qt::Key_Return);
    const std::string path = (dataDir / "fd002" / "00000001.sam").string();
    EXPECT_EQ(started, (std::vector<std::vector<std::string>>{{"xdg-open", path}, {"/usr/bin/my-editor", "--new", path}}));

    // A result row opens its document the same way.
    ASSERT_TRUE(search(QStringLiteral("遅れる")));
    ASSERT_EQ(frame->results().topLevelItemCount(), 1);
    emit frame->results().opened(0);
    EXPECT_EQ(started.back().back(), (dataDir / "fd004" / "00000003.sam").string());

    // An editor that does not start is said, not passed over.
    frame->startEditor = [](const std::vector<std::string>&) { return false; };
    emit frame->results().opened(0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"/usr/bin/my-editorがみつかりません。インストール状態を確認してください。"}));
}

TEST_F(SampleWindow, ContextMenusOfferTheirCommands)
{
    QStringList tree;
    for (QAction* action : frame->tree().actions())
        tree << action->text();
    EXPECT_EQ(tree, (QStringList{"ﾌｫﾙﾀﾞの作成", "ﾌｫﾙﾀﾞ名の変更", "ﾌｫﾙﾀﾞの削除"}));
    QStringList list;
    for (QAction* action : frame->list().actions())
        list << action->text();
    EXPECT_EQ(list, (QStringList{"ｻﾝﾌﾟﾙ文書ﾌｧｲﾙを開く", "ｻﾝﾌﾟﾙ文書ﾌｧｲﾙの削除"}));
    EXPECT_EQ(frame->command(Command::NewFolder)->text(), QString::fromUtf8("ﾌｫﾙﾀﾞの作成(&N)"));

    select(4);
    frame->list().setCurrentItem(frame->list().topLevelItem(0));
    frame->list().actions().at(1)->trigger();  // the delete entry asks first
    EXPECT_EQ(texts(), (std::vector<std::string>{"これら1個のﾌｫﾙﾀﾞ/ﾌｧｲﾙをごみ箱に移動してよろしいですか"}));
}

TEST_F(SampleWindow, SearchShowsTheViewsAndSwitchesMarksAndWrapping)
{
    ASSERT_TRUE(search(QStringLiteral("every day")));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[2]文 / [2]文書ヒット"));
    EXPECT_EQ(frame->statusText(1), QString::fromUtf8("読み出し終了"));
    ASSERT_EQ(frame->results().topLevelItemCount(), 2);
    EXPECT_EQ(frame->results().topLevelItem(0)->text(0), QStringLiteral("Weather"));
    EXPECT_EQ(frame->results().topLevelItem(0)->text(1), QStringLiteral("A"));
    EXPECT_EQ(frame->results().topLevelItem(1)->text(1), QStringLiteral("B"));
    const QString marked = frame->resultText().toPlainText();
    EXPECT_TRUE(marked.contains(QString::fromUtf8("It rains 【every day】.")));

    frame->command(Command::Mark)->trigger();  // off
    EXPECT_FALSE(frame->resultText().toPlainText().contains(QString::fromUtf8("【")));
    EXPECT_TRUE(frame->resultText().toPlainText().contains(QStringLiteral("It rains every day.")));
    frame->command(Command::Mark)->trigger();  // on again
    EXPECT_EQ(frame->resultText().toPlainText(), marked);

    frame->command(Command::Wrap)->trigger();
    EXPECT_EQ(frame->resultText().lineWrapMode(), QPlainTextEdit::WidgetWidth);

    // The key went into the history that the drop-down shows.
    frame->keyEntry().showPopup();
    EXPECT_EQ(frame->keyEntry().itemText(0), QStringLiteral("every day"));
    frame->keyEntry().hidePopup();

    // Searches in a living window open each index once.
    ASSERT_TRUE(search(QString::fromUtf8("毎日")));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[2]文 / [2]文書ヒット"));
    EXPECT_EQ(frame->indexOpens(), 1) << "Search.idx only: the store has no User.idx";
}

TEST_F(SampleWindow, AStoppedSearchShowsWhatItHad)
{
    QSignalSpy done(frame.get(), &CMainFrame::searchFinished);
    frame->keyEntry().setCurrentText(QStringLiteral("every day"));
    frame->searchCommand();
    EXPECT_TRUE(frame->command(Command::StopSearch)->isEnabled());
    frame->command(Command::StopSearch)->trigger();
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[0]文 / [0]文書ヒット"));
    EXPECT_EQ(frame->statusText(1), QString::fromUtf8("中止しました"));
    EXPECT_FALSE(frame->command(Command::StopSearch)->isEnabled());
    // The next search runs to its end.
    ASSERT_TRUE(search(QStringLiteral("every day")));
    EXPECT_EQ(frame->statusText(0), QString::fromUtf8("[2]文 / [2]文書ヒット"));
}

TEST_F(SampleWindow, TooManyHitsIsSaidAndLeavesTheShownText)
{
    ASSERT_TRUE(search(QStringLiteral("rains")));
    const QString before = frame->resultText().toPlainText();
    std::vector<std::string> lines = {"Long", ""};
    for (int i = 0; i < 1500; ++i)
        lines.push_back("An example line that talks about the keyword number " + std::to_string(i) + ".");
    writeDocument(4, 4, lines);
    ASSERT_TRUE(SampleStore(dataDir).rebuildIndex(IndexKind::Shipped));
    ASSERT_TRUE(search(QStringLiteral("keyword")));
    EXPECT_EQ(texts(), (std::vector<std::string>{std::string(msg::kTooManyHits)}));
    EXPECT_EQ(frame->resultText().toPlainText(), before);
}

TEST_F(SampleWindow, HandOverSearchesTheKeyAndRefusesALongOne)
{
    QSignalSpy done(frame.get(), &CMainFrame::searchFinished);
    frame->handOver(14, codec::utf8ToCp932("every\r\nday") + std::string(1, '\0'), 0x5a0c3);
    ASSERT_TRUE(done.wait(20000));
    EXPECT_EQ(frame->keyEntry().currentText(), QStringLiteral("every  day"));
    EXPECT_EQ(frame->returnWindow(), 0x5a0c3u);

    frame->handOver(sampleview::kMaxHandOverLength, std::string(300, 'a'), 0x1234);
    EXPECT_EQ(texts(), (std::vector<std::string>{sampleview::kKeyTooLong}));
    EXPECT_EQ(presenter.messages[0].style, msgbox::Ok | msgbox::IconInformation);
    EXPECT_EQ(frame->returnWindow(), 0x5a0c3u) << "a refused hand-over changes nothing";

    // As a message: the sender has its answer before the box says anything.
    EXPECT_EQ(frame->handleMessage(yv::messages::kHandOver, 300, 0x77), 1);
    EXPECT_EQ(presenter.messages.size(), 1u);
    settle();
    EXPECT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages.back().text, sampleview::kKeyTooLong);
}

TEST_F(SampleWindow, ClosingWritesTheTreeBack)
{
    frame->renameNode(nodeOf(4), QStringLiteral("Business"));
    settle();
    frame->handleMessage(yv::messages::kWmClose, 0, 0);
    settle();
    EXPECT_FALSE(frame->isVisible());
    const std::string written = readFile(dataDir / "base.dat");
    EXPECT_NE(written.find(sjis("(\"Business\"=fd004)")), std::string::npos);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, sampleview::kSettingsKey, "WIDTH", 0), 680u);
}

} // namespace
} // namespace yv::samplebox::testing
