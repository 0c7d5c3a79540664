// Parts written piece by piece come out as pugixml writes them whole; slides and sheets let go
// while walking keep their changes through the save, and new shared strings are all written.
#include "support.h"

#include <docmorph/package.h>
#include <docmorph/partprinter.h>
#include <docmorph/sheetmodel.h>
#include <docmorph/slidemodel.h>

#include <testhome.h>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using namespace yv::docmorph;
using namespace yv::docmorph::testing;

std::string whole(const pugi::xml_document& document)
{
    struct Writer final : pugi::xml_writer {
        std::string text;
        void write(const void* data, size_t size) override { text.append(static_cast<const char*>(data), size); }
    } writer;
    document.save(writer, "", kPartSaveFlags, pugi::encoding_utf8);
    return writer.text;
}

TEST(PartPrinter, PiecesMakeTheSameTextAsTheWholeDocument)
{
    const char* const documents[] = {
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<w:document xmlns:w="urn:w" a="&amp;&lt;&quot;&#9;&#10;"><w:body><w:p><w:r><w:t xml:space="preserve"> a &amp; b </w:t></w:r></w:p>)"
        R"(<w:p/><w:tbl><w:tr><w:tc><w:p><w:r><w:t>deep</w:t></w:r></w:p></w:tc></w:tr></w:tbl><!-- note --><?pi x?></w:body>)"
        R"(<w:sectPr w:x="1"/></w:document>)",
        R"(<sst count="2"><si><t>one</t></si><si><r><t>two</t></r></si>  </sst>)",
        R"(<root/>)",
        R"(<root>only text &gt; here</root>)",
        R"(<root><![CDATA[<kept>]]><m>m</m>m</root>)",
        R"(<!-- before --><a><b><c><d>4</d></c></b></a><!-- after -->)",
    };
    for (const char* text : documents) {
        pugi::xml_document document;
        ASSERT_TRUE(document.load_string(text, pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration
                                                   | pugi::parse_comments | pugi::parse_pi))
            << text;
        PartPrinter printer(document);
        std::string pieces;
        int count = 0;
        while (printer.next(pieces))
            ++count;
        EXPECT_EQ(pieces, whole(document)) << text;
        EXPECT_EQ(PartPrinter::size(document), pieces.size()) << text;
        EXPECT_GT(count, 0);
    }
}

TEST(PartRelease, OneSlideIsHeldAndALetGoSlideKeepsItsChange)
{
    yv::testing::TestHome home;
    const fs::path file = home.dir() / "deck.pptx";
    const std::string shape = "<p:sp><p:txBody><a:p><a:r><a:t>Slide text.</a:t></a:r></a:p></p:txBody></p:sp>";
    writeSlidesPackage(file, {shape, shape, shape});
    std::string error;
    auto package = Package::openFile(file, error);
    ASSERT_TRUE(package) << error;
    auto deck = SlideDeck::load(*package, error);
    ASSERT_TRUE(deck) << error;
    EXPECT_FALSE(package->isOpen("ppt/slides/slide1.xml")) << "checked on load, then let go";
    deck->setText(0, deck->textBodies(0).at(0), "Changed.");
    ASSERT_EQ(deck->textBodies(1).size(), 1u);
    EXPECT_FALSE(package->isOpen("ppt/slides/slide1.xml"));
    EXPECT_TRUE(package->isOpen("ppt/slides/slide2.xml"));
    // Going back opens the written text again.
    EXPECT_EQ(SlideDeck::text(deck->textBodies(0).at(0)), "Changed.");
    deck->setText(0, deck->textBodies(0).at(0), "Changed again.");
    ASSERT_EQ(deck->textBodies(2).size(), 1u);
    ASSERT_TRUE(package->save(home.dir() / "out.pptx", error)) << error;

    const std::string first = readZipEntry(home.dir() / "out.pptx", "ppt/slides/slide1.xml").value_or("");
    EXPECT_NE(first.find(">Changed again.<"), std::string::npos) << first;
    EXPECT_EQ(first.find("Slide text."), std::string::npos) << first;
    EXPECT_EQ(readZipEntry(home.dir() / "out.pptx", "ppt/slides/slide2.xml"), readZipEntry(file, "ppt/slides/slide2.xml"));
}

TEST(PartRelease, NewSharedStringsOfEverySheetAndCommitAreWritten)
{
    yv::testing::TestHome home;
    const fs::path file = home.dir() / "book.xlsx";
    writeSheetsPackage(file, {R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)", R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)"},
                       {"Shared &amp; kept"});
    std::string error;
    auto package = Package::openFile(file, error);
    ASSERT_TRUE(package) << error;
    auto book = Workbook::load(*package, error);
    ASSERT_TRUE(book) << error;
    EXPECT_FALSE(package->isOpen("xl/sharedStrings.xml")) << "kept as text";
    book->setString(0, book->cells(0).at(0), "First <new>");
    ASSERT_TRUE(book->commit(error)) << error;
    const auto second = book->cells(1).at(0);
    EXPECT_FALSE(package->isOpen("xl/worksheets/sheet1.xml"));
    EXPECT_EQ(book->stringValue(second), "Shared & kept");
    book->setString(1, second, "Second");
    EXPECT_EQ(book->stringValue(book->cells(1).at(0)), "Second");
    ASSERT_TRUE(book->commit(error)) << error;
    ASSERT_TRUE(package->save(home.dir() / "out.xlsx", error)) << error;

    const std::string strings = readZipEntry(home.dir() / "out.xlsx", "xl/sharedStrings.xml").value_or("");
    EXPECT_NE(strings.find(R"(uniqueCount="3")"), std::string::npos) << strings;
    EXPECT_NE(strings.find(R"(<si><t>Shared &amp; kept</t></si><si><t xml:space="preserve">First &lt;new&gt;</t></si>)"
                           R"(<si><t xml:space="preserve">Second</t></si></sst>)"),
              std::string::npos)
        << strings;
    EXPECT_NE(readZipEntry(home.dir() / "out.xlsx", "xl/worksheets/sheet1.xml").value_or("").find("<v>1</v>"),
              std::string::npos);
    EXPECT_NE(readZipEntry(home.dir() / "out.xlsx", "xl/worksheets/sheet2.xml").value_or("").find("<v>2</v>"),
              std::string::npos);
}

} // namespace
