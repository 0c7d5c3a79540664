// The reader's glue: the "CATALOG" setting and its messages through the suite's message box.
#include "bookhost.h"

#include <testhome.h>

#include <platform/messagebox.h>

#include <gtest/gtest.h>

#include <fstream>

namespace yv::lexdisc {
namespace {

TEST(LexdiscHostTest, MessagesGoThroughTheMessageBoxWithTheirIcons)
{
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    MessageBoxPrompter prompter;
    presenter.answers = {msgbox::IdNo, msgbox::IdYes};
    EXPECT_FALSE(prompter.askKeepHits());
    EXPECT_TRUE(prompter.askKeepHits());
    prompter.report(book::BookMessage::TextFileOpen, book::MessageIcon::Stop);
    prompter.report(book::BookMessage::ResultRead, book::MessageIcon::Exclamation);
    ASSERT_EQ(presenter.messages.size(), 4u);
    EXPECT_EQ(presenter.messages[0].text,
              "検索結果が500件を越えましたので検索を打ち切ります\n検索結果を表示しますか？");
    EXPECT_EQ(presenter.messages[0].style, unsigned{msgbox::YesNo | msgbox::IconQuestion});
    EXPECT_EQ(presenter.messages[0].caption, "Yorvane5");
    EXPECT_EQ(presenter.messages[2].text, "書籍管理ファイルが開けません。CD-ROMが壊れている可能性があります。");
    EXPECT_EQ(presenter.messages[2].style, unsigned{msgbox::IconError});
    EXPECT_EQ(presenter.messages[3].style, unsigned{msgbox::IconExclamation});
    EXPECT_FALSE(prompter.messageOpen());
}

TEST(LexdiscHostTest, CatalogSettingNamesTheBookList)
{
    yv::testing::TestHome home;
    yv::testing::RecordingPresenter presenter;
    // A catalog of one entry whose text file is missing still lists its book.
    std::vector<char> catalog(16 + 164, 0);
    catalog[1] = 1;
    std::copy_n("DICT    ", 8, catalog.begin() + 16 + 82);
    const auto path = home.dir() / "disc" / "CATALOGS";
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(catalog.data(), static_cast<std::streamsize>(catalog.size()));

    SetRegStr(HKEY_CURRENT_USER, kSettingsKey, "CATALOG", path.c_str());
    EXPECT_EQ(catalogSetting(), path);
    MessageBoxPrompter prompter;
    book::BookShelf shelf(prompter);
    ASSERT_TRUE(LoadBookList(shelf));
    ASSERT_EQ(shelf.books().size(), 1u);
    EXPECT_EQ(shelf.books()[0].catalogPath, path);
    EXPECT_EQ(shelf.books()[0].subbookDirectory, home.dir() / "disc" / "DICT");
    EXPECT_TRUE(presenter.messages.empty());
}

} // namespace
} // namespace yv::lexdisc
