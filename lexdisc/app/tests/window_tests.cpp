// The viewer's window offscreen on the FreePWING sample book: the search command, the hit
// list, the entry display with its references, copy and back, the book menu, the search
// requests of the service, and the messages.
#include "entryview.h"
#include "hitlistview.h"
#include "mainframe.h"
#include "mediaplayer.h"
#include "testbook.h"

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
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

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

TEST_F(LexdiscWindow, KeyHistoryListIsTheStoredOne)
{
    const auto stored = [] {
        std::vector<char> buffer(20 * 514);
        std::vector<std::string> keys;
        for (char** k = GetKeyList(HKEY_CURRENT_USER, kSettingsKey, "keys", buffer.data(),
                                   static_cast<std::uint32_t>(buffer.size()));
             k && *k; ++k)
            keys.emplace_back(*k);
        return keys;
    };
    const auto shown = [&] {
        std::vector<std::string> keys;
        for (int i = 0; i < frame->keyEntry().count(); ++i)
            keys.push_back(frame->keyEntry().itemText(i).toStdString());
        return keys;
    };
    // A repeated key moves to the front; a full list drops its oldest.
    for (const char* key : {"app", "がっこう", "apple", "app"})
        search(key);
    EXPECT_EQ(shown(), (std::vector<std::string>{"app", "apple", "がっこう"}));
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "app");
    for (int i = 0; i < 21; ++i)
        search(("zz" + std::to_string(i)).c_str());
    EXPECT_EQ(shown(), stored());
    ASSERT_EQ(shown().size(), 20u);
    EXPECT_EQ(shown().front(), "zz20");
    EXPECT_EQ(frame->keyEntry().currentText().toStdString(), "zz20");
}

TEST_F(LexdiscWindow, HitRowsRepaintWithTheirSelectionPaletteAndFont)
{
    search("app");
    HitListView& list = frame->hitList();
    ASSERT_EQ(list.count(), 2);
    // A point of each row right of its text: only the row's ground shows there.
    const auto ground = [&](int row) {
        const QRect r = list.visualItemRect(list.item(row));
        return list.viewport()->grab().toImage().pixelColor(r.right() - 2, r.center().y());
    };
    const QPalette original = list.palette();
    const QPalette::ColorGroup group = list.isActiveWindow() ? QPalette::Active : QPalette::Inactive;
    EXPECT_EQ(ground(0), original.color(group, QPalette::Highlight));
    EXPECT_EQ(ground(1), original.color(group, QPalette::Base));
    list.setCurrentRow(1);
    EXPECT_EQ(ground(0), original.color(group, QPalette::Base));
    EXPECT_EQ(ground(1), original.color(group, QPalette::Highlight));

    QPalette changed = original;
    changed.setColor(QPalette::Base, QColor(250, 240, 200));
    changed.setColor(QPalette::Highlight, QColor(20, 120, 40));
    list.setPalette(changed);
    EXPECT_EQ(ground(0), QColor(250, 240, 200));
    EXPECT_EQ(ground(1), QColor(20, 120, 40));

    // A larger font draws the same heading with more ink.
    const auto inked = [&] {
        const QImage image = list.viewport()->grab().toImage();
        const QRect r = list.visualItemRect(list.item(0));
        int count = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x)
                count += image.pixelColor(x, y) != QColor(250, 240, 200);
        }
        return count;
    };
    const int before = inked();
    QFont larger = list.font();
    larger.setPointSizeF(larger.pointSizeF() * 1.5);
    list.setFont(larger);
    EXPECT_GT(inked(), before);
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

TEST_F(LexdiscWindow, PicturesOpenInWindowsOfTheirOwnAndRescanClosesThem)
{
    search("apple");
    EntryView& view = frame->display();
    ASSERT_EQ(view.model().colourGraphics.size(), 1u);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellPoint(view.model().colourGraphics[0].cells.first + 1));
    QWidget* picture = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(kColourWindowClass) && w->isVisible())
            picture = w;
    }
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->windowTitle().toStdString(), "画像");
    EXPECT_EQ(picture->size(), QSize(32, 24));
    EXPECT_EQ(picture->grab().toImage().pixelColor(16, 12), QColor(Qt::red));
    EXPECT_TRUE(presenter.messages.empty());

    // The rescan closes the pictures and empties the list, the display and the history.
    const QPointer<QWidget> watched(picture);
    frame->rescan();
    QApplication::processEvents();
    EXPECT_TRUE(watched.isNull() || !watched->isVisible());
    EXPECT_EQ(frame->hitList().count(), 0);
    EXPECT_FALSE(frame->display().hasEntry());
    EXPECT_EQ(frame->history().size(), 0u);
    EXPECT_TRUE(frame->command(40001)->isChecked());
    EXPECT_TRUE(frame->keyEntry().currentText().isEmpty());
}

TEST_F(LexdiscWindow, SoundsPlayOrSayWhyNot)
{
    search("がっき");
    EntryView& view = frame->display();
    ASSERT_EQ(view.model().waves.size(), 1u);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.cellPoint(view.model().waves[0].cells.first));
    // Without a sound device the user is told; with one the wave plays to its end.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !presenter.messages.empty() || !frame->findChild<MediaPlayer*>()->wavePlaying(); }, 5000));
    if (!presenter.messages.empty()) {
        EXPECT_EQ(presenter.messages[0].text, "音声を再生できません。サウンドデバイスを開けませんでした。");
    }

    // CD audio needs the book on a CD drive; a book on a hard disc says so.
    book::CdAudioItem track;
    track.track = 2;
    frame->findChild<MediaPlayer*>()->playCdAudio(YV_SAMPLE_BOOK_DIR, track);
    ASSERT_FALSE(presenter.messages.empty());
    EXPECT_EQ(presenter.messages.back().text, "CD音声を再生できません。この書籍はCDドライブにありません。");
}

TEST(LexdiscBrokenBook, ADamagedBookSaysSoAndLeavesTheOthersUsable)
{
    ensureApplication();
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    // The sample book and a second subbook whose files are missing, in one catalog.
    namespace fs = std::filesystem;
    const fs::path disc = home.dir() / "disc";
    fs::create_directories(disc);
    fs::copy(fs::path(YV_SAMPLE_BOOK_DIR) / "sample", disc / "sample", fs::copy_options::recursive);
    using book::testing::CatalogEntry;
    CatalogEntry sample{"テスト辞書", "SAMPLE"};
    sample.fullFont = "GAI16F";
    sample.halfFont = "GAI16H";
    book::testing::writeFile(disc / "catalogs", book::testing::catalogFile({sample, {"壊れた辞書", "BROKEN"}}));
    CMainFrame frame(disc);
    ASSERT_TRUE(frame.hasBooks());
    ASSERT_TRUE(frame.command(40002));
    frame.command(40002)->trigger();
    ASSERT_EQ(presenter.messages.size(), 1u);
    EXPECT_EQ(presenter.messages[0].text, "書籍管理ファイルが開けません。CD-ROMが壊れている可能性があります。");
    EXPECT_TRUE(frame.command(40001)->isChecked()) << "the book that works stays current";
    frame.keyEntry().setCurrentText(QStringLiteral("apple"));
    frame.searchCommand();
    QApplication::processEvents();
    EXPECT_EQ(frame.hitList().count(), 1);
    EXPECT_EQ(presenter.messages.size(), 1u);
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
