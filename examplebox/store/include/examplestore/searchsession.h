// The two indexes held open for reading between searches, with where each document file lies
// now, so that a search pays neither the directory load nor a scan of the folders.
#pragma once

#include <examplestore/search.h>
#include <examplestore/store.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::examplestore {

// What presenting needs of the folder tree, copied so that a search can run beside a window
// that edits the tree: folder number -> name (UTF-8).
using FolderNames = std::map<int, std::string>;
FolderNames folderNamesOf(const FolderTree& tree);

class SearchSession final {
public:
    explicit SearchSession(std::filesystem::path dataDir);
    ~SearchSession();
    SearchSession(const SearchSession&) = delete;
    SearchSession& operator=(const SearchSession&) = delete;

    const std::filesystem::path& dataDir() const { return m_dataDir; }

    // The index, opened for reading on first use and kept; reopened when its file was replaced
    // or written since (another program's update). Null when it cannot be opened (missing, or
    // held for writing); an unclean one is rebuilt first.
    exampleindex::IndexHandle* index(IndexKind kind);
    // Closes both: an open reader keeps writers out, so the box lets go before it writes.
    void release();
    // How many times an index file was opened (the cost a warm search avoids).
    int opens() const { return m_opens; }

    // Where a document file of that name lies, as last scanned; the folders are scanned again
    // when the name is unknown or `rescan` says the file was not where it was.
    std::optional<DocumentRef> locate(std::string_view fileName, bool rescan = false);
    std::filesystem::path documentPath(const DocumentRef& document) const;
    // The document's lines as the index numbers them, read once and kept while the file stays
    // as it was; null when it does not open. Valid until the next call.
    const std::vector<std::string>* documentLines(const DocumentRef& document);

private:
    struct Held;
    void scanFolders();

    std::filesystem::path m_dataDir;
    std::unique_ptr<Held> m_held[2];
    std::map<std::string, DocumentRef> m_files;  // file name folded to lower case
    struct CachedDocument;
    std::map<std::string, CachedDocument> m_documents;  // by path
    std::size_t m_cachedBytes = 0;
    bool m_scanned = false;
    int m_opens = 0;
};

// The search through a session: hits of Search.idx, then of User.idx, presented as
// searchExamples does. `stop` is polled between hits; a stopped search reports Stopped and
// keeps what it gathered.
SearchResult searchExamples(SearchSession& session, const FolderNames& folders, std::string_view key, bool markKey,
                            const exampleindex::ProgressFn& progress = {}, const std::atomic<bool>* stop = nullptr);

} // namespace yv::examplestore
