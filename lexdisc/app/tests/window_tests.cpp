// The viewer's window offscreen on the FreePWING sample book: the search command, the hit
// list, the entry display with its references, copy and back, the book menu, the search
// requests of the service, and the messages.
#include "entryview.h"
#include "hitlistview.h"
#include "mainframe.h"

#include <Etc.h>
#include <platform/codec.h>
#include <platform/messagebox.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace yv::lexdisc {
namespace {

#ifdef YV_SAMPLE_BOOK_DIR
void ensureApplication()
{
    static int argc = 1;
    static char name[] = "lexdisc_window_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* const app = new QApplication(argc, argv);
    Q_UNUSED(app);
}

std::string sjis(std::string_view utf8)
{
    return codec::utf8ToCp932(utf8);
}

std::string displayedText(EntryView& view)
{
    return codec::cp932ToUtf8(view.allText().sjis);
}

class LexdiscWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureApplication(); }

    void SetUp() override
    {
        SetRegStr(HKEY_CURRENT_USER, kSettingsKey, "CATALOG", (std::string(YV_SAMPLE_BOOK_DIR) + "/catalogs").c_str());
        frame = std::make_unique<CMainFrame>();
        ASSERT_TRUE(frame->hasBooks());
        frame->show();
    }

    void search(const char* utf8)
    {
        frame->keyEntry().setCurrentText(QString::fromUtf8(utf8));
        frame->searchCommand();
        QTest::qWait(1);
        QApplication::processEvents();
    }

    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    std::unique_ptr<CMainFrame> frame;
};

TEST_F(LexdiscWindow, StartsWithTheFirstBookTickedAndItsTitle)
{
    EXPECT_EQ(frame->windowTitle().toStdString(), "LEXDISC(CD辞書を検索します)");
    QAction* book = frame->command(40001);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->text().toStdString(), "テスト辞書");
    EXPECT_TRUE(book->isChecked());
    EXPECT_TRUE(frame->command(Command::Forward)->isChecked());
    EXPECT_FALSE(frame->command(Command::Back)->isEnabled());
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus.size(), 5);
    EXPECT_EQ(menus[0]->text().toStdString(), "ﾌｧｲﾙ(&F)");
    const QList<QAction*> file = menus[0]->menu()->actions();
    EXPECT_EQ(file.front()->text().toStdString(), "書籍一覧の更新(&B)");
    EXPECT_EQ(file.back()->text().toStdString(), "終了(&X)");
}

TEST_F(LexdiscWindow, SearchListsHitsAndOneHitIsShownAtOnce)
{
    search("app");
    ASSERT_EQ(frame->hitList().count(), 2);
    EXPECT_EQ(frame->hitList().headingText(0).toStdString(), "apple");
    EXPECT_EQ(frame->hitList().currentRow(), 0);
    EXPECT_FALSE(frame->display().hasEntry()) << "two hits: the list is focused, nothing shown yet";
    emit frame->hitList().chosen(1);
    EXPECT_NE(displayedText(frame->display()).find("応用。"), std::string::npos);

    // One hit: displayed straight away, the key's occurrences marked.
    search("がっこう");
    ASSERT_EQ(frame->hitList().count(), 1);
    const book::DisplayModel& school = frame->display().model();
    EXPECT_EQ(displayedText(frame->display()).rfind("がっこう【学校】", 0), 0u);
    EXPECT_TRUE(school.cells[0].flags & book::CellFlag::Highlighted);
    EXPECT_TRUE(presenter.messages.empty());

    // The key went into the history of the key entry, newest first.
    ASSERT_GE(frame->keyEntry().count(), 2);
    EXPECT_EQ(frame->keyEntry().itemText(0).toStdString(), "がっこう");
    EXPECT_EQ(frame->keyEntry().itemText(1).toStdString(), "app");
}

TEST_F(LexdiscWindow, NothingFoundAndNoKeySayWhy)
{
    const std::string key(100, 'q');
    search(key.c_str());
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "検索キー : \"" + std::string(91, 'q') + "\" は見つかりませんでした");
    EXPECT_EQ(presenter.messages[0].style, unsigned{msgbox::IconInformation});
    search("");
    ASSERT_EQ(presenter.messages.size(), 2u);
    EXPECT_EQ(presenter.messages[1].text, "検索キーがありません。\n検索キーを入力してから再度検索してください。");
    // Digits alone find their headword.
    search("2000");
    EXPECT_EQ(frame->hitList().count(), 1);
    EXPECT_EQ(presenter.messages.size(), 2u);
}

TEST_F(LexdiscWindow, ReferencesAreFollowedAndBackReturns)
{
    search("がっこう");
    EntryView& view = frame->display();
    ASSERT_EQ(view.model().references.size(), 1u);
    const std::size_t anchor = view.model().references[0].cells.first;
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellPoint(anchor));
    EXPECT_EQ(displayedText(view).rfind("せんせい【先生】", 0), 0u);
    // The reference's text is the new title: its occurrences are marked.
    EXPECT_TRUE(view.model().cells[0].flags & book::CellFlag::Highlighted);
    EXPECT_TRUE(frame->command(Command::Back)->isEnabled());
    frame->command(Command::Back)->trigger();
    EXPECT_EQ(displayedText(view).rfind("がっこう【学校】", 0), 0u);
    EXPECT_EQ(frame->history().size(), 1u);
    EXPECT_FALSE(frame->command(Command::Back)->isEnabled());
}

TEST_F(LexdiscWindow, CopyPutsAtSignsForExternalCharactersAndSaysSo)
{
    search("せんせい");
    frame->command(Command::CopyAll)->trigger();
    const std::string copied = QGuiApplication::clipboard()->text().toStdString();
    EXPECT_NE(copied.find("学校で教える人。@印。"), std::string::npos) << copied;
    EXPECT_NE(copied.find("\r\n"), std::string::npos);
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "指定範囲に外字が含まれています。\n外字は'@'に置き換わります。");

    // A selection: its own text; a double click searches it.
    EntryView& view = frame->display();
    view.select(0, 3);
    frame->copySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "せんせい");
    emit view.searchSelection();
    QApplication::processEvents();
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "せんせい");
    EXPECT_EQ(presenter.messages.size(), 1u);
}

TEST_F(LexdiscWindow, MenuAndCopyrightViews)
{
    frame->command(Command::Menu)->trigger();
    EXPECT_EQ(displayedText(frame->display()), "目次\r\n学校\r\n");
    frame->command(Command::Copyright)->trigger();
    EXPECT_EQ(displayedText(frame->display()), "著作権表示の例\r\n");
    EXPECT_TRUE(frame->command(Command::Back)->isEnabled());
}

TEST_F(LexdiscWindow, SearchRequestsOfTheService)
{
    frame->searchRequest(std::string("nation\t5a0c3\0", 13));
    QApplication::processEvents();
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "nation");
    EXPECT_EQ(frame->returnWindow(), 0x5a0c3u);
    EXPECT_EQ(displayedText(frame->display()).rfind("nation", 0), 0u);
    // A request that starts with a TAB is ignored; a bad window leaves the return window.
    frame->searchRequest("\tapple");
    QApplication::processEvents();
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "nation");
    frame->searchRequest(sjis("学校\tnot-hex"));
    QApplication::processEvents();
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "学校");
    EXPECT_EQ(frame->returnWindow(), 0x5a0c3u);
    EXPECT_FALSE(frame->busy());
}

TEST_F(LexdiscWindow, PlacementIsStoredAndRestored)
{
    frame->setGeometry(120, 130, 600, 350);
    frame->close();
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "WIDTH", 0), 600u);
    EXPECT_EQ(GetRegDWORD(HKEY_CURRENT_USER, kSettingsKey, "HEIGHT", 0), 350u);
    CMainFrame again;
    EXPECT_EQ(again.width(), 600);
}
#endif

} // namespace
} // namespace yv::lexdisc
