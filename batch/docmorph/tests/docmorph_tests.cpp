// The library's exports end to end: documents saved by the office suite, translated by the
// reference engines through Etc, with the stages and progress posted to the caller's window.
#include <docmorph.h>

#include <Etc.h>
#include <Messages.h>
#include <SharedBlocks.h>

#include <docmorph/package.h>
#include <docmorph/sheetmodel.h>
#include <docmorph/slidemodel.h>
#include <docmorph/wordmodel.h>
#include <platform/bus.h>
#include <enginetests.h>
#include <testhome.h>

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <cstdlib>
#include <fstream>

namespace {

namespace fs = std::filesystem;
using namespace yv;
using yv::docmorph::Package;
using yv::docmorph::SlideDeck;
using yv::docmorph::WordDocument;
using yv::docmorph::Workbook;

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool hasJapanese(const std::string& utf8)
{
    for (const char c : utf8)
        if (static_cast<unsigned char>(c) >= 0xE3)
            return true;
    return false;
}

class Exports : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "docmorph_tests";
        static char* argv[] = {name, nullptr};
        // The engines share the build's dictionary cache; they run offscreen like the test.
        ::setenv("YORVANE_CACHE_DIR", ENGINE_CACHE_DIR, 1);
        static QCoreApplication app(argc, argv);
    }

    void SetUp() override
    {
        yv::testing::writeEngineProfiles(home);
        notify = bus::WindowEndpoint::registerWindow(
            "QEL_RlyDocmorphTestWClass", 0, [this](std::uint32_t message, std::uint64_t wParam, std::int64_t lParam) -> std::int64_t {
                if (message != messages::kProgress)
                    return 0;
                if (wParam != 0)
                    stages.push_back(static_cast<int>(wParam));
                else
                    progress.push_back(lParam);
                if (static_cast<int>(wParam) == stopAtStage)
                    docmorph_stop(1);
                return 0;
            });
        ASSERT_TRUE(notify);
    }

    void TearDown() override
    {
        yv::testing::closeEngines();
        blocks::setFlag(blocks::EngineBusy, 0);
    }

    // Copies a fixture to the source and output names as the batch box would.
    std::pair<fs::path, fs::path> prepare(const std::string& fixture)
    {
        const fs::path source = home.dir() / fixture;
        fs::copy_file(fs::path(DOCMORPH_FIXTURES) / fixture, source);
        const fs::path output = home.dir() / ("out_RY" + source.extension().string());
        fs::copy_file(source, output);
        return {source, output};
    }

    // Posted messages arrive through the bus: serve them before looking.
    void settle() { bus::waitServingEvents(200); }

    yv::testing::TestHome home;
    std::unique_ptr<bus::WindowEndpoint> notify;
    std::vector<int> stages;
    std::vector<std::int64_t> progress;
    int stopAtStage = -1;
};

TEST_F(Exports, DocumentPresentationAndWorkbookTranslatedByTheReferenceEngine)
{
    if (!fs::exists(fs::path(DOCMORPH_FIXTURES) / "sample.docx"))
        GTEST_SKIP() << "soffice is not installed: there are no fixtures saved by the office suite";
    EXPECT_EQ(MyOleInitialize(), 1);
    std::string error;

    auto [doc, docOut] = prepare("sample.docx");
    ASSERT_EQ(::docmorph(notify->handle(), doc.c_str(), docOut.c_str(), 1, 2007, 2007, 2007), 1);
    settle();
    EXPECT_EQ(stages, (std::vector<int>{1, 3, 2, 4}));
    EXPECT_FALSE(progress.empty());
    for (const auto percent : progress)
        EXPECT_TRUE(percent >= 0 && percent <= 100) << percent;
    {
        auto package = Package::openFile(docOut, error);
        ASSERT_TRUE(package) << error;
        auto document = WordDocument::load(*package, error);
        ASSERT_TRUE(document) << error;
        const std::string first = WordDocument::text(document->paragraph(0));
        EXPECT_TRUE(hasJapanese(first)) << first;
        EXPECT_NE(WordDocument::text(document->paragraph(2)).find('\x01'), std::string::npos) << "the picture stays";
    }

    auto [deck, deckOut] = prepare("sample.pptx");
    ASSERT_EQ(::docmorph(notify->handle(), deck.c_str(), deckOut.c_str(), 1, 0, 0, 0), 1);
    {
        auto package = Package::openFile(deckOut, error);
        ASSERT_TRUE(package) << error;
        auto slides = SlideDeck::load(*package, error);
        ASSERT_TRUE(slides) << error;
        const std::string title = SlideDeck::text(slides->textBodies(0).at(0));
        EXPECT_TRUE(hasJapanese(title)) << title;
        EXPECT_NE(title.find('\r'), std::string::npos) << "the second paragraph stays one";
    }

    auto [book, bookOut] = prepare("sample.xlsx");
    ASSERT_EQ(::docmorph(notify->handle(), book.c_str(), bookOut.c_str(), 1, 0, 0, 0), 1);
    {
        auto package = Package::openFile(bookOut, error);
        ASSERT_TRUE(package) << error;
        auto workbook = Workbook::load(*package, error);
        ASSERT_TRUE(workbook) << error;
        const auto cells = workbook->cells(0);
        EXPECT_TRUE(hasJapanese(workbook->stringValue(cells.at(0)).value_or(""))) << "A1";
        EXPECT_EQ(workbook->kind(cells.at(1)), Workbook::Kind::Number);
        EXPECT_EQ(workbook->stringValue(workbook->cells(1).at(0)), "Do not touch.");
    }
    // Other files are left alone and count as done.
    home.writeFile("notes.txt", "text");
    EXPECT_EQ(::docmorph(0, (home.dir() / "notes.txt").c_str(), (home.dir() / "notes_RY.txt").c_str(), 1, 0, 0, 0), 1);
}

TEST_F(Exports, StopFromTheCallersWindowLeavesTheOutputAsCopied)
{
    if (!fs::exists(fs::path(DOCMORPH_FIXTURES) / "sample.docx"))
        GTEST_SKIP() << "soffice is not installed: there are no fixtures saved by the office suite";
    auto [doc, docOut] = prepare("sample.docx");
    const std::string copied = readFile(docOut);
    // The stop is posted back when the reading stage is announced; it arrives while the
    // library serves the caller's events, before the write-back.
    stopAtStage = 3;
    EXPECT_EQ(::docmorph(notify->handle(), doc.c_str(), docOut.c_str(), 1, 2000, 0, 0), 0);
    EXPECT_EQ(readFile(docOut), copied);
    EXPECT_EQ(docmorph_stop(0), 0);
}

} // namespace
