// The example-sentence index: a block file of posting lists per character and per word, with the
// documents it covers; opened, updated, searched and written back through an IndexHandle.
#pragma once

#include <exampleindex/posting.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace yv::exampleindex {

namespace Internal {
struct IndexState;
}

enum class Access { Read, ReadWrite };

// Why OpenIndex failed; the numbers are the ones the box knows.
enum class OpenError : int {
    None = 0,
    CannotOpen = 1,        // missing (for reading), not a file, or in use (a writer excludes everyone)
    OutOfMemory = 2,
    HeaderUnreadable = 3,
    WrongMagic = 5,
    DirectoryUnreadable = 6,      // character directory or word table (or, for writing, the free list)
    DocumentTableUnreadable = 7,
    Unclean = 8,           // a write-back was cut short (crash): rebuild the index from its documents
};

// CloseIndex: everything was written, or a write failed (the index is then marked unclean).
inline constexpr int kCloseOk = 0;
inline constexpr int kCloseWriteFailed = 4;

// Receives progress from 0 to 100; the box turns it into its progress bar.
using ProgressFn = std::function<void(int percent)>;

class IndexHandle;

struct OpenResult {
    std::unique_ptr<IndexHandle> handle;  // null on error
    OpenError error = OpenError::None;
};

// A reading open shares the file with other readers; a writing open is exclusive, and creates
// an empty index when the file does not exist.
OpenResult OpenIndex(const std::filesystem::path& path, Access access);

// Indexes one sample document: its document id, or -1 (not writable, table of kMaxDocuments
// full, file unreadable). Japanese lines are indexed by character, English lines by word.
int AddDocument(IndexHandle& handle, const std::filesystem::path& document, const ProgressFn& progress = {});

// Removes every posting of the document and empties its slot; false for an empty slot.
bool RemoveDocument(IndexHandle& handle, int id, const ProgressFn& progress = {});

// The id of the document whose stored path ends in `fileName` (letters compared without case), or -1.
int FindDocument(const IndexHandle& handle, std::string_view fileName);

// Writes a writing handle back (reusing blocks) and frees the handle: kCloseOk or kCloseWriteFailed.
// A handle destroyed without CloseIndex leaves the file as it was opened.
int CloseIndex(std::unique_ptr<IndexHandle> handle, const ProgressFn& progress = {});

// Enumerates the postings that start an occurrence of the Shift_JIS key: first as a phrase of
// characters (Japanese lines), then as a phrase of words (English lines, without case), each
// phase in ascending posting order. AddDocument and RemoveDocument end an enumeration.
std::optional<Posting> FirstHit(IndexHandle& handle, std::string_view key);
std::optional<Posting> NextHit(IndexHandle& handle);

class IndexHandle final {
public:
    ~IndexHandle();
    IndexHandle(const IndexHandle&) = delete;
    IndexHandle& operator=(const IndexHandle&) = delete;

    // Slots of the document table, empty ones included.
    int documentSlots() const;
    // The path stored for a document id; empty for an empty slot or an id out of range.
    std::string documentPath(int id) const;

private:
    explicit IndexHandle(std::unique_ptr<Internal::IndexState> state);

    std::unique_ptr<Internal::IndexState> d;

    friend OpenResult OpenIndex(const std::filesystem::path&, Access);
    friend int AddDocument(IndexHandle&, const std::filesystem::path&, const ProgressFn&);
    friend bool RemoveDocument(IndexHandle&, int, const ProgressFn&);
    friend int FindDocument(const IndexHandle&, std::string_view);
    friend int CloseIndex(std::unique_ptr<IndexHandle>, const ProgressFn&);
    friend std::optional<Posting> FirstHit(IndexHandle&, std::string_view);
    friend std::optional<Posting> NextHit(IndexHandle&);
};

} // namespace yv::exampleindex
