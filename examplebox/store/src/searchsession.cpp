// The indexes and document locations a window keeps between searches.
#include <examplestore/searchsession.h>

#include <exampleindex/sampletext.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

namespace yv::examplestore {

namespace fs = std::filesystem;
namespace ix = exampleindex;

namespace {

// What tells that an index file was replaced (a rebuild renames a new file over it) or written
// in place (an update by another program) since it was opened.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modified = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const fs::path& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_size,
                        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

int folderNumberOf(const std::string& directoryName)
{
    if (directoryName.size() < 3 || !directoryName.starts_with("fd"))
        return kNoFolderNumber;
    for (std::size_t i = 2; i < directoryName.size(); ++i) {
        if (directoryName[i] < '0' || directoryName[i] > '9')
            return kNoFolderNumber;
    }
    return DocumentRef{0, directoryName.substr(2)}.number();
}

} // namespace

// The documents read for presenting are kept up to this many bytes of text in all.
constexpr std::size_t kMaxCachedBytes = 32u << 20;

struct SearchSession::CachedDocument {
    FileIdentity identity;
    std::vector<std::string> lines;
};

struct SearchSession::Held {
    std::unique_ptr<ix::IndexHandle> handle;
    FileIdentity identity;
};

FolderNames folderNamesOf(const FolderTree& tree)
{
    FolderNames names;
    std::vector<NodeId> pending = tree.topNodes();
    while (!pending.empty()) {
        const NodeId id = pending.back();
        pending.pop_back();
        const FolderNode& node = tree.node(id);
        if (node.number != kNoFolderNumber)
            names.emplace(node.number, node.name);  // the first node of a number names it
        for (const NodeId child : tree.children(id))
            pending.push_back(child);
    }
    return names;
}

SearchSession::SearchSession(fs::path dataDir)
    : m_dataDir(std::move(dataDir))
{
}

SearchSession::~SearchSession() = default;

ix::IndexHandle* SearchSession::index(IndexKind kind)
{
    auto& held = m_held[kind == IndexKind::Shipped ? 0 : 1];
    const fs::path path = m_dataDir / indexFileName(kind);
    const std::optional<FileIdentity> now = identityOf(path);
    if (held && now && held->identity == *now)
        return held->handle.get();
    held.reset();
    if (!now)
        return nullptr;
    ++m_opens;
    auto opened = ix::OpenIndex(path, ix::Access::Read);
    if (opened.error == ix::OpenError::Unclean && SampleStore(m_dataDir).rebuildIndex(kind))
        opened = ix::OpenIndex(path, ix::Access::Read);
    const std::optional<FileIdentity> openedAs = identityOf(path);
    if (!opened.handle || !openedAs)
        return nullptr;
    held = std::make_unique<Held>(Held{std::move(opened.handle), *openedAs});
    return held->handle.get();
}

void SearchSession::release()
{
    m_held[0].reset();
    m_held[1].reset();
}

fs::path SearchSession::documentPath(const DocumentRef& document) const
{
    char dir[16];
    std::snprintf(dir, sizeof dir, "fd%03d", document.folder);
    return m_dataDir / dir / document.fileName;
}

const std::vector<std::string>* SearchSession::documentLines(const DocumentRef& document)
{
    const std::string path = documentPath(document).string();
    const std::optional<FileIdentity> now = identityOf(path);
    if (!now)
        return nullptr;
    const auto found = m_documents.find(path);
    if (found != m_documents.end() && found->second.identity == *now)
        return &found->second.lines;
    if (found != m_documents.end()) {
        m_cachedBytes -= static_cast<std::size_t>(found->second.identity.size);
        m_documents.erase(found);
    }
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return nullptr;
    // Read as it is now; a change during the read shows next time.
    if (m_cachedBytes + static_cast<std::size_t>(now->size) > kMaxCachedBytes) {
        m_documents.clear();
        m_cachedBytes = 0;
    }
    CachedDocument cached{*now, {}};
    ix::SampleLineReader reader(file);
    for (std::string line; reader.next(line);)
        cached.lines.push_back(std::move(line));
    std::fclose(file);
    m_cachedBytes += static_cast<std::size_t>(now->size);
    return &m_documents.insert_or_assign(path, std::move(cached)).first->second.lines;
}

void SearchSession::scanFolders()
{
    m_files.clear();
    m_scanned = true;
    std::vector<fs::path> dirs;
    std::error_code ec;
    for (fs::directory_iterator it(m_dataDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (folderNumberOf(name) != kNoFolderNumber && it->is_directory(ec))
            dirs.push_back(it->path());
    }
    // The lowest folder wins a name found twice, as it always has.
    std::sort(dirs.begin(), dirs.end());
    for (const auto& dir : dirs) {
        const int folder = folderNumberOf(dir.filename().string());
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.size() > 4 && ix::foldCase(name.substr(name.size() - 4)) == ".sam")
                m_files.emplace(ix::foldCase(name), DocumentRef{folder, name});
        }
    }
}

std::optional<DocumentRef> SearchSession::locate(std::string_view fileName, bool rescan)
{
    if (!m_scanned || rescan)
        scanFolders();
    const auto it = m_files.find(ix::foldCase(fileName));
    if (it == m_files.end() && !rescan)
        return locate(fileName, true);
    return it == m_files.end() ? std::nullopt : std::optional<DocumentRef>(it->second);
}

} // namespace yv::examplestore
