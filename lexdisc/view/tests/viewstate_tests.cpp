// The window's state without windows: search requests, the not-found message, placement,
// the back history and the book menu.
#include <lexview/bookmenu.h>
#include <lexview/history.h>
#include <lexview/placement.h>
#include <lexview/searchrequest.h>

#include "testbook.h"

#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

namespace yv::lexview {
namespace {

std::string sjis(std::string_view utf8)
{
    return codec::utf8ToCp932(utf8);
}

TEST(LexviewRequestTest, KeyTabAndWindow)
{
    const auto plain = parseSearchRequest("apple");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->key, "apple");
    EXPECT_FALSE(plain->returnWindow);

    const auto withWindow = parseSearchRequest(std::string("apple\t5a0c3\0", 12));
    ASSERT_TRUE(withWindow);
    EXPECT_EQ(withWindow->key, "apple");
    EXPECT_EQ(withWindow->returnWindow, 0x5a0c3u);
    // A window that is not hexadecimal searches the word all the same.
    const auto badWindow = parseSearchRequest("pear\tzz");
    ASSERT_TRUE(badWindow);
    EXPECT_EQ(badWindow->key, "pear");
    EXPECT_FALSE(badWindow->returnWindow);
    // A request that begins with a TAB is ignored.
    EXPECT_FALSE(parseSearchRequest("\t5a0c3"));
}

TEST(LexviewRequestTest, WhiteSpaceAndLengthOfTheKey)
{
    // Single-byte text: CR and the LF after it become spaces, other LFs go, TABs are spaces.
    EXPECT_EQ(normaliseRequestKey("a\r\nb\nc d"), "a  bc d");
    EXPECT_EQ(parseSearchRequest("a b\r\n")->key, "a b  ");
    // With double-byte characters CR and LF go.
    EXPECT_EQ(normaliseRequestKey(sjis("学\r\n校 a")), sjis("学校 a"));
    // The key buffer's 512 bytes, never half a character.
    std::string longKey(511, 'a');
    longKey += sjis("あ");
    EXPECT_EQ(normaliseRequestKey(longKey).size(), 511u);
}

TEST(LexviewRequestTest, NotFoundMessageQuotesNinetyOneBytesOfTheKey)
{
    EXPECT_EQ(codec::cp932ToUtf8(notFoundMessage("zzz")), "検索キー : \"zzz\" は見つかりませんでした");
    const std::string key(100, 'k');
    EXPECT_EQ(codec::cp932ToUtf8(notFoundMessage(key)),
              "検索キー : \"" + std::string(91, 'k') + "\" は見つかりませんでした");
    // A cut inside a double-byte character keeps the character whole or leaves it out.
    std::string kana = std::string(90, 'k') + sjis("あ");
    EXPECT_EQ(codec::cp932ToUtf8(notFoundMessage(kana)),
              "検索キー : \"" + std::string(90, 'k') + "\" は見つかりませんでした");
}

TEST(LexviewPlacementTest, StoredRectangleIsFittedToTheWorkArea)
{
    const WorkArea area{0, 0, 1024, 768};
    const Rect fine = fitToWorkArea(kDefaultPlacement, area);
    EXPECT_EQ(fine.left, 100);
    EXPECT_EQ(fine.width, 680);
    // Near the right and bottom edges: moved to end there; too large: cut to the area.
    const Rect edge = fitToWorkArea({900, 700, 680, 400}, area);
    EXPECT_EQ(edge.left, 1024 - 680);
    EXPECT_EQ(edge.top, 768 - 400);
    const Rect huge = fitToWorkArea({-50, -20, 5000, -1}, area);
    EXPECT_EQ(huge.width, 1024);
    EXPECT_EQ(huge.height, 768);
    EXPECT_EQ(huge.top, 0);
    // Ending left of 200: starts at 0.
    EXPECT_EQ(fitToWorkArea({-600, 10, 680, 400}, area).left, 0);

    EXPECT_EQ(hitListWidth(0, 670), 330);
    EXPECT_EQ(hitListWidth(200, 670), 200);
    EXPECT_EQ(hitListWidth(900, 670), 330);
}

TEST(LexviewHistoryTest, BackNeedsTwoItemsAndTheHundredAndFirstDropsTheOldest)
{
    DisplayHistory history;
    history.push({"a", {1, 0}, 0});
    EXPECT_FALSE(history.canGoBack());
    EXPECT_FALSE(history.back());
    EXPECT_EQ(history.size(), 1u) << "back with one item changes nothing";
    history.push({"b", {2, 0}, 0});
    history.push({"c", {3, 0}, 1});
    const auto previous = history.back();
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous->title, "b");
    EXPECT_EQ(history.size(), 1u) << "the previous item is displayed again, which pushes it";

    DisplayHistory full;
    for (std::uint32_t i = 1; i <= 101; ++i)
        full.push({std::to_string(i), {i, 0}, 0});
    EXPECT_EQ(full.size(), kMaxHistory);
    for (int i = 0; i < 98; ++i) {
        auto item = full.back();
        ASSERT_TRUE(item);
        full.push(*item);
    }
    // Walking back reaches item 2 at most: item 1 was dropped.
    EXPECT_EQ(full.current()->title, "3");
    ASSERT_TRUE(full.back());
    EXPECT_FALSE(full.canGoBack());
}

struct QuietPrompter final : book::BookPrompter {
    void report(book::BookMessage, book::MessageIcon) override {}
    bool askKeepHits() override { return true; }
};

TEST(LexviewBookMenuTest, ThirtyBooksGreyedEntriesAndSeparatorsBetweenCatalogs)
{
    yv::testing::TestHome home;
    using book::testing::CatalogEntry;
    std::vector<CatalogEntry> first = {{"英和", "EIWA"}, {"索引", "INDEX", 1, book::kUnselectableKind}};
    std::vector<CatalogEntry> second;
    for (int i = 0; i < 29; ++i)
        second.push_back({"辞書" + std::to_string(i), "D" + std::to_string(i)});
    book::testing::writeFile(home.dir() / "a" / "CATALOGS", book::testing::catalogFile(first));
    book::testing::writeFile(home.dir() / "b" / "CATALOGS", book::testing::catalogFile(second));
    QuietPrompter prompter;
    book::BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList({}, {home.dir() / "a", home.dir() / "b"}));
    ASSERT_EQ(shelf.books().size(), 31u);

    const std::vector<BookMenuEntry> menu = bookMenu(shelf);
    ASSERT_EQ(menu.size(), 31u) << "30 books and one separator";
    EXPECT_EQ(codec::cp932ToUtf8(menu[0].title), "英和");
    EXPECT_EQ(menu[0].command, kFirstBookCommand);
    EXPECT_FALSE(menu[1].enabled);
    EXPECT_TRUE(menu[2].separator);
    EXPECT_EQ(menu.back().command, kFirstBookCommand + 29);
    EXPECT_EQ(bookOfCommand(shelf, kFirstBookCommand + 29), 29u);
    EXPECT_FALSE(bookOfCommand(shelf, kFirstBookCommand + 30));
    EXPECT_FALSE(bookOfCommand(shelf, kFirstBookCommand - 1));
}

} // namespace
} // namespace yv::lexview
