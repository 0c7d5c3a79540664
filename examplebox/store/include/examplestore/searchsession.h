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

    // Where a document file of that name lies now; the folders are scanned again once when the
    // name is unknown or its file moved away.
    std::optional<DocumentRef> locate(std::string_view fileName);
    std::filesystem::path documentPath(const DocumentRef& document) const;

private:
    struct Held;
    void scanFolders();

    std::filesystem::path m_dataDir;
    std::unique_ptr<Held> m_held[2];
    std::map<std::string, DocumentRef> m_files;  // file name folded to lower case
    bool m_scanned = false;
    int m_opens = 0;
};

// The search through a session: hits of Search.idx, then of User.idx, presented as
// searchExamples does. `stop` is polled between hits; a stopped search reports Stopped and
// keeps what it gathered.
SearchResult searchExamples(SearchSession& session, const FolderNames& folders, std::string_view key, bool markKey,
                            const exampleindex::ProgressFn& progress = {}, const std::atomic<bool>* stop = nullptr);

} // namespace yv::examplestore
