// The shelf: catalogs to books, selection, search, headings, entries and external characters.
#include <book/bookshelf.h>

#include <book/blocksource.h>

#include <sys/stat.h>

#include <new>

namespace yv::book {

namespace fs = std::filesystem;

namespace {

constexpr const char* kCatalogName = "catalogs";
constexpr const char* kTextFile = "data/honmon";
constexpr const char* kFontDirectory = "gaiji";

std::optional<CatalogStamp> stampOf(const fs::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return CatalogStamp{static_cast<std::uintmax_t>(st.st_size), st.st_mtim, st.st_ctim};
}

bool sameTime(const std::timespec& a, const std::timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

std::string withoutSpaces(std::string_view s)
{
    std::string out;
    for (const char c : s) {
        if (c != ' ')
            out.push_back(c);
    }
    return out;
}

} // namespace

bool BookShelf::addCatalog(const fs::path& file, const fs::path& root, const fs::path& settingPath)
{
    std::optional<BookCatalog> catalog = readCatalogFile(file);
    if (!catalog)
        return false;
    const std::size_t catalogIndex = m_catalogs.size();
    m_catalogs.push_back(std::move(*catalog));
    const BookCatalog& added = m_catalogs.back();
    for (std::size_t i = 0; i < added.entries.size(); ++i) {
        const SubbookEntry& entry = added.entries[i];
        BookRecord& book = m_books.emplace_back();
        book.catalogPath = settingPath;
        book.catalogFile = file;
        book.root = root;
        book.subbookDirectory = root / entry.directoryName().substr(0, kDirectoryNameSize);
        book.title = entry.titleSjis();
        book.catalogIndex = catalogIndex;
        book.entryIndex = i;
    }
    return true;
}

bool BookShelf::LoadBookList(const fs::path& catalogSetting, const std::vector<fs::path>& driveRoots)
{
    m_catalogs.clear();
    m_books.clear();
    m_current.reset();
    m_hits.clear();
    m_blockCache.clear();
    try {
        if (!catalogSetting.empty() && addCatalog(catalogSetting, catalogSetting.parent_path(), catalogSetting))
            return true;
        for (const fs::path& root : driveRoots) {
            if (const auto file = findIgnoringCase(root, kCatalogName))
                addCatalog(*file, root, {});
        }
    } catch (const std::bad_alloc&) {
        m_catalogs.clear();
        m_books.clear();
        m_prompter.report(BookMessage::OutOfMemory, messageIcon(BookMessage::OutOfMemory));
        return false;
    }
    return !m_catalogs.empty();
}

const SubbookEntry& BookShelf::entryOf(const BookRecord& book) const
{
    return m_catalogs[book.catalogIndex].entries[book.entryIndex];
}

const BookRecord* BookShelf::currentBook() const
{
    return m_current ? &m_books[*m_current] : nullptr;
}

bool BookShelf::loadIndexTable(BookRecord& book)
{
    const SubbookEntry& entry = entryOf(book);
    const auto file = findIgnoringCase(book.root, entry.directoryName() + "/" + kTextFile);
    const BookFile text = file ? BookFile(*file) : BookFile();
    if (file)
        book.textFile = *file;
    if (!text.isOpen()) {
        m_prompter.report(BookMessage::TextFileOpen, MessageIcon::Stop);
        return false;
    }
    const std::uint64_t at = TextPosition{entry.indexPage, 0}.fileOffset();
    std::vector<std::uint8_t> data(kIndexTableHeaderSize);
    std::optional<IndexTable> table;
    if (entry.indexPage != 0 && text.readExactly(at, data)) {
        data.resize(kIndexTableHeaderSize + std::size_t{readBe16(data, 0)} * kIndexDescriptorSize);
        if (text.readExactly(at, data))
            table = parseIndexTable(data);
    }
    if (!table) {
        m_prompter.report(BookMessage::IndexTableRead, messageIcon(BookMessage::IndexTableRead));
        return false;
    }
    book.indexTable = std::move(table);
    return true;
}

bool BookShelf::SelectBook(std::size_t index)
{
    if (index >= m_books.size())
        return false;
    BookRecord& book = m_books[index];
    const auto stamp = stampOf(book.catalogFile);
    if (!stamp) {
        m_prompter.report(BookMessage::CatalogMissing, messageIcon(BookMessage::CatalogMissing));
        return false;
    }
    if (!book.indexTable && !loadIndexTable(book))
        return false;
    m_stamp = *stamp;
    if (m_current != index)
        m_blockCache.clear();
    m_current = index;
    validateBlockCache();
    return true;
}

bool BookShelf::CheckCatalog()
{
    const BookRecord* book = currentBook();
    if (!book)
        return false;
    const auto stamp = stampOf(book->catalogFile);
    if (!stamp) {
        m_prompter.report(BookMessage::CatalogMissing, messageIcon(BookMessage::CatalogMissing));
        return false;
    }
    if (stamp->size != m_stamp.size || !sameTime(stamp->modified, m_stamp.modified)
        || !sameTime(stamp->changed, m_stamp.changed)) {
        m_prompter.report(BookMessage::CatalogChanged, messageIcon(BookMessage::CatalogChanged));
        return false;
    }
    validateBlockCache();
    return true;
}

void BookShelf::validateBlockCache()
{
    const BookFile text = OpenTextFile();
    m_blockCache.validate(text.stamp());
}

BookFile BookShelf::OpenTextFile() const
{
    const BookRecord* book = currentBook();
    if (!book)
        return {};
    if (!book->textFile.empty()) {
        BookFile text(book->textFile);
        if (text.isOpen())
            return text;
    }
    // Found afresh in case the disc was copied or mounted again meanwhile.
    const auto file = findIgnoringCase(book->root, entryOf(*book).directoryName() + "/" + kTextFile);
    return file ? BookFile(*file) : BookFile();
}

BookFile BookShelf::OpenFontFile(int height, bool half) const
{
    const BookRecord* book = currentBook();
    if (!book)
        return {};
    std::size_t which = 0;
    switch (height) {
    case 16: which = 0; break;
    case 24: which = 1; break;
    case 30: which = 2; break;
    case 48: which = 3; break;
    default: return {};
    }
    const SubbookEntry& entry = entryOf(*book);
    const std::string name = withoutSpaces(half ? entry.halfFontNames[which].data() : entry.fullFontNames[which].data());
    if (name.empty())
        return {};
    const auto file = findIgnoringCase(book->root, withoutSpaces(entry.directoryName() + "/" + kFontDirectory + "/" + name));
    return file ? BookFile(*file) : BookFile();
}

BookShelf::TextFileHold::TextFileHold(BookShelf& shelf) : m_shelf(shelf)
{
    if (m_shelf.m_holds++ == 0) {
        m_shelf.m_heldText = m_shelf.OpenTextFile();
        m_shelf.m_heldFor = m_shelf.m_current;
    }
}

BookShelf::TextFileHold::~TextFileHold()
{
    if (--m_shelf.m_holds == 0) {
        m_shelf.m_heldText = BookFile();
        m_shelf.m_heldFor.reset();
    }
}

const BookFile& BookShelf::textFile(BookFile& scratch)
{
    if (m_heldText.isOpen() && m_heldFor == m_current)
        return m_heldText;
    scratch = OpenTextFile();
    return scratch;
}

SearchOutcome BookShelf::searchWith(BlockSource& source, std::uint8_t id, std::uint8_t fallback, MatchRule rule)
{
    const IndexTable& table = *currentBook()->indexTable;
    const IndexDescriptor* descriptor = table.find(id);
    if (!descriptor)
        descriptor = table.find(fallback);
    if (!descriptor)
        return SearchOutcome::NotFound;
    normalizeSearchKey(m_key, {table.flagsInForce(*descriptor), descriptor->flag1, descriptor->flag2, descriptor->flag3});
    if (m_key.normalized.empty())
        return SearchOutcome::NotFound;
    const std::function<bool()> ask = [this] { return m_prompter.askKeepHits(); };
    return searchIndex(source, descriptor->startBlock, rule, m_key, m_hits, ask);
}

SearchOutcome BookShelf::Search(std::string_view sjisKey, SearchMethod method)
{
    m_hits.clear();
    m_lastOutcome = SearchOutcome::NotFound;
    try {
        m_key = prepareSearchKey(sjisKey, method);
        const BookRecord* book = currentBook();
        if (!book || !book->indexTable || m_key.keyClass == KeyClass::None)
            return m_lastOutcome;
        BookFile scratch;
        const BookFile& text = textFile(scratch);
        if (!text.isOpen()) {
            m_prompter.report(BookMessage::TextFileOpen, MessageIcon::Exclamation);
            return m_lastOutcome = SearchOutcome::ReadError;
        }
        FileBlockSource source(text, &m_blockCache);
        const KeyClass k = m_key.keyClass;
        SearchOutcome outcome;
        if (method == SearchMethod::Forward) {
            const std::uint8_t exact = k == KeyClass::Kana ? IndexId::ExactKana
                                     : k == KeyClass::Alphabet ? IndexId::ExactAlphabet : IndexId::ExactOther;
            outcome = searchWith(source, exact, IndexId::ExactOther, MatchRule::Exact);
            if (outcome == SearchOutcome::NotFound) {
                const std::uint8_t forward = k == KeyClass::Kana ? IndexId::ForwardKana
                                           : k == KeyClass::Alphabet ? IndexId::ForwardAlphabet : IndexId::ForwardOther;
                outcome = searchWith(source, forward, IndexId::ForwardOther, MatchRule::Prefix);
            }
        } else {
            const std::uint8_t backward = k == KeyClass::Kana ? IndexId::BackwardKana
                                        : k == KeyClass::Alphabet ? IndexId::BackwardAlphabet : IndexId::BackwardOther;
            outcome = searchWith(source, backward, IndexId::BackwardOther, MatchRule::Prefix);
        }
        if (outcome == SearchOutcome::ReadError) {
            // Index pages that cannot be read or make no sense: say so rather than "not found".
            m_hits.clear();
            m_prompter.report(BookMessage::ResultRead, messageIcon(BookMessage::ResultRead));
        }
        m_lastOutcome = outcome;
    } catch (const std::bad_alloc&) {
        m_hits.clear();
        m_prompter.report(BookMessage::OutOfMemory, messageIcon(BookMessage::OutOfMemory));
        m_lastOutcome = SearchOutcome::ReadError;
    }
    return m_lastOutcome;
}

HeadingResult BookShelf::ReadHeading(const HitRecord& hit)
{
    return std::move(ReadHeadings(std::span<const HitRecord>(&hit, 1)).front());
}

std::vector<HeadingResult> BookShelf::ReadHeadings(std::span<const HitRecord> hits)
{
    std::vector<HeadingResult> results(hits.size());
    BookFile scratch;
    const BookFile& text = textFile(scratch);
    if (!text.isOpen()) {
        m_prompter.trace("openHonmon error\n");
        for (HeadingResult& result : results) {
            result.error = kHeadingFileError;
            result.diagnostic = "openHonmon error\n";
        }
        return results;
    }
    if (m_current)
        initialiseFonts(m_books[*m_current], false);
    FileBlockSource source(text, &m_blockCache);
    const GaijiResolver fonts = resolver();
    for (std::size_t i = 0; i < hits.size(); ++i) {
        results[i] = decodeHeading(source, hits[i], fonts);
        if (results[i].error != kHeadingOk)
            m_prompter.trace(results[i].diagnostic);
    }
    return results;
}

bool BookShelf::ReadEntry(TextPosition position, DisplayModel& model)
{
    model.clear();
    if (!m_current)
        return false;
    BookFile scratch;
    const BookFile& text = textFile(scratch);
    if (!text.isOpen()) {
        m_prompter.report(BookMessage::TextFileOpen, MessageIcon::Exclamation);
        return false;
    }
    initialiseFonts(m_books[*m_current], true);
    FileBlockSource source(text, &m_blockCache);
    DecodeStatus status = DecodeStatus::ReadError;
    try {
        status = decodeEntry(source, position, resolver(), model);
    } catch (const std::bad_alloc&) {
        model.clear();
        m_prompter.report(BookMessage::OutOfMemory, messageIcon(BookMessage::OutOfMemory));
        return false;
    }
    if (status != DecodeStatus::Ok) {
        m_prompter.report(BookMessage::ResultRead, messageIcon(BookMessage::ResultRead));
        return false;
    }
    return true;
}

std::optional<TextPosition> BookShelf::specialPosition(std::uint8_t id, std::uint8_t alternative) const
{
    const BookRecord* book = currentBook();
    if (!book || !book->indexTable)
        return std::nullopt;
    const IndexDescriptor* d = book->indexTable->find(id);
    if (!d)
        d = book->indexTable->find(alternative);
    if (!d)
        return std::nullopt;
    return TextPosition{d->startBlock, 0};
}

std::optional<TextPosition> BookShelf::menuPosition() const
{
    return specialPosition(IndexId::Menu, IndexId::MenuAlternative);
}

std::optional<TextPosition> BookShelf::copyrightPosition() const
{
    return specialPosition(IndexId::Copyright, IndexId::CopyrightAlternative);
}

void BookShelf::initialiseFonts(BookRecord& book, bool report)
{
    if (book.gaiji.initialised)
        return;
    bool broken = false;
    for (const bool half : {false, true}) {
        const BookFile font = OpenFontFile(kGlyphHeight, half);
        if (!font.isOpen())
            continue;  // a book without this font is no error
        std::array<std::uint8_t, kFontHeaderSize> header{};
        std::optional<GaijiFontHeader> parsed;
        if (font.readExactly(0, header))
            parsed = parseFontHeader(header);
        if (!parsed)
            broken = true;
        (half ? book.gaiji.half : book.gaiji.full) = parsed;
    }
    if (broken && !report)
        return;  // the message belongs to displaying an entry: try again then
    book.gaiji.initialised = true;
    if (broken)
        m_prompter.report(BookMessage::GaijiInit, messageIcon(BookMessage::GaijiInit));
}

GaijiAvailability BookShelf::LoadGaiji(std::uint16_t code)
{
    GaijiAvailability available;
    if (!m_current)
        return available;
    BookRecord& book = m_books[*m_current];
    for (const bool half : {false, true}) {
        auto& cache = half ? book.gaiji.halfCache : book.gaiji.fullCache;
        auto it = cache.find(code);
        if (it == cache.end()) {
            std::optional<GaijiGlyph> glyph;
            const std::optional<GaijiFontHeader>& font = half ? book.gaiji.half : book.gaiji.full;
            if (font) {
                if (const std::uint32_t ordinal = glyphOrdinal(*font, code)) {
                    const BookFile file = OpenFontFile(kGlyphHeight, half);
                    std::vector<std::uint8_t> data(font->glyphSize());
                    if (file.readExactly(kGlyphDataOffset + std::uint64_t{ordinal - 1} * data.size(), data))
                        glyph = makeGlyph(*font, data, half);
                }
            }
            it = cache.emplace(code, std::move(glyph)).first;
        }
        (half ? available.half : available.full) = it->second.has_value();
    }
    return available;
}

const GaijiGlyph* BookShelf::glyph(std::uint16_t code, bool half) const
{
    const BookRecord* book = currentBook();
    if (!book)
        return nullptr;
    const auto& cache = half ? book->gaiji.halfCache : book->gaiji.fullCache;
    const auto it = cache.find(code);
    return it != cache.end() && it->second ? &*it->second : nullptr;
}

GaijiResolver BookShelf::resolver()
{
    return [this](std::uint16_t code) { return LoadGaiji(code); };
}

} // namespace yv::book
