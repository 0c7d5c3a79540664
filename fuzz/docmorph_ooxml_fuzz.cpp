// Fuzzes the OOXML loaders and walks. Input starting with "PK" is taken as a whole package;
// other input gives the XML of the main parts of a well-formed package (parts separated by
// two 0x01 bytes; the first byte picks a document, a presentation or a workbook), so that the
// models and the write-back are reached without a valid zip to guess.
#include <docmorph/package.h>
#include <docmorph/sheetmodel.h>
#include <docmorph/slidemodel.h>
#include <docmorph/wordmodel.h>

#include <zip.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace yv::docmorph;

const char* const kRels = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";

std::string rel(const std::string& id, const std::string& type, const std::string& target)
{
    return R"(<Relationship Id=")" + id + R"(" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/)"
           + type + R"(" Target=")" + target + R"("/>)";
}

std::string zipOf(const std::vector<std::pair<std::string, std::string>>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        return {};
    zip_source_keep(buffer);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!zip) {
        zip_source_free(buffer);
        return {};
    }
    for (const auto& [name, bytes] : entries)
        zip_file_add(zip, name.c_str(), zip_source_buffer(zip, bytes.data(), bytes.size(), 0), 0);
    std::string out;
    if (zip_close(zip) == 0 && zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        out.resize(static_cast<std::size_t>(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, out.data(), out.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
}

std::string packageOf(std::uint8_t kind, std::vector<std::string> parts)
{
    parts.resize(3);
    switch (kind % 3) {
    case 0:
        return zipOf({{"_rels/.rels", kRels + rel("r", "officeDocument", "word/document.xml") + "</Relationships>"},
                      {"word/document.xml", parts[0]}});
    case 1:
        return zipOf({{"_rels/.rels", kRels + rel("r", "officeDocument", "ppt/presentation.xml") + "</Relationships>"},
                      {"ppt/presentation.xml",
                       R"(<p:presentation xmlns:p="p" xmlns:r="r"><p:sldIdLst><p:sldId r:id="a"/><p:sldId r:id="b"/></p:sldIdLst></p:presentation>)"},
                      {"ppt/_rels/presentation.xml.rels",
                       kRels + rel("a", "slide", "slides/1.xml") + rel("b", "slide", "../ppt/slides/2.xml") + "</Relationships>"},
                      {"ppt/slides/1.xml", parts[0]},
                      {"ppt/slides/2.xml", parts[1]}});
    default:
        return zipOf({{"_rels/.rels", kRels + rel("r", "officeDocument", "xl/workbook.xml") + "</Relationships>"},
                      {"xl/workbook.xml", R"(<workbook xmlns:r="r"><sheets><sheet r:id="a"/><sheet r:id="b"/></sheets></workbook>)"},
                      {"xl/_rels/workbook.xml.rels", kRels + rel("a", "worksheet", "s1.xml") + rel("b", "worksheet", "s2.xml")
                                                         + rel("c", "sharedStrings", "strings.xml") + "</Relationships>"},
                      {"xl/s1.xml", parts[0]},
                      {"xl/s2.xml", parts[1]},
                      {"xl/strings.xml", parts[2]}});
    }
}

void exercise(Package& package)
{
    std::string error;
    if (auto document = WordDocument::load(package, error)) {
        for (std::size_t i = 0; i < document->paragraphCount(); ++i) {
            auto paragraph = document->paragraph(i);
            for (std::size_t unit = paragraph.units.size(); unit-- > 0;) {
                (void)WordDocument::text(paragraph, unit);
                document->replace(paragraph, unit, "new\vtext\tof\fthe\x0eunit");
            }
            auto again = document->paragraph(i);
            for (std::size_t unit = 0; unit < again.units.size(); ++unit)
                (void)WordDocument::text(again, unit);
        }
    }
    if (auto deck = SlideDeck::load(package, error)) {
        for (std::size_t slide = 0; slide < deck->slideCount(); ++slide) {
            (void)deck->shapeCount(slide);
            for (auto body : deck->textBodies(slide)) {
                (void)SlideDeck::text(body);
                deck->setText(slide, body, "one\rtwo\vthree");
                (void)SlideDeck::text(body);
            }
        }
    }
    if (auto book = Workbook::load(package, error)) {
        for (std::size_t sheet = 0; sheet < book->sheetCount(); ++sheet) {
            (void)book->contentProtected(sheet);
            (void)book->usedRange(sheet);
            for (const auto& cell : book->cells(sheet)) {
                (void)book->kind(cell);
                if (book->stringValue(cell))
                    book->setString(sheet, cell, "new\ncell");
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size == 0)
        return 0;
    if (bytes.compare(0, 2, "PK") != 0) {
        std::vector<std::string> parts;
        std::size_t start = 1;
        while (parts.size() < 3) {
            const auto at = bytes.find("\x01\x01", start);
            parts.push_back(bytes.substr(start, at == std::string::npos ? std::string::npos : at - start));
            if (at == std::string::npos)
                break;
            start = at + 2;
        }
        bytes = packageOf(data[0], std::move(parts));
    }
    PackageLimits limits;
    limits.maxPartBytes = 1u << 20;
    limits.maxTotalBytes = 4u << 20;
    std::string error;
    if (auto package = Package::openBytes(std::move(bytes), error, limits))
        exercise(*package);
    return 0;
}
