// The example box's commands around the store: message boxes, questions and the key history.
#include "commands.h"

#include <examplestore/messages.h>

#include <platform/codec.h>
#include <platform/messagebox.h>

#include <cstdio>
#include <variant>

namespace yv::samplebox {

namespace es = examplestore;
namespace msg = examplestore::messages;
using examplestore::Refusal;

namespace {

constexpr const char* kDataKey = "例文";
constexpr const char* kDataValue = "Path";
constexpr const char* kBoxKey = "例文BOX";
constexpr const char* kHistoryValue = "keys";
constexpr std::size_t kPathBuffer = 4096;

constexpr unsigned kErrorStyle = msgbox::Ok | msgbox::IconExclamation;
constexpr unsigned kQuestionStyle = msgbox::YesNo | msgbox::IconQuestion;

} // namespace

std::filesystem::path configuredDataDir()
{
    char buffer[kPathBuffer];
    GetRegStr(0, kDataKey, kDataValue, buffer, sizeof buffer, "");
    return std::filesystem::path(buffer);
}

std::filesystem::path machineDataDir()
{
    char buffer[kPathBuffer];
    GetRegStr(HKEY_LOCAL_MACHINE, kDataKey, kDataValue, buffer, sizeof buffer, "");
    return std::filesystem::path(buffer);
}

bool isSetUp(const std::filesystem::path& dataDir)
{
    std::error_code ec;
    return !dataDir.empty() && std::filesystem::is_regular_file(dataDir / es::kShippedIndexName, ec);
}

SampleCommands::SampleCommands(es::SampleStore& store, WindowHandle owner)
    : m_store(store)
    , m_owner(owner)
{
}

void SampleCommands::refuse(Refusal refusal) const
{
    const std::string text(es::refusalText(refusal));
    if (!text.empty())
        PrintBox(m_owner, kErrorStyle, "%s", text.c_str());
}

bool SampleCommands::confirmed(int answer) const
{
    return answer == msgbox::IdYes;
}

NodeId SampleCommands::createFolder(NodeId parent)
{
    if (!m_store.tree().isValid(parent))
        return es::kNoNode;
    Refusal refusal = Refusal::None;
    const NodeId created = m_store.createFolder(parent, &refusal);
    refuse(refusal);
    return created;
}

bool SampleCommands::renameFolder(NodeId folder, const std::string& name)
{
    if (!m_store.tree().isValid(folder))
        return false;
    const Refusal refusal = m_store.checkRename(folder, name);
    if (refusal != Refusal::None) {
        refuse(refusal);
        return false;
    }
    m_store.rename(folder, name);
    return true;
}

bool SampleCommands::renameEntry(const ListEntry& entry, const std::string& name)
{
    if (!entry.isFolder) {
        refuse(Refusal::DocumentCannotBeRenamed);
        return false;
    }
    return renameFolder(entry.node, name);
}

NodeId SampleCommands::deleteFolder(NodeId folder)
{
    if (!m_store.tree().isValid(folder))
        return es::kNoNode;
    const Refusal refusal = m_store.checkDeleteFolder(folder);
    if (refusal != Refusal::None) {
        refuse(refusal);
        return es::kNoNode;
    }
    const std::string& name = m_store.tree().node(folder).name;
    if (!confirmed(PrintBox(m_owner, kQuestionStyle, msg::kDeleteFolderFormat, name.c_str())))
        return es::kNoNode;
    return m_store.deleteFolder(folder);
}

bool SampleCommands::moveFolder(NodeId folder, NodeId target)
{
    const auto& tree = m_store.tree();
    if (!tree.isValid(folder) || !tree.isValid(target))
        return false;
    if (target != folder && target != tree.node(folder).parent && tree.isRecycleBin(target))
        return deleteFolder(folder) != es::kNoNode;
    const Refusal refusal = m_store.checkMoveFolder(folder, target);
    if (refusal != Refusal::None) {
        refuse(refusal);
        return false;
    }
    m_store.moveFolder(folder, target);
    return true;
}

void SampleCommands::dropEntries(const std::vector<ListEntry>& entries, NodeId target)
{
    if (!m_store.tree().isValid(target))
        return;
    std::vector<es::DocumentRef> documents;
    for (const auto& entry : entries) {
        if (entry.isFolder)
            moveFolder(entry.node, target);
        else
            documents.push_back(entry.document);
    }
    m_store.moveDocuments(documents, target);
}

bool SampleCommands::deleteEntries(NodeId shownFolder, const std::vector<ListEntry>& entries,
                                   const es::StoreProgress& progress)
{
    if (entries.empty() || !m_store.tree().isValid(shownFolder))
        return false;
    const Refusal refusal = m_store.checkDeleteEntries(entries);
    if (refusal != Refusal::None) {
        refuse(refusal);
        return false;
    }
    const bool inRecycleBin = m_store.tree().isRecycleBin(shownFolder);
    const int count = static_cast<int>(entries.size());
    if (!confirmed(PrintBox(m_owner, kQuestionStyle,
                            inRecycleBin ? msg::kDeleteFinallyFormat : msg::kMoveToRecycleBinFormat, count)))
        return false;
    if (!inRecycleBin) {
        m_store.moveEntriesToRecycleBin(entries);
        return true;
    }
    std::vector<es::DocumentRef> documents;
    std::vector<ListEntry> folders;
    for (const auto& entry : entries) {
        if (entry.isFolder)
            folders.push_back(entry);
        else
            documents.push_back(entry.document);
    }
    m_store.moveEntriesToRecycleBin(folders);
    m_store.deleteFinally(documents, progress);
    return true;
}

std::vector<ListEntry> SampleCommands::addFiles(NodeId folder, const std::vector<std::filesystem::path>& files,
                                                const es::StoreProgress& progress)
{
    std::vector<ListEntry> added;
    if (!m_store.tree().isValid(folder))
        return added;
    const Refusal refusal = m_store.checkAddTarget(folder);
    if (refusal != Refusal::None) {
        refuse(refusal);
        return added;
    }
    for (const auto& file : files) {
        auto prepared = m_store.prepareDocument(file);
        if (const auto* refused = std::get_if<Refusal>(&prepared)) {
            if (*refused == Refusal::DirectoryGiven) {
                refuse(*refused);
                break;
            }
            PrintBox(m_owner, kErrorStyle, msg::kNotADocumentFormat, file.c_str());
            continue;
        }
        const auto& document = std::get<es::PreparedDocument>(prepared);
        if (!confirmed(PrintBox(m_owner, kQuestionStyle, msg::kAddDocumentFormat, file.c_str(), document.title.c_str())))
            continue;
        if (auto entry = m_store.addDocument(folder, document, progress))
            added.push_back(std::move(*entry));
    }
    return added;
}

es::SearchResult SampleCommands::search(const std::string& key, bool markKey, const exampleindex::ProgressFn& progress)
{
    if (!key.empty())
        MemorizeKey(0, kBoxKey, kHistoryValue, key.c_str());
    es::SearchResult result = es::searchExamples(m_store, codec::utf8ToCp932(key), markKey, progress);
    if (result.status == es::SearchStatus::TooManyHits)
        PrintBox(m_owner, kErrorStyle, "%s", std::string(msg::kTooManyHits).c_str());
    return result;
}

std::string hitCountsText(const es::SearchResult& result)
{
    char text[128];
    std::snprintf(text, sizeof text, msg::kHitCountsFormat, result.exampleCount, result.documentCount);
    return text;
}

} // namespace yv::samplebox
