#include "support.h"

#include <zip.h>

#include <cctype>
#include <fstream>
#include <stdexcept>

namespace yv::docmorph::testing {

namespace fs = std::filesystem;

void writeZip(const fs::path& path, const std::vector<std::pair<std::string, std::string>>& entries)
{
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        throw std::runtime_error("cannot create " + path.string());
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(zip, bytes.data(), bytes.size(), 0);
        zip_file_add(zip, name.c_str(), source, ZIP_FL_OVERWRITE);
    }
    if (zip_close(zip) != 0)
        throw std::runtime_error("cannot write " + path.string());
}

std::optional<std::string> readZipEntry(const fs::path& path, const std::string& name)
{
    int error = 0;
    zip_t* zip = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!zip)
        return std::nullopt;
    std::optional<std::string> out;
    zip_stat_t stat;
    if (zip_stat(zip, name.c_str(), 0, &stat) == 0) {
        zip_file_t* file = zip_fopen(zip, name.c_str(), 0);
        std::string data(stat.size, '\0');
        if (file && zip_fread(file, data.data(), data.size()) == static_cast<zip_int64_t>(data.size()))
            out = data;
        if (file)
            zip_fclose(file);
    }
    zip_discard(zip);
    return out;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

namespace {

const std::string kRelsHead = R"(<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)";
const std::string kOfficeDocument = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument";
const std::string kRelBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string packageRels(const std::string& target)
{
    return kRelsHead + R"(<Relationship Id="rId1" Type=")" + kOfficeDocument + R"(" Target=")" + target
           + R"("/></Relationships>)";
}

} // namespace

void writeWordPackage(const fs::path& path, const std::string& bodyXml)
{
    writeZip(path, {{"[Content_Types].xml", "<Types/>"},
                    {"_rels/.rels", packageRels("word/document.xml")},
                    {"word/document.xml",
                     R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                     R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
                     R"(xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing"><w:body>)"
                         + bodyXml + "</w:body></w:document>"},
                    {"word/media/image1.png", "not really a picture"}});
}

void writeSlidesPackage(const fs::path& path, const std::vector<std::string>& shapeTrees)
{
    std::vector<std::pair<std::string, std::string>> entries{{"[Content_Types].xml", "<Types/>"},
                                                             {"_rels/.rels", packageRels("ppt/presentation.xml")}};
    std::string ids;
    std::string rels = kRelsHead;
    for (std::size_t i = 0; i < shapeTrees.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        ids += R"(<p:sldId id=")" + std::to_string(256 + i) + R"(" r:id="rId)" + n + R"("/>)";
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRelBase + R"(slide" Target="slides/slide)" + n
                + R"(.xml"/>)";
        entries.emplace_back("ppt/slides/slide" + n + ".xml",
                             R"(<p:sld xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" )"
                             R"(xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main"><p:cSld><p:spTree>)"
                                 + shapeTrees[i] + "</p:spTree></p:cSld></p:sld>");
    }
    entries.emplace_back("ppt/presentation.xml",
                         R"(<p:presentation xmlns:p="http://schemas.openxmlformats.org/presentationml/2006/main" )"
                         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><p:sldIdLst>)"
                             + ids + "</p:sldIdLst></p:presentation>");
    entries.emplace_back("ppt/_rels/presentation.xml.rels", rels + "</Relationships>");
    writeZip(path, entries);
}

void writeSheetsPackage(const fs::path& path, const std::vector<std::string>& sheetDatas,
                        const std::vector<std::string>& sharedStrings, bool protectSecond)
{
    std::vector<std::pair<std::string, std::string>> entries{{"[Content_Types].xml", "<Types/>"},
                                                             {"_rels/.rels", packageRels("xl/workbook.xml")}};
    std::string sheets;
    std::string rels = kRelsHead + R"(<Relationship Id="rIdS" Type=")" + kRelBase
                       + R"(sharedStrings" Target="sharedStrings.xml"/>)";
    for (std::size_t i = 0; i < sheetDatas.size(); ++i) {
        const std::string n = std::to_string(i + 1);
        sheets += R"(<sheet name="S)" + n + R"(" sheetId=")" + n + R"(" r:id="rId)" + n + R"("/>)";
        rels += R"(<Relationship Id="rId)" + n + R"(" Type=")" + kRelBase + R"(worksheet" Target="worksheets/sheet)"
                + n + R"(.xml"/>)";
        entries.emplace_back("xl/worksheets/sheet" + n + ".xml",
                             R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
                                 + sheetDatas[i] + "</sheetData>"
                                 + (protectSecond && i == 1 ? R"(<sheetProtection sheet="true"/>)" : "")
                                 + "</worksheet>");
    }
    std::string sst = R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" count=")"
                      + std::to_string(sharedStrings.size()) + R"(" uniqueCount=")" + std::to_string(sharedStrings.size())
                      + R"(">)";
    for (const auto& s : sharedStrings)
        sst += "<si><t>" + s + "</t></si>";
    entries.emplace_back("xl/sharedStrings.xml", sst + "</sst>");
    entries.emplace_back("xl/workbook.xml",
                         R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" )"
                         R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets>)"
                             + sheets + "</sheets></workbook>");
    entries.emplace_back("xl/_rels/workbook.xml.rels", rels + "</Relationships>");
    writeZip(path, entries);
}

std::string upperCaseBlocks(const std::string& blockFile)
{
    std::string out;
    for (std::size_t i = 0; i < blockFile.size();) {
        bool mark = false;
        for (const std::string_view tag : {"<PRE->", "</PRE->", "<P>"}) {
            if (blockFile.compare(i, tag.size(), tag) == 0) {
                out += tag;
                i += tag.size();
                mark = true;
                break;
            }
        }
        if (mark)
            continue;
        const unsigned char c = static_cast<unsigned char>(blockFile[i]);
        if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) {
            out.append(blockFile, i, 2);
            i += 2;
            continue;
        }
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&GT;"; break;
        case '&': out += "&amp;"; break;
        case '"': out += "&quot;"; break;
        default: out += static_cast<char>(std::toupper(c));
        }
        ++i;
    }
    return out;
}

void FakeHost::postStage(Stage stage)
{
    stages.push_back(static_cast<int>(stage));
    if (stopAt && *stopAt == stage)
        stop = true;
    m_writing = stage == Stage::Writing;
    if (m_writing)
        progress.clear();
}

void FakeHost::postProgress(int percent)
{
    progress.push_back(percent);
    if (m_writing && static_cast<int>(progress.size()) == stopAtProgressCount)
        stop = true;
}

std::optional<fs::path> FakeHost::tempFile(const char* extension)
{
    fs::create_directories(m_tempDir);
    const fs::path path = m_tempDir / ("_wypts_" + std::to_string(++m_counter) + extension);
    std::ofstream(path).flush();
    return path;
}

int FakeHost::translate(const fs::path& blocks, const fs::path& translated, int direction)
{
    sentBlocks = readFile(blocks);
    if (translateResult == -1)
        return -1;
    std::string out = upperCaseBlocks(sentBlocks);
    if (keepBlocks != static_cast<std::size_t>(-1)) {
        std::size_t at = 0;
        for (std::size_t n = 0; n < keepBlocks && at != std::string::npos; ++n) {
            at = out.find("</PRE->", at);
            if (at != std::string::npos)
                at += 9;
        }
        out.resize(std::min(out.size(), at));
    }
    std::ofstream(translated, std::ios::binary) << out;
    return direction == 0 ? 1 : direction;
}

} // namespace yv::docmorph::testing
