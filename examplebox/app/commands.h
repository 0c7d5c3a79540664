// The example box's commands as the user meets them: the store's operations with their
// refusals and questions in message boxes, and the search command.
#pragma once

#include <Etc.h>

#include <examplestore/search.h>
#include <examplestore/store.h>

#include <filesystem>
#include <string>
#include <vector>

namespace yv::samplebox {

using examplestore::ListEntry;
using examplestore::NodeId;

// The data directory named by the settings ("例文" / "Path"); empty when there is none.
std::filesystem::path configuredDataDir();
// The data directory of the machine's settings (the shipped examples); empty when there is none.
std::filesystem::path machineDataDir();
// Whether a data directory holds a store that can be searched (it has a Search.idx).
bool isSetUp(const std::filesystem::path& dataDir);

// Node ids that are no longer in the tree (a stale selection) make a command do nothing.
class SampleCommands final {
public:
    explicit SampleCommands(examplestore::SampleStore& store, WindowHandle owner = 0);

    // The new folder (to be named by the user), or kNoNode.
    NodeId createFolder(NodeId parent);
    bool renameFolder(NodeId folder, const std::string& name);
    bool renameEntry(const ListEntry& entry, const std::string& name);
    // Asks first; the folder to select afterwards (the parent), or kNoNode when nothing was done.
    NodeId deleteFolder(NodeId folder);
    // A drop on the recycle bin deletes the folder (with the question).
    bool moveFolder(NodeId folder, NodeId target);
    // List entries dropped on a folder: documents move, folders move as folders.
    void dropEntries(const std::vector<ListEntry>& entries, NodeId target);
    // Into the recycle bin, or for good when `shownFolder` is the recycle bin.
    bool deleteEntries(NodeId shownFolder, const std::vector<ListEntry>& entries,
                       const examplestore::StoreProgress& progress = {});
    // Files chosen or dropped, each with its own question; a directory stops the rest.
    std::vector<ListEntry> addFiles(NodeId folder, const std::vector<std::filesystem::path>& files,
                                    const examplestore::StoreProgress& progress = {});
    // Remembers the key in the history, searches, and reports a result text that overflowed.
    examplestore::SearchResult search(const std::string& key, bool markKey,
                                      const exampleindex::ProgressFn& progress = {});

private:
    void refuse(examplestore::Refusal refusal) const;
    bool confirmed(int answer) const;

    examplestore::SampleStore& m_store;
    WindowHandle m_owner;
};

// "[%d]文 / [%d]文書ヒット"
std::string hitCountsText(const examplestore::SearchResult& result);

} // namespace yv::samplebox
