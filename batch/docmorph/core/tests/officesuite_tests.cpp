// Documents saved by the office suite itself: translated copies must open in it again with
// the same paragraphs, shapes and cells, the first run's formatting and the pictures kept;
// the legacy formats go through it and back. Each case costs one to three runs of the suite.
#include "support.h"

#include <docmorph/legacy.h>
#include <docmorph/package.h>
#include <docmorph/sheetmodel.h>
#include <docmorph/slidemodel.h>
#include <docmorph/wordmodel.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace yv::docmorph;
using namespace yv::docmorph::testing;

class OfficeSuite : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = officeProgram();
        if (!program)
            GTEST_SKIP() << "soffice is not installed: the cases that need the office suite are skipped";
        fixtures = DOCMORPH_FIXTURES;
        ASSERT_TRUE(fs::exists(fixtures / "sample.docx")) << "the build saves the fixtures from the office suite";
    }

    fs::path copyFixture(const std::string& name)
    {
        fs::copy_file(fixtures / name, home.dir() / name);
        return home.dir() / name;
    }

    // The office suite opens the file and saves it again in the same format.
    fs::path resaved(const fs::path& file, const std::string& format)
    {
        std::string error;
        auto saved = officeConvert(*program, file, home.dir() / "resaved", format, home.dir() / "profile", error);
        EXPECT_TRUE(saved) << error;
        return saved.value_or(fs::path());
    }

    yv::testing::TestHome home;
    FakeHost host{home.dir() / "tmp"};
    std::optional<fs::path> program;
    fs::path fixtures;
};

struct WordSummary {
    std::size_t paragraphs = 0;
    std::vector<std::string> texts;
    std::string xml;
};

WordSummary summarizeWord(const fs::path& file)
{
    WordSummary summary;
    std::string error;
    auto package = Package::openFile(file, error);
    EXPECT_TRUE(package) << error;
    if (!package)
        return summary;
    auto document = WordDocument::load(*package, error);
    EXPECT_TRUE(document) << error;
    if (!document)
        return summary;
    summary.paragraphs = document->paragraphCount();
    for (std::size_t i = 0; i < summary.paragraphs; ++i)
        summary.texts.push_back(WordDocument::text(document->paragraph(i)));
    summary.xml = readZipEntry(file, "word/document.xml").value_or("");
    return summary;
}

TEST_F(OfficeSuite, TranslatedWordDocumentOpensWithItsParagraphsFormattingAndPicture)
{
    const fs::path source = copyFixture("sample.docx");
    fs::copy_file(source, home.dir() / "out.docx");
    ASSERT_EQ(convertWord(host, source, home.dir() / "out.docx", 1).result, 1);
    const WordSummary ours = summarizeWord(home.dir() / "out.docx");
    const WordSummary theirs = summarizeWord(resaved(home.dir() / "out.docx", "docx"));
    EXPECT_EQ(theirs.paragraphs, summarizeWord(source).paragraphs);
    EXPECT_EQ(theirs.texts, ours.texts);
    ASSERT_GE(theirs.texts.size(), 5u);
    EXPECT_EQ(theirs.texts[0], "GOOD MORNING. THE WEATHER IS FINE.");
    EXPECT_EQ(theirs.texts[2], "BEFORE THE PICTURE\x01" "AFTER THE PICTURE.");
    EXPECT_EQ(theirs.texts[3], "THE FIRST LINE\vTHE SECOND LINE");
    EXPECT_EQ(theirs.texts[4], "USE <B> & \"QUOTES\" HERE.");
    // The first run was bold, and the paragraph centred: both still are.
    const auto first = theirs.xml.find("GOOD MORNING.");
    ASSERT_NE(first, std::string::npos);
    const std::string paragraph = theirs.xml.substr(theirs.xml.rfind("<w:p>", first), first - theirs.xml.rfind("<w:p>", first));
    EXPECT_NE(paragraph.find("<w:b/>"), std::string::npos) << paragraph;
    EXPECT_NE(paragraph.find("w:val=\"center\""), std::string::npos) << paragraph;
    EXPECT_NE(theirs.xml.find("<wp:inline"), std::string::npos);
}

TEST_F(OfficeSuite, TranslatedPresentationOpensWithItsShapesAndFormatting)
{
    const fs::path out = copyFixture("sample.pptx");
    ASSERT_EQ(convertSlides(host, out, 1).result, 1);
    const fs::path again = resaved(out, "pptx");
    std::string error;
    auto ours = Package::openFile(out, error);
    auto theirs = Package::openFile(again, error);
    ASSERT_TRUE(ours && theirs) << error;
    auto ourDeck = SlideDeck::load(*ours, error);
    auto theirDeck = SlideDeck::load(*theirs, error);
    ASSERT_TRUE(ourDeck && theirDeck) << error;
    ASSERT_EQ(theirDeck->slideCount(), 2u);
    std::vector<std::string> texts;
    for (std::size_t slide = 0; slide < 2; ++slide) {
        EXPECT_EQ(theirDeck->shapeCount(slide), ourDeck->shapeCount(slide));
        for (auto body : theirDeck->textBodies(slide))
            texts.push_back(SlideDeck::text(body));
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"GOOD MORNING.\rSECOND PARAGRAPH\vWITH A BREAK.", "IN A RECTANGLE.",
                                               "FIRST IN THE GROUP.", "INSIDE THE INNER GROUP.", "LAST IN THE GROUP."}));
    const std::string slide = readZipEntry(again, "ppt/slides/slide1.xml").value_or("");
    const auto title = slide.find(">GOOD MORNING.<");
    ASSERT_NE(title, std::string::npos);
    EXPECT_NE(slide.substr(slide.rfind("<a:r>", title), title - slide.rfind("<a:r>", title)).find("b=\"1\""), std::string::npos);
}

TEST_F(OfficeSuite, TranslatedWorkbookOpensWithItsCellsAndStyles)
{
    const fs::path out = copyFixture("sample.xlsx");
    ASSERT_EQ(convertSheets(host, out, 1).result, 1);
    EXPECT_EQ(host.sentBlocks, "<PRE->Good morning.</PRE->\r\n<PRE->Good morning.</PRE->\r\n<PRE->Thank you.</PRE->\r\n");
    const fs::path again = resaved(out, "xlsx");
    std::string error;
    auto package = Package::openFile(again, error);
    ASSERT_TRUE(package) << error;
    auto book = Workbook::load(*package, error);
    ASSERT_TRUE(book) << error;
    ASSERT_EQ(book->sheetCount(), 2u);
    std::vector<std::string> values;
    for (const auto& cell : book->cells(0))
        values.push_back(book->stringValue(cell).value_or(book->kind(cell) == Workbook::Kind::Number ? "number"
                                                          : book->kind(cell) == Workbook::Kind::Formula ? "formula" : "?"));
    EXPECT_EQ(values, (std::vector<std::string>{"GOOD MORNING.", "number", "formula", "GOOD MORNING.", "THANK YOU."}));
    EXPECT_TRUE(book->contentProtected(1));
    EXPECT_EQ(book->stringValue(book->cells(1).at(0)), "Do not touch.");
    // The bold cell keeps its own style, apart from the plain cells.
    const auto cells = book->cells(0);
    EXPECT_NE(std::string(cells[0].node.attribute("s").value()), std::string(cells[3].node.attribute("s").value()));
}

TEST_F(OfficeSuite, LegacyWordDocumentGoesThroughTheSuiteAndBack)
{
    const fs::path source = copyFixture("sample.doc");
    const std::string before = readFile(source);
    fs::copy_file(source, home.dir() / "out.doc");
    ASSERT_EQ(convertThroughOfficeSuite(host, kindOf(source), source, home.dir() / "out.doc", 1), 1) << host.traces.size();
    EXPECT_EQ(readFile(source), before);
    EXPECT_TRUE(looksLikeLegacyKind(home.dir() / "out.doc", kindOf(source)));
    const WordSummary back = summarizeWord(resaved(home.dir() / "out.doc", "docx"));
    ASSERT_FALSE(back.texts.empty());
    EXPECT_EQ(back.texts[0], "GOOD MORNING. THE WEATHER IS FINE.");
    EXPECT_NE(back.xml.find("<wp:inline"), std::string::npos) << "the picture is kept";
    EXPECT_TRUE(!fs::exists(home.dir() / "tmp") || fs::is_empty(home.dir() / "tmp")) << "the working folder is removed";
}

TEST(LegacyFormats, WithoutTheSuiteOrOfTheWrongKindTheCopyStays)
{
    yv::testing::TestHome home;
    FakeHost host(home.dir() / "tmp");
    home.writeFile("letter.doc", "Just text with a .doc name.\n");
    home.writeFile("out.doc", "Just text with a .doc name.\n");
    EXPECT_EQ(convertThroughOfficeSuite(host, kindOf("letter.doc"), home.dir() / "letter.doc", home.dir() / "out.doc", 1), 0);
    if (officeProgram()) {
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], (home.dir() / "letter.doc").string() + ": オープンできません。");
    }
    const char* old = std::getenv("YORVANE_SOFFICE");
    const std::string saved = old ? old : "";
    ::setenv("YORVANE_SOFFICE", "", 1);
    FakeHost without(home.dir() / "tmp");
    EXPECT_EQ(convertThroughOfficeSuite(without, kindOf("deck.PPT"), home.dir() / "letter.doc", home.dir() / "out.doc", 1), 0);
    ASSERT_EQ(without.messages.size(), 1u);
    EXPECT_NE(without.messages[0].find("LibreOfficeが見つからないため変換できません。"), std::string::npos);
    if (old)
        ::setenv("YORVANE_SOFFICE", saved.c_str(), 1);
    else
        ::unsetenv("YORVANE_SOFFICE");
    EXPECT_EQ(readFile(home.dir() / "out.doc"), "Just text with a .doc name.\n");
    EXPECT_EQ(kindOf("a.XLSB").readOnly, true);
    EXPECT_EQ(kindOf("a.txt").application, Application::None);
}

} // namespace
