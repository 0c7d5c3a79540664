// The three conversions on packages of our own: the walks' units, what comes back into the
// documents, the stop flag in every stage, and hostile files.
#include "support.h"

#include <docmorph/conversion.h>
#include <docmorph/package.h>
#include <docmorph/sheetmodel.h>

#include <testhome.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace yv::docmorph;
using namespace yv::docmorph::testing;

const std::string kBold = "<w:rPr><w:b/></w:rPr>";
const std::string kInlinePicture = "<w:r><w:drawing><wp:inline><wp:extent cx=\"1\" cy=\"1\"/></wp:inline></w:drawing></w:r>";

const std::string kWordBody =
    R"(<w:p><w:pPr><w:jc w:val="center"/></w:pPr><w:r>)" + kBold + R"(<w:t>Good morning.</w:t></w:r>)"
    R"(<w:r><w:t xml:space="preserve"> The weather is fine.</w:t></w:r></w:p>)"
    R"(<w:p><w:pPr><w:jc w:val="left"/></w:pPr></w:p>)"
    R"(<w:p><w:r><w:t>Before</w:t></w:r>)" + kInlinePicture + R"(<w:r><w:t>after the picture.</w:t></w:r></w:p>)"
    R"(<w:p>)" + kInlinePicture + R"(</w:p>)"
    R"(<w:p><w:r><w:t>The first line</w:t><w:br/><w:t>the second line</w:t></w:r></w:p>)"
    R"(<w:tbl><w:tr><w:tc><w:p><w:r><w:t>In a cell &amp; &lt;tagged&gt;</w:t></w:r></w:p></w:tc></w:tr></w:tbl>)"
    R"(<w:p><w:hyperlink><w:r><w:t>linked</w:t></w:r></w:hyperlink><w:r><w:tab/><w:t>tabbed</w:t></w:r></w:p>)";

class Conversion : public ::testing::Test {
protected:
    fs::path file(const std::string& name) const { return home.dir() / name; }
    bool noTempFiles() const { return !fs::exists(home.dir() / "tmp") || fs::is_empty(home.dir() / "tmp"); }
    // The caller's part: the output starts as a copy of the source.
    fs::path copyToOutput(const fs::path& source, const std::string& name)
    {
        fs::copy_file(source, file(name), fs::copy_options::overwrite_existing);
        return file(name);
    }
    std::string part(const fs::path& package, const std::string& name)
    {
        return readZipEntry(package, name).value_or("<missing>");
    }

    yv::testing::TestHome home;
    FakeHost host{home.dir() / "tmp"};
};

TEST_F(Conversion, WordUnitsAreNonEmptyParagraphsSplitAtInlinePictures)
{
    writeWordPackage(file("in.docx"), kWordBody);
    const std::string source = readFile(file("in.docx"));
    const fs::path out = copyToOutput(file("in.docx"), "out.docx");
    ASSERT_EQ(convertWord(host, file("in.docx"), out, 1).result, 1);
    // The piece after the picture starts right after it (its first letter is no longer lost);
    // the manual line break goes out as CR LF.
    EXPECT_EQ(host.sentBlocks, "<PRE->Good morning. The weather is fine.</PRE->\r\n"
                               "<PRE->Before</PRE->\r\n<PRE->after the picture.</PRE->\r\n"
                               "<PRE->The first line\r\nthe second line</PRE->\r\n"
                               "<PRE->In a cell & <tagged></PRE->\r\n<PRE->linked\ttabbed</PRE->\r\n");
    EXPECT_EQ(host.stages, (std::vector<int>{1, 3, 2, 4}));
    EXPECT_EQ(host.progress.back(), 100);

    const std::string xml = part(out, "word/document.xml");
    // The first run's formatting carries the whole new text; the paragraph's stays.
    EXPECT_NE(xml.find(R"(<w:jc w:val="center"/></w:pPr><w:r><w:rPr><w:b/></w:rPr><w:t xml:space="preserve">GOOD MORNING. THE WEATHER IS FINE.</w:t></w:r></w:p>)"),
              std::string::npos) << xml;
    // The picture stays between its two translated pieces, and the piece after it is whole.
    const auto before = xml.find(">BEFORE<");
    const auto picture = xml.find("<wp:inline>");
    const auto after = xml.find(">AFTER THE PICTURE.<");
    EXPECT_TRUE(before < picture && picture < after && after != std::string::npos) << xml;
    // The manual line break is kept.
    EXPECT_NE(xml.find(">THE FIRST LINE</w:t><w:br/><w:t xml:space=\"preserve\">THE SECOND LINE<"), std::string::npos) << xml;
    EXPECT_NE(xml.find("IN A CELL &amp; &lt;TAGGED&gt;"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<w:tc><w:p><w:r>"), std::string::npos) << "the cell keeps its paragraph";
    EXPECT_NE(xml.find(">LINKED</w:t><w:tab/><w:t xml:space=\"preserve\">TABBED<"), std::string::npos) << xml;
    // Parts that were not changed are copied as they were.
    EXPECT_EQ(part(out, "word/media/image1.png"), "not really a picture");
    EXPECT_EQ(readFile(file("in.docx")), source) << "the source is only read";
}

TEST_F(Conversion, WordStopAndFailureLeaveTheOutputAsCopied)
{
    writeWordPackage(file("in.docx"), kWordBody);
    const std::string copied = readFile(file("in.docx"));
    struct Case {
        std::optional<Stage> stopAt;
        int stopAtProgress;
        int translateResult;
        int expected;
    };
    // A stop while preparing, reading or translating: result 0; during write-back: result 1,
    // output not saved; a translation that cannot start: result 0.
    for (const Case c : {Case{Stage::Preparing, -1, 1, 0}, Case{Stage::Reading, -1, 1, 0},
                         Case{Stage::Translating, -1, 1, 0}, Case{std::nullopt, 2, 1, 1},
                         Case{std::nullopt, -1, -1, 0}}) {
        FakeHost h(home.dir() / "tmp");
        h.stopAt = c.stopAt;
        h.stopAtProgressCount = c.stopAtProgress;
        h.translateResult = c.translateResult;
        const fs::path out = copyToOutput(file("in.docx"), "out.docx");
        EXPECT_EQ(convertWord(h, file("in.docx"), out, 1).result, c.expected);
        EXPECT_EQ(readFile(out), copied);
        EXPECT_TRUE(noTempFiles()) << "temporary files left behind";
    }
}

TEST_F(Conversion, SlideShapesWalkedDepthFirstThroughGroups)
{
    auto sp = [](const std::string& kind, const std::string& paragraphs) {
        return "<p:sp><p:nvSpPr><p:cNvPr id=\"1\" name=\"s\"/><p:cNvSpPr " + kind + "/><p:nvPr/></p:nvSpPr><p:spPr/>"
               "<p:txBody><a:bodyPr/><a:lstStyle/>" + paragraphs + "</p:txBody></p:sp>";
    };
    const std::string boldPara = R"(<a:p><a:pPr algn="ctr"/><a:r><a:rPr b="1"/><a:t>Title</a:t></a:r></a:p>)";
    const std::string twoParas = R"(<a:p><a:r><a:rPr i="1"/><a:t>one</a:t></a:r><a:br/><a:r><a:t>two</a:t></a:r></a:p><a:p><a:r><a:rPr u="sng"/><a:t>three</a:t></a:r><a:endParaRPr/></a:p>)";
    const std::string empty = "<a:p><a:endParaRPr/></a:p>";
    const std::string group = "<p:grpSp><p:nvGrpSpPr/><p:grpSpPr/>" + sp("txBox=\"1\"", "<a:p><a:r><a:t>g1</a:t></a:r></a:p>")
                              + "<p:grpSp><p:nvGrpSpPr/><p:grpSpPr/>" + sp("", "<a:p><a:r><a:t>g2</a:t></a:r></a:p>")
                              + "</p:grpSp>" + sp("", "<a:p><a:r><a:t>g3</a:t></a:r></a:p>") + "</p:grpSp>";
    writeSlidesPackage(file("out.pptx"), {sp("", boldPara) + sp("", empty) + "<p:pic/>" + sp("txBox=\"1\"", twoParas),
                                          group + sp("", "<a:p><a:fld type=\"slidenum\"><a:t>7</a:t></a:fld></a:p>")});
    ASSERT_EQ(convertSlides(host, file("out.pptx"), 1).result, 1);
    EXPECT_EQ(host.sentBlocks, "<PRE->\r\nTitle\r\n</PRE->\r\n<PRE->\r\none\r\ntwo\r\n<P>three\r\n</PRE->\r\n"
                               "<PRE->\r\ng1\r\n</PRE->\r\n<PRE->\r\ng2\r\n</PRE->\r\n<PRE->\r\ng3\r\n</PRE->\r\n"
                               "<PRE->\r\n7\r\n</PRE->\r\n");
    const std::string one = part(file("out.pptx"), "ppt/slides/slide1.xml");
    EXPECT_NE(one.find(R"(<a:p><a:pPr algn="ctr"/><a:r><a:rPr b="1"/><a:t>TITLE</a:t></a:r></a:p>)"), std::string::npos) << one;
    // Paragraphs and the line break inside the first one come back, each paragraph with its
    // first run's formatting.
    EXPECT_NE(one.find(R"(<a:p><a:r><a:rPr i="1"/><a:t>ONE</a:t></a:r><a:br><a:rPr i="1"/></a:br><a:r><a:rPr i="1"/><a:t>TWO</a:t></a:r></a:p><a:p><a:r><a:rPr u="sng"/><a:t>THREE</a:t></a:r><a:endParaRPr/></a:p>)"),
              std::string::npos) << one;
    EXPECT_NE(one.find("<p:pic/>"), std::string::npos);
    const std::string two = part(file("out.pptx"), "ppt/slides/slide2.xml");
    EXPECT_LT(two.find(">G1<"), two.find(">G2<"));
    EXPECT_LT(two.find(">G2<"), two.find(">G3<"));
}

TEST_F(Conversion, SlidesStopSavesWhatWasWritten)
{
    const std::string shape = "<p:sp><p:txBody><a:p><a:r><a:t>text</a:t></a:r></a:p></p:txBody></p:sp>";
    writeSlidesPackage(file("in.pptx"), {shape, shape, shape});
    const std::string copied = readFile(file("in.pptx"));
    for (const auto stage : {Stage::Preparing, Stage::Reading, Stage::Translating}) {
        FakeHost h(home.dir() / "tmp");
        h.stopAt = stage;
        const fs::path out = copyToOutput(file("in.pptx"), "out.pptx");
        EXPECT_EQ(convertSlides(h, out, 1).result, 0);
        EXPECT_EQ(readFile(out), copied) << "nothing was written, so the copy stays";
    }
    FakeHost h(home.dir() / "tmp");
    h.stopAtProgressCount = 2;  // at the second slide of the write-back
    const fs::path out = copyToOutput(file("in.pptx"), "out.pptx");
    const auto outcome = convertSlides(h, out, 1);
    EXPECT_EQ(outcome.result, 0);
    EXPECT_TRUE(outcome.saved);
    EXPECT_NE(part(out, "ppt/slides/slide1.xml").find(">TEXT<"), std::string::npos);
    EXPECT_NE(part(out, "ppt/slides/slide2.xml").find(">text<"), std::string::npos);
    EXPECT_TRUE(noTempFiles());
}

TEST_F(Conversion, SheetCellsOfStringsOnlyEachWithItsOwnString)
{
    // Sheet 1: a shared string used by A1 and C2, a number, a formula, an inline string, a
    // cell at column 27; sheet 2 is protected.
    writeSheetsPackage(file("out.xlsx"),
                       {R"(<row r="1"><c r="A1" t="s" s="3"><v>0</v></c><c r="B1"><v>42</v></c>)"
                        R"(<c r="C1" t="str"><f>A1&amp;"x"</f><v>Hellox</v></c></row>)"
                        R"(<row r="2"><c r="C2" t="s"><v>0</v></c><c r="AA2" t="inlineStr"><is><t>inline</t></is></c></row>)",
                        R"(<row r="1"><c r="A1" t="s"><v>1</v></c></row>)"},
                       {"Hello", "Protected"}, true);
    ASSERT_EQ(convertSheets(host, file("out.xlsx"), 1).result, 1);
    EXPECT_EQ(host.sentBlocks, "<PRE->Hello</PRE->\r\n<PRE->Hello</PRE->\r\n<PRE->inline</PRE->\r\n");
    const std::string strings = part(file("out.xlsx"), "xl/sharedStrings.xml");
    EXPECT_NE(strings.find("<si><t>Hello</t></si><si><t>Protected</t></si><si><t xml:space=\"preserve\">HELLO</t></si>"),
              std::string::npos) << "the shared string stays for the cells that still use it: " << strings;
    EXPECT_NE(strings.find(R"(uniqueCount="4")"), std::string::npos) << strings;
    const std::string sheet = part(file("out.xlsx"), "xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find(R"(<c r="A1" t="s" s="3"><v>2</v></c><c r="B1"><v>42</v></c>)"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find(R"(<c r="C2" t="s"><v>3</v></c>)"), std::string::npos) << sheet;
    EXPECT_NE(sheet.find("<f>A1&amp;\"x\"</f>"), std::string::npos);
    EXPECT_NE(sheet.find(R"(<c r="AA2" t="inlineStr"><is><t xml:space="preserve">INLINE</t></is></c>)"), std::string::npos) << sheet;
    EXPECT_EQ(part(file("out.xlsx"), "xl/worksheets/sheet2.xml").find("sheetProtection") != std::string::npos, true);
    EXPECT_EQ(host.traces, (std::vector<std::string>{"1/2\n", "2/2\n"}));
}

TEST_F(Conversion, SheetsResultAndStops)
{
    writeSheetsPackage(file("in.xlsx"), {R"(<row r="1"><c r="A1" t="s"><v>0</v></c><c r="B1" t="s"><v>0</v></c></row>)"
                                         R"(<row r="2"><c r="A2" t="s"><v>0</v></c></row>)"},
                       {"word"});
    const std::string copied = readFile(file("in.xlsx"));
    {   // The translation cannot start: the copy stays, yet the result is 1 after extraction.
        FakeHost h(home.dir() / "tmp");
        h.translateResult = -1;
        const fs::path out = copyToOutput(file("in.xlsx"), "out.xlsx");
        EXPECT_EQ(convertSheets(h, out, 1).result, 1);
        EXPECT_EQ(readFile(out), copied);
    }
    {   // A stop during the write-back skips the rest of the row; what was written is saved.
        FakeHost h(home.dir() / "tmp");
        h.stopAtProgressCount = 2;
        const fs::path out = copyToOutput(file("in.xlsx"), "out.xlsx");
        EXPECT_EQ(convertSheets(h, out, 1).result, 1);
        const std::string sheet = part(out, "xl/worksheets/sheet1.xml");
        EXPECT_NE(sheet.find(R"(<c r="A1" t="s"><v>1</v></c><c r="B1" t="s"><v>0</v></c>)"), std::string::npos) << sheet;
    }
    {   // A translation with fewer blocks than units: the cells past its end keep their text.
        FakeHost h(home.dir() / "tmp");
        h.keepBlocks = 1;
        const fs::path out = copyToOutput(file("in.xlsx"), "out.xlsx");
        EXPECT_EQ(convertSheets(h, out, 1).result, 1);
        const std::string sheet = part(out, "xl/worksheets/sheet1.xml");
        EXPECT_NE(sheet.find(R"(<c r="B1" t="s"><v>0</v></c>)"), std::string::npos) << sheet;
        EXPECT_NE(sheet.find(R"(<c r="A2" t="s"><v>0</v></c>)"), std::string::npos) << sheet;
    }
    EXPECT_TRUE(noTempFiles());
}

TEST(SheetAddresses, ColumnNamesAndReferences)
{
    EXPECT_EQ(columnName(1), "A");
    EXPECT_EQ(columnName(26), "Z");
    EXPECT_EQ(columnName(27), "AA");
    EXPECT_EQ(columnName(52), "AZ");
    EXPECT_EQ(columnName(53), "BA");
    EXPECT_EQ(columnName(703), "AAA");
    for (std::uint32_t column : {1u, 27u, 702u, 703u, 16384u})
        EXPECT_EQ(parseCellReference(columnName(column) + "9")->column, column);
    for (const char* bad : {"", "A", "9", "A0", "XFE1", "A1048577", "a1", "A1x", "AAAAA1"})
        EXPECT_FALSE(parseCellReference(bad)) << bad;
}

TEST_F(Conversion, HostileFilesGiveAMessageAndLeaveEverythingAsItWas)
{
    home.writeFile("text.docx", "This is plain text, not a document.\n");
    home.writeFile("damaged.docx", "PK\x03\x04 this zip container ends here");
    writeZip(file("norels.docx"), {{"word/document.xml", "<w:document/>"}});
    writeWordPackage(file("broken.docx"), "<w:p><w:r><w:t>unclosed</w:r></w:p>");
    writeSlidesPackage(file("wrongkind.docx"), {""});
    writeZip(file("noslide.pptx"), {{"_rels/.rels", readZipEntry(file("wrongkind.docx"), "_rels/.rels").value()},
                                    {"ppt/presentation.xml", readZipEntry(file("wrongkind.docx"), "ppt/presentation.xml").value()},
                                    {"ppt/_rels/presentation.xml.rels", readZipEntry(file("wrongkind.docx"), "ppt/_rels/presentation.xml.rels").value()}});
    for (const char* name : {"text.docx", "damaged.docx", "norels.docx", "broken.docx", "wrongkind.docx", "missing.docx", "noslide.pptx"}) {
        FakeHost h(home.dir() / "tmp");
        const bool exists = fs::exists(file(name));
        const std::string before = exists ? readFile(file(name)) : "";
        const int result = std::string_view(name).ends_with(".pptx") ? convertSlides(h, file(name), 1).result
                                                                      : convertWord(h, file(name), file("out.docx"), 1).result;
        EXPECT_EQ(result, 0) << name;
        ASSERT_EQ(h.messages.size(), 1u) << name;
        EXPECT_EQ(h.messages[0], file(name).string() + ": オープンできません。");
        EXPECT_FALSE(fs::exists(file("out.docx"))) << name;
        if (exists) {
            EXPECT_EQ(readFile(file(name)), before) << name;
        }
        EXPECT_TRUE(noTempFiles()) << name;
    }
}

TEST_F(Conversion, ReadOnlySourceIsReadAndAnUnwritableOutputIsRefused)
{
    writeWordPackage(file("in.docx"), kWordBody);
    ::chmod(file("in.docx").c_str(), 0444);
    const std::string source = readFile(file("in.docx"));
    fs::create_directories(home.dir() / "out");
    const fs::path out = copyToOutput(file("in.docx"), "out/out.docx");
    ::chmod(out.c_str(), 0444);
    EXPECT_EQ(convertWord(host, file("in.docx"), out, 1).result, 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], out.string() + ": 保存できません。");
    EXPECT_EQ(readFile(out), source);
    EXPECT_EQ(std::distance(fs::directory_iterator(home.dir() / "out"), fs::directory_iterator()), 1)
        << "no half-written file beside it";

    // An output in a folder that does not exist: nothing appears anywhere.
    FakeHost h(home.dir() / "tmp");
    EXPECT_EQ(convertWord(h, file("in.docx"), home.dir() / "nowhere" / "out.docx", 1).result, 0);
    EXPECT_FALSE(fs::exists(home.dir() / "nowhere"));
    EXPECT_EQ(readFile(file("in.docx")), source);
}

TEST(PackageBounds, ZipBombsAndLyingEntriesAreRefused)
{
    yv::testing::TestHome home;
    const fs::path bomb = home.dir() / "bomb.docx";
    writeWordPackage(bomb, std::string(3u << 20, ' '));  // a document part of 3 MiB of blanks
    std::string error;
    PackageLimits limits;
    limits.maxPartBytes = 1u << 20;
    auto package = Package::openFile(bomb, error, limits);
    ASSERT_TRUE(package) << error;
    EXPECT_LT(fs::file_size(bomb), 64u * 1024) << "the part packs small";
    EXPECT_FALSE(package->read("word/document.xml", error));
    EXPECT_NE(error.find("unpacks too large"), std::string::npos) << error;
    // Parts read together may not pass the total either.
    limits.maxPartBytes = 4u << 20;
    limits.maxTotalBytes = 5u << 20;
    package = Package::openFile(bomb, error, limits);
    EXPECT_TRUE(package->read("word/document.xml", error));
    EXPECT_FALSE(package->read("word/document.xml", error));

    // An entry whose declared size is smaller than its data.
    std::string bytes = readFile(bomb);
    for (std::size_t at = bytes.find("PK\x01\x02"); at != std::string::npos; at = bytes.find("PK\x01\x02", at + 4)) {
        if (bytes.compare(at + 46, 17, "word/document.xml") == 0)
            bytes[at + 24] = '\x10', bytes[at + 25] = 0, bytes[at + 26] = 0, bytes[at + 27] = 0;
    }
    package = Package::openBytes(bytes, error);
    if (package) {
        EXPECT_FALSE(package->read("word/document.xml", error));
    }
}

} // namespace
