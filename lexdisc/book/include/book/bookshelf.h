// The books found on the discs, the current book, and searching and reading it.
#pragma once

#include <book/blocksource.h>
#include <book/bookfile.h>
#include <book/catalog.h>
#include <book/displaymodel.h>
#include <book/gaiji.h>
#include <book/indexsearch.h>
#include <book/indextable.h>
#include <book/messages.h>
#include <book/searchkey.h>
#include <book/textdecoder.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

namespace yv::book {

// The 16-dot fonts of an open book and the glyphs loaded from them.
struct GaijiFontInfo {
    bool initialised = false;
    std::optional<GaijiFontHeader> full;
    std::optional<GaijiFontHeader> half;
    // Every code tried, with its glyph or nothing when the font could not give one.
    std::unordered_map<std::uint16_t, std::optional<GaijiGlyph>> fullCache;
    std::unordered_map<std::uint16_t, std::optional<GaijiGlyph>> halfCache;
};

struct BookRecord {
    std::filesystem::path catalogPath;  // the catalog named by the setting; empty from the drive scan
    std::filesystem::path catalogFile;  // the catalog file actually read
    std::filesystem::path root;         // mount point, or the setting's directory
    std::filesystem::path subbookDirectory;
    std::filesystem::path textFile;     // found at the first selection
    std::string title;                  // Shift_JIS
    int menuCommand = 0;                // assigned by the window
    std::size_t catalogIndex = 0;
    std::size_t entryIndex = 0;
    std::optional<IndexTable> indexTable;  // loaded on first selection
    GaijiFontInfo gaiji;
};

// What a catalog file looked like when its book was selected.
struct CatalogStamp {
    std::uintmax_t size = 0;
    std::timespec modified{};
    std::timespec changed{};
};

// The one shelf of a viewer: the book list, the current book, the last search's key and hits.
class BookShelf final {
public:
    explicit BookShelf(BookPrompter& prompter) : m_prompter(prompter) {}

    // Builds the lists from the catalog named by the setting when it reads, else from the
    // "catalogs" file in each of the drive roots in order. True when a catalog was found.
    bool LoadBookList(const std::filesystem::path& catalogSetting, const std::vector<std::filesystem::path>& driveRoots);

    const std::vector<BookCatalog>& catalogs() const { return m_catalogs; }
    const std::vector<BookRecord>& books() const { return m_books; }
    const SubbookEntry& entryOf(const BookRecord& book) const;
    std::optional<std::size_t> currentIndex() const { return m_current; }
    const BookRecord* currentBook() const;

    // Makes the book current: its catalog must still exist (its stamp is kept) and its index
    // table must read. On failure the message has been shown.
    bool SelectBook(std::size_t index);
    // Before a search: the current book's catalog must still be the one selected (messages 8,
    // 9); the cached blocks of its text file are checked against the file too.
    bool CheckCatalog();

    // Searches the current book; the hits and the prepared key stay until the next search.
    SearchOutcome Search(std::string_view sjisKey, SearchMethod method);
    const HitList& hits() const { return m_hits; }
    const SearchKey& searchKey() const { return m_key; }
    SearchOutcome lastOutcome() const { return m_lastOutcome; }

    HeadingResult ReadHeading(const HitRecord& hit);
    // The headings of many hits in one pass over the text file, as the hit list is filled.
    std::vector<HeadingResult> ReadHeadings(std::span<const HitRecord> hits);
    // Decodes the entry at the position into the model; on failure the message has been shown.
    bool ReadEntry(TextPosition position, DisplayModel& model);
    // Start of the menu (ids 0x01, else 0x20) or the copyright notice (0x02, else 0x21).
    std::optional<TextPosition> menuPosition() const;
    std::optional<TextPosition> copyrightPosition() const;

    BookFile OpenTextFile() const;

    // While one lives, the current book's text file stays open, so that one command (a search
    // and the filling of its hit list) opens it once. Otherwise each operation opens and
    // closes it: an idle viewer never keeps a disc from being ejected.
    class TextFileHold final {
    public:
        explicit TextFileHold(BookShelf& shelf);
        ~TextFileHold();
        TextFileHold(const TextFileHold&) = delete;
        TextFileHold& operator=(const TextFileHold&) = delete;

    private:
        BookShelf& m_shelf;
    };

    // Height 16, 24, 30 or 48 picks the entry's first to fourth font name.
    BookFile OpenFontFile(int height, bool half) const;
    GaijiAvailability LoadGaiji(std::uint16_t code);
    // A glyph loaded before; null when the font could not give it.
    const GaijiGlyph* glyph(std::uint16_t code, bool half) const;

private:
    bool addCatalog(const std::filesystem::path& file, const std::filesystem::path& root,
                    const std::filesystem::path& settingPath);
    bool loadIndexTable(BookRecord& book);
    void initialiseFonts(BookRecord& book, bool report);
    std::optional<TextPosition> specialPosition(std::uint8_t id, std::uint8_t alternative) const;
    SearchOutcome searchWith(BlockSource& source, std::uint8_t id, std::uint8_t fallback, MatchRule rule);
    GaijiResolver resolver();
    // The held text file, or `scratch` opened for this operation.
    const BookFile& textFile(BookFile& scratch);
    // The block cache is kept while the text file keeps its size and time: checked whenever
    // a book is selected and before each search (CheckCatalog).
    void validateBlockCache();

    BookPrompter& m_prompter;
    std::vector<BookCatalog> m_catalogs;
    std::vector<BookRecord> m_books;
    std::optional<std::size_t> m_current;
    CatalogStamp m_stamp;
    SearchKey m_key;
    HitList m_hits;
    SearchOutcome m_lastOutcome = SearchOutcome::NotFound;
    BlockCache m_blockCache;  // of the current book's text file
    int m_holds = 0;
    std::optional<std::size_t> m_heldFor;
    BookFile m_heldText;
};

} // namespace yv::book
