// The three conversions: extraction, translation and write-back, with the stop flag tested
// between steps and between units.
#include "docmorph/conversion.h"

#include "docmorph/blockfile.h"
#include "docmorph/legacy.h"
#include "docmorph/package.h"
#include "docmorph/sheetmodel.h"
#include "docmorph/slidemodel.h"
#include "docmorph/wordmodel.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace yv::docmorph {

namespace fs = std::filesystem;

namespace {

// Progress is posted when its value changes: the caller sees every percentage, without a
// message for each of ten thousand cells.
class Progress final {
public:
    explicit Progress(Host& host) : m_host(host) {}
    void operator()(long long percent)
    {
        if (percent == m_last)
            return;
        m_last = percent;
        m_host.postProgress(static_cast<int>(percent));
    }

private:
    Host& m_host;
    long long m_last = -1;
};

struct TempFiles {
    fs::path blocks;
    fs::path translated;
    void removeBlocks()
    {
        std::error_code ec;
        if (!blocks.empty())
            fs::remove(blocks, ec);
    }
    void removeAll()
    {
        removeBlocks();
        std::error_code ec;
        if (!translated.empty())
            fs::remove(translated, ec);
    }
};

std::optional<TempFiles> takeTempFiles(Host& host)
{
    auto blocks = host.tempFile(".htm");
    auto translated = host.tempFile(".htm");
    if (!blocks || !translated) {
        TempFiles partial{blocks.value_or(fs::path()), translated.value_or(fs::path())};
        partial.removeAll();
        return std::nullopt;
    }
    return TempFiles{*blocks, *translated};
}

// An empty reader (as after a missing translation file) gives no blocks at all.
BlockReader readerOf(const fs::path& translated, Layout layout)
{
    auto reader = BlockReader::load(translated, layout);
    return reader ? std::move(*reader) : BlockReader(std::string(), layout);
}

}  // namespace

bool outputWritable(const fs::path& output)
{
    struct stat status;
    if (::stat(output.c_str(), &status) != 0)
        return true;
    // A file without write permission is read-only for every user of the suite, even one
    // whom the system would let write it.
    return (status.st_mode & 0222) != 0 && ::access(output.c_str(), W_OK) == 0;
}

namespace {

bool saveTo(Host& host, Package& package, const fs::path& output)
{
    std::string error;
    if (!outputWritable(output) || !package.save(output, error)) {
        host.trace("docmorph: " + (error.empty() ? output.string() + " is read-only" : error) + "\n");
        host.message(saveFailedMessage(output));
        return false;
    }
    return true;
}

std::unique_ptr<Package> openPackage(Host& host, const fs::path& path)
{
    std::string error;
    auto package = Package::openFile(path, error);
    if (!package) {
        host.trace("docmorph: " + path.string() + ": " + error + "\n");
        host.message(openFailedMessage(path));
    }
    return package;
}

template <typename Model>
std::unique_ptr<Model> loadModel(Host& host, Package& package, const fs::path& path)
{
    std::string error;
    auto model = Model::load(package, error);
    if (!model) {
        host.trace("docmorph: " + path.string() + ": " + error + "\n");
        host.message(openFailedMessage(path));
    }
    return model;
}

// The walks. Extraction and write-back go through the same units in the same order.

void walkWord(Host& host, WordDocument& document, BlockWriter* writer, BlockReader* reader)
{
    Progress progress(host);
    const std::size_t n = document.paragraphCount();
    for (std::size_t i = 0; i < n; ++i) {
        progress(static_cast<long long>(100 * (i + 1) / n));
        if (host.stopRequested())
            return;
        auto paragraph = document.paragraph(i);
        if (writer) {
            for (std::size_t unit = 0; unit < paragraph.units.size(); ++unit)
                writer->add(WordDocument::text(paragraph, unit));
            continue;
        }
        std::vector<std::optional<std::string>> blocks;
        for (std::size_t unit = 0; unit < paragraph.units.size(); ++unit)
            blocks.push_back(reader->next());
        for (std::size_t unit = paragraph.units.size(); unit-- > 0;)
            if (blocks[unit] && !blocks[unit]->empty())
                document.replace(paragraph, unit, *blocks[unit]);
    }
}

void walkSlides(Host& host, SlideDeck& deck, BlockWriter* writer, BlockReader* reader)
{
    Progress progress(host);
    const std::size_t n = deck.slideCount();
    for (std::size_t i = 0; i < n; ++i) {
        progress(static_cast<long long>(100 * (i + 1) / n));
        if (host.stopRequested())
            return;
        for (auto body : deck.textBodies(i)) {
            if (writer) {
                writer->add(SlideDeck::text(body));
                continue;
            }
            auto block = reader->next();
            if (block && !block->empty())
                deck.setText(i, body, *block);
        }
    }
}

void walkSheets(Host& host, Workbook& book, BlockWriter* writer, BlockReader* reader)
{
    Progress progress(host);
    const std::size_t n = book.sheetCount();
    for (std::size_t i = 0; i < n; ++i) {
        if (host.stopRequested())
            return;
        if (reader)
            host.trace(std::to_string(i + 1) + "/" + std::to_string(n) + "\n");
        if (book.contentProtected(i))
            continue;
        // Only the cells the sheet holds are visited: the others of the used range are empty
        // and are no units, and a sparse sheet must not cost a walk over its whole grid.
        const auto cells = book.cells(i);
        if (cells.empty())
            continue;
        long long c1 = 0;
        for (const auto& cell : cells)
            c1 = std::max<long long>(c1, cell.address.column);
        const long long r1 = cells.back().address.row;
        std::uint32_t stoppedRow = 0;
        for (const auto& cell : cells) {
            if (cell.address.row == stoppedRow)
                continue;
            // The position of the last row would pass 100: it is held there.
            progress(std::min<long long>(100, 100 * (c1 * cell.address.row + cell.address.column) / (c1 * r1)));
            if (host.stopRequested()) {
                stoppedRow = cell.address.row;
                continue;
            }
            auto value = book.stringValue(cell);
            if (!value)
                continue;
            if (writer) {
                writer->add(*value);
                continue;
            }
            auto block = reader->next();
            if (!block)
                return;  // the translation holds fewer blocks: the rest stays as it was
            book.setString(i, cell, *block);
        }
    }
}

} // namespace

std::string openFailedMessage(const fs::path& path)
{
    return path.string() + ": オープンできません。";
}

std::string saveFailedMessage(const fs::path& path)
{
    return path.string() + ": 保存できません。";
}

Kind kindOf(const fs::path& source)
{
    std::string extension = source.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == ".docx")
        return {Application::Word, false, false};
    if (extension == ".doc")
        return {Application::Word, true, false};
    if (extension == ".pptx" || extension == ".ppsx")
        return {Application::Slides, false, false};
    if (extension == ".ppt")
        return {Application::Slides, true, false};
    if (extension == ".xlsx" || extension == ".xlsm")
        return {Application::Sheets, false, false};
    if (extension == ".xls")
        return {Application::Sheets, true, false};
    if (extension == ".xlsb")
        return {Application::Sheets, true, true};
    return {};
}

Outcome convertWord(Host& host, const fs::path& source, const fs::path& output, int direction)
{
    host.setStop(false);
    host.postStage(Stage::Preparing);
    auto package = openPackage(host, source);
    if (!package)
        return {};
    auto document = loadModel<WordDocument>(host, *package, source);
    if (!document || host.stopRequested())
        return {};
    host.postStage(Stage::Reading);
    auto temp = takeTempFiles(host);
    if (!temp)
        return {};
    {
        // The blocks are let go once written: the save must not hold them beside the parts.
        BlockWriter writer(Layout::Word);
        walkWord(host, *document, &writer, nullptr);
        if (!host.stopRequested() && !writer.save(temp->blocks))
            host.setStop(true);
    }
    if (host.stopRequested()) {
        temp->removeAll();
        return {};
    }
    host.postStage(Stage::Translating);
    const int used = host.translate(temp->blocks, temp->translated, direction);
    temp->removeBlocks();
    if (used == -1 || host.stopRequested()) {
        temp->removeAll();
        return {};
    }
    host.postStage(Stage::Writing);
    {
        BlockReader reader = readerOf(temp->translated, Layout::Word);
        walkWord(host, *document, nullptr, &reader);
    }
    temp->removeAll();
    // A stop during write-back leaves the output as the caller copied it.
    if (host.stopRequested())
        return {1, false};
    if (!saveTo(host, *package, output))
        return {};
    return {1, true};
}

Outcome convertSlides(Host& host, const fs::path& output, int direction)
{
    host.setStop(false);
    host.postStage(Stage::Preparing);
    auto package = openPackage(host, output);
    if (!package)
        return {};
    auto deck = loadModel<SlideDeck>(host, *package, output);
    if (!deck)
        return {};
    host.postStage(Stage::Reading);
    auto temp = takeTempFiles(host);
    if (!temp)
        return {};
    int used = -1;
    if (!host.stopRequested()) {
        BlockWriter writer(Layout::Slides);
        walkSlides(host, *deck, &writer, nullptr);
        if (!host.stopRequested() && !writer.save(temp->blocks))
            host.setStop(true);
    }
    if (!host.stopRequested()) {
        host.postStage(Stage::Translating);
        used = host.translate(temp->blocks, temp->translated, direction);
    }
    const bool ran = used != -1;
    if (ran && !host.stopRequested()) {
        host.postStage(Stage::Writing);
        BlockReader reader = readerOf(temp->translated, Layout::Slides);
        walkSlides(host, *deck, nullptr, &reader);
    }
    temp->removeAll();
    // The presentation is saved whatever happened, with what was written so far.
    Outcome outcome{ran && !host.stopRequested() ? 1 : 0, false};
    if (package->changed()) {
        if (!saveTo(host, *package, output))
            return {};
        outcome.saved = true;
    }
    return outcome;
}

Outcome convertSheets(Host& host, const fs::path& output, int direction)
{
    auto temp = takeTempFiles(host);
    if (!temp)
        return {};
    host.setStop(false);
    auto package = openPackage(host, output);
    auto book = package ? loadModel<Workbook>(host, *package, output) : nullptr;
    if (!book) {
        temp->removeAll();
        return {};
    }
    host.postStage(Stage::Reading);
    {
        BlockWriter writer(Layout::Cells);
        walkSheets(host, *book, &writer, nullptr);
        if (!writer.save(temp->blocks)) {
            host.setStop(true);
            temp->removeAll();
            return {};
        }
    }
    Outcome outcome{1, false};
    int used = -1;
    if (!host.stopRequested()) {
        host.postStage(Stage::Translating);
        used = host.translate(temp->blocks, temp->translated, direction);
    }
    if (used != -1 && !host.stopRequested()) {
        host.setStop(false);
        host.postStage(Stage::Writing);
        {
            BlockReader reader = readerOf(temp->translated, Layout::Cells);
            walkSheets(host, *book, nullptr, &reader);
        }
        if (package->changed()) {
            std::string error;
            if (!book->commit(error)) {
                host.trace("docmorph: " + output.string() + ": " + error + "\n");
                host.message(saveFailedMessage(output));
            } else if (saveTo(host, *package, output)) {
                outcome.saved = true;
            }
        }
    }
    temp->removeAll();
    return outcome;
}

int convertDocument(Host& host, const fs::path& source, const fs::path& output, int direction)
{
    const Kind kind = kindOf(source);
    if (kind.application == Application::None)
        return 1;
    if (kind.legacy)
        return convertThroughOfficeSuite(host, kind, source, output, direction);
    switch (kind.application) {
    case Application::Word:
        return convertWord(host, source, output, direction).result;
    case Application::Slides:
        return convertSlides(host, output, direction).result;
    case Application::Sheets:
        return convertSheets(host, output, direction).result;
    case Application::None:
        break;
    }
    return 1;
}

} // namespace yv::docmorph
