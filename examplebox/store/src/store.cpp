// The example store's folders and documents on disk, and the indexes that cover them.
#include <examplestore/store.h>

#include <examplestore/messages.h>

#include <exampleindex/sampletext.h>

#include <platform/atomicfile.h>
#include <platform/codec.h>
#include <platform/textutil.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <memory>

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

namespace yv::examplestore {

namespace fs = std::filesystem;
namespace ix = exampleindex;

namespace {

constexpr std::string_view kDefaultTopName = "例文";
constexpr int kDefaultTopNumber = 1;
constexpr std::string_view kDocumentExtension = ".sam";
// A new document's file is tried under this many numbers before giving up (others may add at once).
constexpr int kNumberAttempts = 16;

// The decimal number a file name starts with (0 without digits), saturated.
long long leadingNumber(std::string_view name)
{
    long long value = 0;
    for (const char c : name) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), 1LL << 40);
    }
    return value;
}

bool isDocumentFileName(std::string_view name)
{
    return name.size() > kDocumentExtension.size()
           && text::equalsIgnoringAsciiCase(name.substr(name.size() - kDocumentExtension.size()), kDocumentExtension);
}

// "fd" and digits: the folder number, else -1.
int folderNumberOfDirectory(std::string_view name)
{
    if (name.size() < 3 || name.size() > 8 || !name.starts_with("fd"))
        return kNoFolderNumber;
    const std::string_view digits = name.substr(2);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return kNoFolderNumber;
    const long long n = leadingNumber(digits);
    return n <= kMaxFolderNumber ? static_cast<int>(n) : kNoFolderNumber;
}

std::vector<std::string> documentFilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (isDocumentFileName(name) && it->is_regular_file(ec))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void report(const StoreProgress& progress, std::string_view status)
{
    if (progress.status)
        progress.status(status);
}

void report(const StoreProgress& progress, int percent)
{
    if (progress.percent)
        progress.percent(percent);
}

std::string documentFileName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "%08d.sam", number);
    return name;
}

} // namespace

IndexKind indexKindFor(int documentNumber)
{
    return documentNumber <= kLastShippedDocument ? IndexKind::Shipped : IndexKind::User;
}

std::string_view indexFileName(IndexKind kind)
{
    return kind == IndexKind::Shipped ? kShippedIndexName : kUserIndexName;
}

int DocumentRef::number() const
{
    return static_cast<int>(std::min<long long>(leadingNumber(fileName), kMaxDocumentNumber + 1LL));
}

std::string_view refusalText(Refusal refusal)
{
    using namespace messages;
    switch (refusal) {
    case Refusal::None:
    case Refusal::NothingToDo:
    case Refusal::NotADocument: return {};
    case Refusal::NameTooLong: return kNameTooLong;
    case Refusal::NameHasQuote: return kNameHasQuote;
    case Refusal::FolderCannotBeRenamed: return kFolderCannotBeRenamed;
    case Refusal::NameExists: return kNameExists;
    case Refusal::DocumentCannotBeRenamed: return kDocumentCannotBeRenamed;
    case Refusal::FolderCannotBeDeleted: return kFolderCannotBeDeleted;
    case Refusal::RecycleBinCannotBeDeleted: return kRecycleBinCannotBeDeleted;
    case Refusal::FolderCannotBeMoved: return kFolderCannotBeMoved;
    case Refusal::SameNameAtTarget: return kSameNameAtTarget;
    case Refusal::TargetInsideSource: return kTargetInsideSource;
    case Refusal::TopLevelAdd: return kTopLevelAdd;
    case Refusal::FolderHoldsNoDocuments: return kFolderHoldsNoDocuments;
    case Refusal::DirectoryGiven: return kDirectoryGiven;
    case Refusal::NoFolderNumberLeft: return kNoFolderNumberLeft;
    }
    return {};
}

std::optional<std::string> documentTitle(std::string_view cp932)
{
    const auto lines = ix::splitSampleLines(cp932, 2);
    if (lines.empty() || (lines.size() == 2 && !ix::isBlankLine(lines[1])))
        return std::nullopt;
    return codec::cp932ToUtf8(lines[0]);
}

SampleStore::SampleStore(fs::path dataDir)
    : m_dataDir(std::move(dataDir))
{
    if (const auto bytes = files::readWhole(m_dataDir / kTreeFileName))
        m_tree = FolderTree::parse(*bytes);
    if (m_tree.topNodes().empty()) {
        m_tree = FolderTree();
        const NodeId top = m_tree.append(kNoNode, std::string(kDefaultTopName), kDefaultTopNumber);
        m_tree.append(top, std::string(messages::kRecycleBinName), kRecycleBinNumber);
    }
    // A directory left by a folder that is no longer in the tree keeps its number taken, so
    // that a new folder never inherits its files.
    std::error_code ec;
    for (fs::directory_iterator it(m_dataDir, ec), end; !ec && it != end; it.increment(ec)) {
        const int number = folderNumberOfDirectory(it->path().filename().string());
        if (number != kNoFolderNumber && it->is_directory(ec))
            m_tree.reserveNumbersBelow(number + 1);
    }
}

bool SampleStore::save() const
{
    return files::writeAtomically(m_dataDir / kTreeFileName, m_tree.serialize());
}

fs::path SampleStore::folderDir(int number) const
{
    char name[16];
    std::snprintf(name, sizeof name, "fd%03d", number);
    return m_dataDir / name;
}

fs::path SampleStore::documentPath(const DocumentRef& document) const
{
    return folderDir(document.folder) / document.fileName;
}

fs::path SampleStore::indexPath(IndexKind kind) const
{
    return m_dataDir / indexFileName(kind);
}

std::vector<ListEntry> SampleStore::list(NodeId folder) const
{
    std::vector<ListEntry> entries;
    if (!m_tree.isValid(folder))
        return entries;
    for (const NodeId child : m_tree.children(folder)) {
        const FolderNode& n = m_tree.node(child);
        entries.push_back({true, n.name, folderEntryRef(n.number), child, {}});
    }
    const int number = m_tree.node(folder).number;
    if (number == kNoFolderNumber)
        return entries;
    for (const auto& name : documentFilesIn(folderDir(number))) {
        DocumentRef document{number, name};
        ListEntry entry{false, titleOf(document), documentRef(number, document.number()), kNoNode, document};
        entries.push_back(std::move(entry));
    }
    return entries;
}

NodeId SampleStore::createFolder(NodeId parent, Refusal* refusal)
{
    const int number = m_tree.takeFolderNumber();
    if (number == kNoFolderNumber) {
        if (refusal)
            *refusal = Refusal::NoFolderNumberLeft;
        return kNoNode;
    }
    std::error_code ec;
    fs::create_directories(folderDir(number), ec);
    std::vector<std::string> names;
    for (const NodeId child : m_tree.children(parent))
        names.push_back(m_tree.node(child).name);
    if (refusal)
        *refusal = Refusal::None;
    return m_tree.append(parent, newFolderName(names), number);
}

Refusal SampleStore::checkRename(NodeId folder, std::string_view name) const
{
    const FolderNode& n = m_tree.node(folder);
    if (name.empty() || name == n.name)
        return Refusal::NothingToDo;
    if (storedNameLength(name) > kMaxFolderNameBytes)
        return Refusal::NameTooLong;
    if (name.find('"') != std::string_view::npos)
        return Refusal::NameHasQuote;
    if (m_tree.isRecycleBin(folder))
        return Refusal::FolderCannotBeRenamed;
    const auto siblings = n.parent == kNoNode ? m_tree.topNodes() : m_tree.children(n.parent);
    for (const NodeId sibling : siblings) {
        if (sibling != folder && m_tree.node(sibling).name == name)
            return Refusal::NameExists;
    }
    return Refusal::None;
}

void SampleStore::rename(NodeId folder, std::string name)
{
    m_tree.rename(folder, std::move(name));
}

Refusal SampleStore::checkDeleteFolder(NodeId folder) const
{
    if (m_tree.isTopLevel(folder))
        return Refusal::FolderCannotBeDeleted;
    for (const NodeId id : m_tree.subtreeChildrenFirst(folder)) {
        if (m_tree.isRecycleBin(id))
            return Refusal::RecycleBinCannotBeDeleted;
    }
    return Refusal::None;
}

NodeId SampleStore::deleteFolder(NodeId folder)
{
    const NodeId parent = m_tree.node(folder).parent;
    std::error_code ec;
    fs::create_directories(folderDir(kRecycleBinNumber), ec);
    for (const NodeId id : m_tree.subtreeChildrenFirst(folder)) {
        const int number = m_tree.node(id).number;
        if (number == kNoFolderNumber || number == kRecycleBinNumber)
            continue;
        for (const auto& name : documentFilesIn(folderDir(number)))
            files::moveNoReplace(folderDir(number) / name, folderDir(kRecycleBinNumber) / name);
    }
    m_tree.remove(folder);
    return parent;
}

Refusal SampleStore::checkMoveFolder(NodeId folder, NodeId target) const
{
    const FolderNode& moved = m_tree.node(folder);
    if (target == moved.parent || target == folder)
        return Refusal::NothingToDo;
    if (m_tree.isRecycleBin(folder))
        return Refusal::FolderCannotBeMoved;
    for (const NodeId child : m_tree.children(target)) {
        if (m_tree.node(child).name == moved.name)
            return Refusal::SameNameAtTarget;
    }
    if (m_tree.isWithin(target, folder))
        return Refusal::TargetInsideSource;
    return Refusal::None;
}

void SampleStore::moveFolder(NodeId folder, NodeId target)
{
    m_tree.move(folder, target);
}

int SampleStore::moveDocuments(const std::vector<DocumentRef>& documents, NodeId target)
{
    const int number = m_tree.node(target).number;
    if (number == kNoFolderNumber)
        return 0;
    std::error_code ec;
    fs::create_directories(folderDir(number), ec);
    int moved = 0;
    for (const auto& document : documents) {
        if (document.folder != number && files::moveNoReplace(documentPath(document), folderDir(number) / document.fileName))
            ++moved;
    }
    return moved;
}

Refusal SampleStore::checkDeleteEntries(const std::vector<ListEntry>& entries) const
{
    for (const auto& entry : entries) {
        if (entry.isFolder && m_tree.isValid(entry.node) && m_tree.isRecycleBin(entry.node))
            return Refusal::RecycleBinCannotBeDeleted;
    }
    return Refusal::None;
}

void SampleStore::moveEntriesToRecycleBin(const std::vector<ListEntry>& entries)
{
    std::error_code ec;
    fs::create_directories(folderDir(kRecycleBinNumber), ec);
    for (const auto& entry : entries) {
        if (entry.isFolder) {
            if (m_tree.isValid(entry.node) && checkDeleteFolder(entry.node) == Refusal::None)
                deleteFolder(entry.node);
        } else if (entry.document.folder != kRecycleBinNumber) {
            files::moveNoReplace(documentPath(entry.document), folderDir(kRecycleBinNumber) / entry.document.fileName);
        }
    }
}

int SampleStore::deleteFinally(const std::vector<DocumentRef>& documents, const StoreProgress& progress)
{
    enum class State { NotOpened, Open, Missing, Unavailable };
    struct Target {
        State state = State::NotOpened;
        std::unique_ptr<ix::IndexHandle> handle;
    };
    Target targets[2];
    report(progress, 0);
    report(progress, messages::kUpdatingIndex);
    int deleted = 0;
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const DocumentRef& document = documents[i];
        const IndexKind kind = indexKindFor(document.number());
        Target& target = targets[kind == IndexKind::Shipped ? 0 : 1];
        if (target.state == State::NotOpened) {
            std::error_code ec;
            if (!fs::exists(indexPath(kind), ec)) {
                target.state = State::Missing;
            } else {
                auto opened = openIndex(kind, ix::Access::ReadWrite);
                // An index in use (or unclean and not rebuildable) keeps its documents; a damaged
                // one counts as missing, as it does for searching.
                const bool busy = opened.error == ix::OpenError::CannotOpen || opened.error == ix::OpenError::Unclean
                                  || opened.error == ix::OpenError::OutOfMemory;
                target.handle = std::move(opened.handle);
                target.state = target.handle ? State::Open : busy ? State::Unavailable : State::Missing;
            }
        }
        if (target.state == State::Unavailable)
            continue;
        if (target.handle) {
            const int id = ix::FindDocument(*target.handle, document.fileName);
            if (id >= 0)
                ix::RemoveDocument(*target.handle, id);
        }
        std::error_code ec;
        if (fs::remove(documentPath(document), ec))
            ++deleted;
        report(progress, static_cast<int>((i + 1) * 100 / documents.size()));
    }
    report(progress, messages::kWritingIndex);
    for (auto& target : targets) {
        if (target.handle)
            ix::CloseIndex(std::move(target.handle), progress.percent);
    }
    report(progress, std::string_view());
    return deleted;
}

Refusal SampleStore::checkAddTarget(NodeId folder) const
{
    if (m_tree.isTopLevel(folder))
        return Refusal::TopLevelAdd;
    if (m_tree.node(folder).number == kNoFolderNumber)
        return Refusal::FolderHoldsNoDocuments;
    return Refusal::None;
}

std::variant<PreparedDocument, Refusal> SampleStore::prepareDocument(const fs::path& file) const
{
    std::error_code ec;
    if (fs::is_directory(file, ec))
        return Refusal::DirectoryGiven;
    const auto bytes = files::readWhole(file, kMaxDocumentBytes);
    if (!bytes)
        return Refusal::NotADocument;
    std::string cp932 = codec::toCp932(*bytes, codec::detectEncoding(*bytes));
    auto title = documentTitle(cp932);
    if (!title)
        return Refusal::NotADocument;
    return PreparedDocument{std::move(*title), std::move(cp932)};
}

std::optional<ListEntry> SampleStore::addDocument(NodeId folder, const PreparedDocument& document,
                                                  const StoreProgress& progress)
{
    const int folderNumber = m_tree.node(folder).number;
    if (folderNumber == kNoFolderNumber)
        return std::nullopt;
    report(progress, 0);
    report(progress, messages::kUpdating);
    std::error_code ec;
    fs::create_directories(folderDir(folderNumber), ec);
    int number = nextDocumentNumber();
    std::string fileName;
    bool stored = false;
    for (int attempt = 0; !stored && number > 0 && number <= kMaxDocumentNumber && attempt < kNumberAttempts; ++attempt) {
        fileName = documentFileName(number);
        stored = files::writeNew(folderDir(folderNumber) / fileName, document.bytes);
        if (!stored && errno != EEXIST)
            break;
        if (!stored)
            ++number;
    }
    if (!stored) {
        report(progress, std::string_view());
        return std::nullopt;
    }
    auto opened = openIndex(IndexKind::User, ix::Access::ReadWrite);
    if (opened.handle) {
        ix::AddDocument(*opened.handle, folderDir(folderNumber) / fileName, progress.percent);
        report(progress, messages::kWritingIndex);
        ix::CloseIndex(std::move(opened.handle), progress.percent);
    }
    report(progress, std::string_view());
    return ListEntry{false, document.title, documentRef(folderNumber, number), kNoNode, DocumentRef{folderNumber, fileName}};
}

int SampleStore::nextDocumentNumber() const
{
    std::vector<bool> used(kMaxDocumentNumber + 1, false);
    long long largest = 1;
    std::error_code ec;
    fs::recursive_directory_iterator it(m_dataDir, fs::directory_options::skip_permission_denied, ec);
    if (ec)
        return kLastShippedDocument + 1;
    for (const fs::recursive_directory_iterator end; it != end; it.increment(ec)) {
        if (ec)
            break;
        std::error_code typeError;
        if (it->is_directory(typeError))
            continue;
        const long long n = leadingNumber(it->path().filename().string());
        largest = std::max(largest, n);
        if (n <= kMaxDocumentNumber)
            used[static_cast<std::size_t>(n)] = true;
    }
    const long long next = std::max<long long>(largest + 1, kLastShippedDocument + 1);
    if (next <= kMaxDocumentNumber)
        return static_cast<int>(next);
    // Past what a SampleRef can carry: the lowest free user number instead.
    for (int n = kLastShippedDocument + 1; n <= kMaxDocumentNumber; ++n) {
        if (!used[static_cast<std::size_t>(n)])
            return n;
    }
    return -1;
}

ix::OpenResult SampleStore::openIndex(IndexKind kind, ix::Access access, const ix::ProgressFn& progress) const
{
    auto opened = ix::OpenIndex(indexPath(kind), access);
    if (opened.error == ix::OpenError::Unclean && rebuildIndex(kind, progress))
        opened = ix::OpenIndex(indexPath(kind), access);
    return opened;
}

bool SampleStore::rebuildIndex(IndexKind kind, const ix::ProgressFn& progress) const
{
    static std::atomic<unsigned> counter{0};
    const fs::path target = indexPath(kind);
    fs::path building = target;
    building += ".rebuild-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    auto opened = ix::OpenIndex(building, ix::Access::ReadWrite);
    if (!opened.handle)
        return false;
    std::vector<DocumentRef> documents = allDocuments();
    std::erase_if(documents, [kind](const DocumentRef& d) { return indexKindFor(d.number()) != kind; });
    for (std::size_t i = 0; i < documents.size(); ++i) {
        ix::AddDocument(*opened.handle, documentPath(documents[i]));
        if (progress)
            progress(static_cast<int>(i * 90 / documents.size()));
    }
    const bool written = ix::CloseIndex(std::move(opened.handle)) == ix::kCloseOk;
    std::error_code ec;
    if (!written || (fs::rename(building, target, ec), ec)) {
        fs::remove(building, ec);
        return false;
    }
    if (progress)
        progress(100);
    return true;
}

std::vector<DocumentRef> SampleStore::allDocuments() const
{
    std::vector<int> folders;
    std::error_code ec;
    for (fs::directory_iterator it(m_dataDir, ec), end; !ec && it != end; it.increment(ec)) {
        const int number = folderNumberOfDirectory(it->path().filename().string());
        if (number != kNoFolderNumber && it->is_directory(ec))
            folders.push_back(number);
    }
    std::sort(folders.begin(), folders.end());
    std::vector<DocumentRef> documents;
    for (const int folder : folders) {
        for (auto& name : documentFilesIn(folderDir(folder)))
            documents.push_back({folder, std::move(name)});
    }
    return documents;
}

std::string SampleStore::titleOf(const DocumentRef& document) const
{
    std::FILE* file = std::fopen(documentPath(document).c_str(), "rb");
    if (!file)
        return {};
    ix::SampleLineReader reader(file, 1);
    std::string line;
    reader.next(line);
    std::fclose(file);
    return codec::cp932ToUtf8(line);
}

} // namespace yv::examplestore
