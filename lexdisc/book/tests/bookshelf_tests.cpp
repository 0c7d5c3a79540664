// The shelf on a FreePWING book and on hand-made discs: lists, selection, index choice,
// entries, external characters and the messages of broken discs.
#include <book/bookshelf.h>

#include "testbook.h"

#include <platform/codec.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <thread>

namespace yv::book {
namespace {

namespace fs = std::filesystem;
using namespace testing;

struct RecordingPrompter final : BookPrompter {
    std::vector<std::pair<BookMessage, MessageIcon>> reports;
    int questions = 0;
    void report(BookMessage m, MessageIcon icon) override { reports.emplace_back(m, icon); }
    bool askKeepHits() override
    {
        ++questions;
        return true;
    }
};

std::string utf8(const std::vector<DisplayCell>& cells)
{
    return codec::cp932ToUtf8(cellsToSjis(cells, "@"));
}

std::string sjis(std::string_view utf8Text)
{
    return codec::utf8ToCp932(utf8Text);
}

// A disc of one subbook "DICT" whose text file is `text`.
fs::path writeDisc(const fs::path& root, const TextFileBuilder& text, CatalogEntry entry = {"辞書", "DICT"})
{
    writeFile(root / "CATALOGS", catalogFile({entry}));
    writeFile(root / "DICT" / "DATA" / "HONMON", text.bytes());
    return root / "CATALOGS";
}

#ifdef YV_SAMPLE_BOOK_DIR
const fs::path kSampleBook = YV_SAMPLE_BOOK_DIR;

class BookShelfSampleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(shelf.LoadBookList(kSampleBook / "catalogs", {}));
        ASSERT_TRUE(shelf.SelectBook(0));
    }

    HitRecord only(std::string_view key, SearchMethod method = SearchMethod::Forward)
    {
        EXPECT_EQ(shelf.Search(sjis(key), method), SearchOutcome::Found) << key;
        EXPECT_EQ(shelf.hits().size(), 1u) << key;
        return shelf.hits().empty() ? HitRecord{} : shelf.hits().hits()[0];
    }

    DisplayModel entry(const HitRecord& hit)
    {
        DisplayModel model;
        EXPECT_TRUE(shelf.ReadEntry(hit.text, model));
        return model;
    }

    RecordingPrompter prompter;
    BookShelf shelf{prompter};
};

TEST_F(BookShelfSampleTest, SearchesAndReadsHeadings)
{
    ASSERT_EQ(shelf.books().size(), 1u);
    EXPECT_EQ(codec::cp932ToUtf8(shelf.books()[0].title), "テスト辞書");
    EXPECT_EQ(shelf.books()[0].catalogPath, kSampleBook / "catalogs");
    EXPECT_TRUE(shelf.CheckCatalog());

    EXPECT_EQ(utf8(shelf.ReadHeading(only("がっこう")).cells), "がっこう【学校】");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("学校")).cells), "がっこう【学校】");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("ﾃﾞｰﾀ")).cells), "データ");
    // "nation" and "nations" index one entry: one hit.
    EXPECT_EQ(utf8(shelf.ReadHeading(only("Nation")).cells), "nation");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("ism", SearchMethod::Backward)).cells), "rationalism");
    EXPECT_EQ(shelf.Search(sjis("app"), SearchMethod::Forward), SearchOutcome::Found);
    EXPECT_EQ(shelf.hits().size(), 2u);
    // Keys of digits alone, half or full width, find the headwords made of digits.
    EXPECT_EQ(utf8(shelf.ReadHeading(only("2000")).cells), "2000年問題");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("１２")).cells), "１２月");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("12")).cells), "１２月");
    EXPECT_EQ(utf8(shelf.ReadHeading(only("00", SearchMethod::Backward)).cells), "2000年問題");

    EXPECT_EQ(shelf.Search(sjis("　・　"), SearchMethod::Forward), SearchOutcome::NotFound);
    EXPECT_EQ(shelf.Search(sjis("zzz"), SearchMethod::Forward), SearchOutcome::NotFound);
    EXPECT_TRUE(prompter.reports.empty());
}

TEST_F(BookShelfSampleTest, EntriesCarryReferencesPicturesSoundsAndExternalCharacters)
{
    const HitRecord teacher = only("せんせい");
    const DisplayModel school = entry(only("がっこう"));
    EXPECT_EQ(utf8(school.cells), "がっこう【学校】\r\n生徒が教育を受ける所。\r\n→せんせい\r\n");
    ASSERT_EQ(school.references.size(), 1u);
    EXPECT_EQ(school.references[0].target, teacher.text);
    EXPECT_EQ(school.emphasis.size(), 1u);

    const DisplayModel teacherEntry = entry(teacher);
    const auto gaiji = std::find_if(teacherEntry.cells.begin(), teacherEntry.cells.end(),
                                    [](const DisplayCell& c) { return c.isExternal(); });
    ASSERT_NE(gaiji, teacherEntry.cells.end());
    EXPECT_FALSE(gaiji->flags & CellFlag::NarrowGlyph);
    const GaijiGlyph* ring = shelf.glyph(gaiji->gaijiCode, false);
    ASSERT_TRUE(ring);
    EXPECT_EQ(ring->width, 16);
    EXPECT_TRUE(ring->ink(1, 8));
    EXPECT_FALSE(ring->ink(8, 8));

    const DisplayModel apple = entry(only("りんご"));
    ASSERT_EQ(apple.colourGraphics.size(), 1u);
    EXPECT_EQ(utf8(apple.cells).find("［図］赤い四角"), utf8(apple.cells).find("［図］"));
    const auto narrow = std::find_if(apple.cells.begin(), apple.cells.end(),
                                     [](const DisplayCell& c) { return c.isExternal(); });
    ASSERT_NE(narrow, apple.cells.end());
    EXPECT_TRUE(narrow->flags & CellFlag::NarrowGlyph);
    ASSERT_TRUE(shelf.glyph(narrow->gaijiCode, true));
    EXPECT_EQ(shelf.glyph(narrow->gaijiCode, true)->width, 8);

    const DisplayModel instrument = entry(only("がっき"));
    ASSERT_EQ(instrument.waves.size(), 1u);
    EXPECT_EQ(instrument.waves[0].start.offset, 0);
    EXPECT_GT(instrument.waves[0].end.offset, 200);

    // A code beyond the fonts' glyphs loads in neither.
    EXPECT_FALSE(shelf.LoadGaiji(0xA122).any());
    EXPECT_FALSE(shelf.LoadGaiji(0xA120).any());
}

TEST_F(BookShelfSampleTest, MenuAndCopyright)
{
    DisplayModel model;
    ASSERT_TRUE(shelf.menuPosition());
    ASSERT_TRUE(shelf.ReadEntry(*shelf.menuPosition(), model));
    EXPECT_EQ(utf8(model.cells), "目次\r\n学校\r\n");
    ASSERT_EQ(model.references.size(), 1u);
    ASSERT_TRUE(shelf.ReadEntry(*shelf.copyrightPosition(), model));
    EXPECT_EQ(utf8(model.cells), "著作権表示の例\r\n");
}

TEST(BookShelfTest, DriveScanFindsBooksWhateverTheCaseOfTheirNames)
{
    yv::testing::TestHome home;
    const fs::path upper = home.dir() / "disc";
    fs::copy(kSampleBook, upper, fs::copy_options::recursive);
    // Discs name their files in upper case.
    fs::rename(upper / "catalogs", upper / "CATALOGS");
    fs::rename(upper / "sample" / "data" / "honmon", upper / "sample" / "data" / "HONMON");
    fs::rename(upper / "sample" / "data", upper / "sample" / "Data");
    fs::create_directories(home.dir() / "empty");

    RecordingPrompter prompter;
    BookShelf shelf(prompter);
    // A setting that names nothing readable falls back to the scan.
    ASSERT_TRUE(shelf.LoadBookList(home.dir() / "missing" / "catalogs", {home.dir() / "empty", upper}));
    ASSERT_EQ(shelf.books().size(), 1u);
    EXPECT_TRUE(shelf.books()[0].catalogPath.empty());
    EXPECT_EQ(shelf.books()[0].root, upper);
    ASSERT_TRUE(shelf.SelectBook(0));
    EXPECT_EQ(shelf.Search(sjis("がっこう"), SearchMethod::Forward), SearchOutcome::Found);
    EXPECT_TRUE(prompter.reports.empty());
}
#endif

TEST(BookShelfTest, CatalogsOfNoEntriesAndShortCatalogs)
{
    yv::testing::TestHome home;
    writeFile(home.dir() / "a" / "catalogs", catalogFile({}));
    ByteVector shortCatalog = catalogFile({{"辞書", "DICT"}});
    shortCatalog.resize(100);
    writeFile(home.dir() / "b" / "catalogs", shortCatalog);
    RecordingPrompter prompter;
    BookShelf shelf(prompter);
    EXPECT_TRUE(shelf.LoadBookList({}, {home.dir() / "a", home.dir() / "b"}));
    EXPECT_EQ(shelf.catalogs().size(), 1u);
    EXPECT_TRUE(shelf.books().empty());
    EXPECT_FALSE(shelf.LoadBookList(home.dir() / "b" / "catalogs", {}));
    EXPECT_TRUE(prompter.reports.empty());
}

TEST(BookShelfTest, ExactWordIndexFirstThenTheForwardIndex)
{
    yv::testing::TestHome home;
    TextFileBuilder text;
    text.setBlock(1, indexTablePage(1, {{IndexId::ExactAlphabet, 2}, {IndexId::ForwardAlphabet, 3}, {IndexId::ForwardOther, 4}}));
    text.setBlock(2, variableLeaf(PageFlag::Leaf | PageFlag::LastLeaf, {{"ＡＰＰ", {10, 0}}}, false));
    text.setBlock(3, variableLeaf(PageFlag::Leaf | PageFlag::LastLeaf,
                                  {{"ＡＰＰ", {10, 0}, {11, 0}}, {"ＡＰＰＬＥ", {10, 100}, {11, 10}}}));
    text.setBlock(4, variableLeaf(PageFlag::Leaf | PageFlag::LastLeaf, {{"あつふ", {12, 0}, {11, 20}}}));
    RecordingPrompter prompter;
    BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList(writeDisc(home.dir(), text), {}));
    ASSERT_TRUE(shelf.SelectBook(0));
    // A prefix that is also a whole word: the exact-word hit only.
    ASSERT_EQ(shelf.Search("app", SearchMethod::Forward), SearchOutcome::Found);
    ASSERT_EQ(shelf.hits().size(), 1u);
    EXPECT_FALSE(shelf.hits().hits()[0].hasHeading);
    // Nothing exact: the forward index.
    ASSERT_EQ(shelf.Search("appl", SearchMethod::Forward), SearchOutcome::Found);
    EXPECT_TRUE(shelf.hits().hits()[0].hasHeading);
    // A kana key: no exact-word index for kana or other keys, so the forward index of other
    // keys, with the key normalised (small っ enlarged, ぷ unvoiced).
    ASSERT_EQ(shelf.Search(sjis("あっぷ"), SearchMethod::Forward), SearchOutcome::Found);
    EXPECT_EQ(shelf.hits().hits()[0].text, (TextPosition{12, 0}));
    // No backward index at all.
    EXPECT_EQ(shelf.Search("pp", SearchMethod::Backward), SearchOutcome::NotFound);
}

TEST(BookShelfTest, BrokenDiscsShowTheirMessages)
{
    yv::testing::TestHome home;
    RecordingPrompter prompter;
    BookShelf shelf(prompter);

    // Index page beyond the end of the text file.
    TextFileBuilder tiny;
    tiny.setBlock(1, {});
    ASSERT_TRUE(shelf.LoadBookList(writeDisc(home.dir() / "index", tiny, {"辞書", "DICT", 7}), {}));
    EXPECT_FALSE(shelf.SelectBook(0));
    ASSERT_EQ(prompter.reports.size(), 1u);
    EXPECT_EQ(prompter.reports[0], std::make_pair(BookMessage::IndexTableRead, MessageIcon::Stop));

    // No text file.
    prompter.reports.clear();
    const fs::path noText = home.dir() / "notext";
    writeFile(noText / "CATALOGS", catalogFile({{"辞書", "DICT"}}));
    ASSERT_TRUE(shelf.LoadBookList(noText / "CATALOGS", {}));
    EXPECT_FALSE(shelf.SelectBook(0));
    EXPECT_EQ(prompter.reports.at(0), std::make_pair(BookMessage::TextFileOpen, MessageIcon::Stop));

    // An index whose page points at itself; a font whose header is cut short.
    prompter.reports.clear();
    TextFileBuilder looping;
    looping.setBlock(1, indexTablePage(0, {{IndexId::ForwardOther, 2}}));
    ByteVector branch{0x00, 4, 0, 1};
    const ByteVector key = keyBytes("ＺＺ");
    branch.insert(branch.end(), key.begin(), key.end());
    put32(branch, 2);
    looping.setBlock(2, branch);
    ByteVector entryText;
    putText(entryText, "本文");
    looping.setBlock(3, entryText);
    const fs::path disc = home.dir() / "looping";
    ASSERT_TRUE(shelf.LoadBookList(writeDisc(disc, looping, {"辞書", "DICT", 1, 0x60, "GAI16F", ""}), {}));
    writeFile(disc / "DICT" / "GAIJI" / "GAI16F", ByteVector(10, 0));
    ASSERT_TRUE(shelf.SelectBook(0));
    EXPECT_EQ(shelf.Search("a", SearchMethod::Forward), SearchOutcome::ReadError);
    EXPECT_TRUE(shelf.hits().empty());
    DisplayModel model;
    EXPECT_TRUE(shelf.ReadEntry({3, 0}, model));
    EXPECT_TRUE(shelf.ReadEntry({3, 0}, model));
    EXPECT_FALSE(shelf.ReadEntry({30, 0}, model));
    const std::vector<std::pair<BookMessage, MessageIcon>> expected = {
        {BookMessage::ResultRead, MessageIcon::Exclamation},
        {BookMessage::GaijiInit, MessageIcon::Exclamation},
        {BookMessage::ResultRead, MessageIcon::Exclamation},
    };
    EXPECT_EQ(prompter.reports, expected);
}

TEST(BookShelfTest, BlocksReadBeforeAreReadAgainWhenTheTextFileChanged)
{
    yv::testing::TestHome home;
    TextFileBuilder text;
    text.setBlock(1, indexTablePage(0, {}));
    ByteVector entryText;
    putText(entryText, "本文");
    text.setBlock(2, entryText);
    const fs::path catalog = writeDisc(home.dir(), text);
    RecordingPrompter prompter;
    BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList(catalog, {}));
    ASSERT_TRUE(shelf.SelectBook(0));
    DisplayModel model;
    ASSERT_TRUE(shelf.ReadEntry({2, 0}, model));
    EXPECT_EQ(utf8(model.cells), "本文");

    // The same size, another time: the next check before a search notices.
    entryText.clear();
    putText(entryText, "別文");
    text.setBlock(2, entryText);
    const fs::path honmon = home.dir() / "DICT" / "DATA" / "HONMON";
    const auto before = fs::last_write_time(honmon);
    writeFile(honmon, text.bytes());
    fs::last_write_time(honmon, before + std::chrono::seconds(1));
    EXPECT_TRUE(shelf.CheckCatalog());
    ASSERT_TRUE(shelf.ReadEntry({2, 0}, model));
    EXPECT_EQ(utf8(model.cells), "別文");
    {
        // Held for one command, the file is read through the same cache.
        const BookShelf::TextFileHold command(shelf);
        ASSERT_TRUE(shelf.ReadEntry({2, 0}, model));
        EXPECT_EQ(utf8(model.cells), "別文");
    }
}

TEST(BookShelfTest, CatalogThatChangedOrVanishedAfterSelection)
{
    yv::testing::TestHome home;
    TextFileBuilder text;
    text.setBlock(1, indexTablePage(0, {}));
    const fs::path catalog = writeDisc(home.dir(), text);
    RecordingPrompter prompter;
    BookShelf shelf(prompter);
    ASSERT_TRUE(shelf.LoadBookList(catalog, {}));
    ASSERT_TRUE(shelf.SelectBook(0));
    EXPECT_TRUE(shelf.CheckCatalog());

    std::ofstream(catalog, std::ios::app) << "more";
    EXPECT_FALSE(shelf.CheckCatalog());
    fs::remove(catalog);
    EXPECT_FALSE(shelf.CheckCatalog());
    EXPECT_FALSE(shelf.SelectBook(0));
    const std::vector<std::pair<BookMessage, MessageIcon>> expected = {
        {BookMessage::CatalogChanged, MessageIcon::Exclamation},
        {BookMessage::CatalogMissing, MessageIcon::Exclamation},
        {BookMessage::CatalogMissing, MessageIcon::Exclamation},
    };
    EXPECT_EQ(prompter.reports, expected);
}

} // namespace
} // namespace yv::book
