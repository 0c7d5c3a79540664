// The example store: one data directory holding the folder tree (base.dat), a directory "fd%03d"
// per folder number with documents "%08d.sam", and the indexes Search.idx and User.idx.
#pragma once

#include <examplestore/foldertree.h>

#include <exampleindex/index.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace yv::examplestore {

inline constexpr std::string_view kTreeFileName = "base.dat";
inline constexpr std::string_view kShippedIndexName = "Search.idx";
inline constexpr std::string_view kUserIndexName = "User.idx";

// Documents numbered up to this are the shipped set, indexed in Search.idx; the user's get
// higher numbers and live in User.idx.
inline constexpr int kLastShippedDocument = 10000;
// Document numbers live in the low half of a SampleRef.
inline constexpr int kMaxDocumentNumber = 0xFFFF;
// A user's file larger than this is not taken as a document.
inline constexpr std::size_t kMaxDocumentBytes = 64u << 20;

enum class IndexKind { Shipped, User };
IndexKind indexKindFor(int documentNumber);
std::string_view indexFileName(IndexKind kind);

// A document or folder as a list entry carries it: folder number in the high 16 bits and
// document number in the low 16 bits; a high half of 0xFFFF marks a sub-folder entry.
using SampleRef = std::uint32_t;
inline constexpr std::uint32_t kFolderEntryMark = 0xFFFF;
constexpr SampleRef documentRef(int folder, int document)
{
    return (static_cast<std::uint32_t>(folder & 0xFFFF) << 16) | static_cast<std::uint32_t>(document & 0xFFFF);
}
constexpr SampleRef folderEntryRef(int folder)
{
    return (kFolderEntryMark << 16) | static_cast<std::uint32_t>(folder & 0xFFFF);
}

struct DocumentRef {
    int folder = kNoFolderNumber;
    std::string fileName;  // as found on disk, normally "%08d.sam"
    int number() const;    // the file name read as a decimal number
};

struct ListEntry {
    bool isFolder = false;
    std::string name;      // the folder's name or the document's title (UTF-8)
    SampleRef ref = 0;
    NodeId node = kNoNode; // folder entries
    DocumentRef document;  // document entries
};

enum class Refusal {
    None,
    NothingToDo,
    NameTooLong,
    NameHasQuote,
    FolderCannotBeRenamed,
    NameExists,
    DocumentCannotBeRenamed,
    FolderCannotBeDeleted,
    RecycleBinCannotBeDeleted,
    FolderCannotBeMoved,
    SameNameAtTarget,
    TargetInsideSource,
    TopLevelAdd,
    FolderHoldsNoDocuments,
    DirectoryGiven,
    NotADocument,          // the text takes the file's path: messages::kNotADocumentFormat
    NoFolderNumberLeft,
};
// The message of a refusal (empty for None, NothingToDo and NotADocument).
std::string_view refusalText(Refusal refusal);

// Index work reports a status line and a percentage.
struct StoreProgress {
    std::function<void(std::string_view)> status;
    exampleindex::ProgressFn percent;
};

// A document's title when the Shift_JIS text is a document: a first line (the title, maybe
// empty), then a second line of white space only, or none.
std::optional<std::string> documentTitle(std::string_view cp932);

// A user's file made ready to be added: its text converted to Shift_JIS.
struct PreparedDocument {
    std::string title;  // UTF-8
    std::string bytes;  // Shift_JIS
};

class SampleStore final {
public:
    // Reads base.dat; a missing or empty tree becomes a top folder "例文" with the recycle bin.
    explicit SampleStore(std::filesystem::path dataDir);

    const std::filesystem::path& dataDir() const { return m_dataDir; }
    FolderTree& tree() { return m_tree; }
    const FolderTree& tree() const { return m_tree; }
    // Writes the tree back to base.dat (whole file, atomically).
    bool save() const;

    std::filesystem::path folderDir(int number) const;
    std::filesystem::path documentPath(const DocumentRef& document) const;
    std::filesystem::path indexPath(IndexKind kind) const;

    // The child folders of a folder, then its documents by file name.
    std::vector<ListEntry> list(NodeId folder) const;

    NodeId createFolder(NodeId parent, Refusal* refusal = nullptr);
    Refusal checkRename(NodeId folder, std::string_view name) const;
    void rename(NodeId folder, std::string name);
    Refusal checkDeleteFolder(NodeId folder) const;
    // Moves the documents of the folder and of every folder below it into the recycle bin and
    // removes the nodes (directories stay); returns the parent.
    NodeId deleteFolder(NodeId folder);
    // Dropping on the recycle bin is a deletion, to be checked with checkDeleteFolder instead.
    Refusal checkMoveFolder(NodeId folder, NodeId target) const;
    void moveFolder(NodeId folder, NodeId target);

    // Moves documents into the target's directory (never over a file of the same name);
    // returns how many moved.
    int moveDocuments(const std::vector<DocumentRef>& documents, NodeId target);
    // A recycle-bin entry among them refuses the whole deletion.
    Refusal checkDeleteEntries(const std::vector<ListEntry>& entries) const;
    // Outside the recycle bin: documents go into it and folders are deleted as above.
    void moveEntriesToRecycleBin(const std::vector<ListEntry>& entries);
    // Inside it: each document leaves the index that holds it (by its number) and its file is
    // deleted. A document whose index exists but cannot be opened for writing is kept, so that
    // no index ever names a missing file. Returns the number of documents deleted.
    int deleteFinally(const std::vector<DocumentRef>& documents, const StoreProgress& progress = {});

    Refusal checkAddTarget(NodeId folder) const;
    // Reads and converts a user's file; a Refusal when it is a directory or not a document.
    std::variant<PreparedDocument, Refusal> prepareDocument(const std::filesystem::path& file) const;
    // Copies the document into the folder under a new number and indexes it in User.idx
    // (a full index leaves it unindexed); nullopt when it could not be stored.
    std::optional<ListEntry> addDocument(NodeId folder, const PreparedDocument& document,
                                         const StoreProgress& progress = {});
    // One more than the largest file number under the data directory, and above the shipped set.
    int nextDocumentNumber() const;

    // Opens an index; one found unclean (a write-back cut short) is rebuilt first.
    exampleindex::OpenResult openIndex(IndexKind kind, exampleindex::Access access,
                                       const exampleindex::ProgressFn& progress = {}) const;
    // Builds the index anew from the documents of every folder directory; replaces the old
    // file only once the new one is complete.
    bool rebuildIndex(IndexKind kind, const exampleindex::ProgressFn& progress = {}) const;

    // Every document file of the folder directories, by folder and file name.
    std::vector<DocumentRef> allDocuments() const;
    // The title of a document file (its first line), UTF-8.
    std::string titleOf(const DocumentRef& document) const;

private:
    std::filesystem::path m_dataDir;
    FolderTree m_tree;
};

} // namespace yv::examplestore
