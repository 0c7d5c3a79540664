// Turning index hits into the result text, the document rows and the counts.
#include <examplestore/search.h>
#include <examplestore/searchsession.h>

#include <exampleindex/sampletext.h>

#include <platform/codec.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <tuple>

namespace yv::examplestore {

namespace fs = std::filesystem;
namespace ix = exampleindex;

namespace {

constexpr std::string_view kOpenMark = "\x81\x79";   // 【
constexpr std::string_view kCloseMark = "\x81\x7A";  // 】
constexpr std::string_view kLineEnd = "\r\n";

std::string_view fileNameOf(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

class HitPresenter final {
public:
    HitPresenter(SearchSession& session, const FolderNames& folders, std::string_view key, bool markKey,
                 SearchResult& result)
        : m_session(session)
        , m_folders(folders)
        , m_key(key)
        , m_markKey(markKey)
        , m_result(result)
    {
    }

    // False when the search has to stop; the result's status then says why.
    bool present(int index, const ix::IndexHandle& handle, ix::Posting hit)
    {
        const int id = ix::documentOf(hit);
        const auto line = static_cast<std::size_t>(ix::lineOf(hit));
        const auto at = std::make_tuple(index, id, line);
        if (m_previous == at)
            return true;
        m_previous = at;
        if (!loadDocument(index, handle, id))
            return false;
        const auto& lines = *m_lines;
        // The file changed since it was indexed: nothing to show for this line.
        if (line >= lines.size())
            return true;
        ++m_result.exampleCount;

        std::string piece = m_result.text.empty() ? std::string() : std::string(kLineEnd);
        auto append = [&](const std::string& text) {
            piece += m_markKey ? addMarks(text, m_key) : text;
            piece += kLineEnd;
        };
        if (line > 0 && !ix::isBlankLine(lines[line - 1])) {
            append(lines[line - 1]);
            append(lines[line]);
        } else {
            append(lines[line]);
            if (line + 1 < lines.size())
                append(lines[line + 1]);
        }
        if (m_result.text.size() + piece.size() > kMaxResultTextBytes) {
            m_result.status = SearchStatus::TooManyHits;
            return false;
        }
        m_result.text += piece;

        if (m_listed.insert({index, id}).second) {
            const auto folder = m_folders.find(m_document.folder);
            m_result.rows.push_back({codec::cp932ToUtf8(lines.front()),
                                     folder == m_folders.end() ? std::string() : folder->second,
                                     documentRef(m_document.folder, m_document.number())});
            ++m_result.documentCount;
        }
        return true;
    }

private:
    bool loadDocument(int index, const ix::IndexHandle& handle, int id)
    {
        if (m_loaded == std::make_pair(index, id))
            return true;
        const std::string stored = handle.documentPath(id);
        const std::string_view fileName = fileNameOf(stored);
        std::optional<DocumentRef> document = m_session.locate(fileName);
        m_lines = document ? m_session.documentLines(*document) : nullptr;
        if (!m_lines) {
            // Moved since the folders were scanned.
            document = m_session.locate(fileName, true);
            m_lines = document ? m_session.documentLines(*document) : nullptr;
        }
        if (!m_lines) {
            m_result.status = SearchStatus::DocumentMissing;
            return false;
        }
        m_document = *document;
        m_loaded = {index, id};
        return true;
    }

    SearchSession& m_session;
    const FolderNames& m_folders;
    std::string_view m_key;
    bool m_markKey;
    SearchResult& m_result;
    std::optional<std::tuple<int, int, std::size_t>> m_previous;
    std::pair<int, int> m_loaded{-1, -1};
    DocumentRef m_document;
    const std::vector<std::string>* m_lines = nullptr;  // the session's copy
    // Both phases and both indexes can reach a document again; it is listed once.
    std::set<std::pair<int, int>> m_listed;
};

} // namespace

SearchResult searchExamples(SearchSession& session, const FolderNames& folders, std::string_view key, bool markKey,
                            const ix::ProgressFn& progress, const std::atomic<bool>* stop)
{
    SearchResult result;
    ix::IndexHandle* indexes[2] = {session.index(IndexKind::Shipped), session.index(IndexKind::User)};
    if (!indexes[0])
        return result;
    result.status = SearchStatus::Complete;
    HitPresenter presenter(session, folders, key, markKey, result);
    if (progress)
        progress(0);
    unsigned hits = 0;
    bool going = true;
    for (int i = 0; i < 2 && going; ++i) {
        if (!indexes[i])
            continue;
        ix::IndexHandle& handle = *indexes[i];
        for (auto hit = ix::FirstHit(handle, key); hit && going; hit = ix::NextHit(handle)) {
            if (stop && stop->load(std::memory_order_relaxed)) {
                result.status = SearchStatus::Stopped;
                return result;
            }
            if (progress)
                progress(static_cast<int>(++hits % 100));
            going = presenter.present(i, handle, *hit);
        }
    }
    return result;
}

SearchResult searchExamples(const SampleStore& store, std::string_view key, bool markKey,
                            const ix::ProgressFn& progress)
{
    SearchSession session(store.dataDir());
    return searchExamples(session, folderNamesOf(store.tree()), key, markKey, progress);
}

std::string addMarks(std::string_view text, std::string_view key)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (ix::matchesFoldedAt(text, i, key)) {
            out.append(kOpenMark).append(text.substr(i, key.size())).append(kCloseMark);
            i += key.size();
            continue;
        }
        const std::size_t length = ix::characterAt(text, i).length;
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

std::string removeMarks(std::string_view text, std::string_view key)
{
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t inner = i + kOpenMark.size();
        if (!key.empty() && text.substr(i, kOpenMark.size()) == kOpenMark && ix::matchesFoldedAt(text, inner, key)
            && text.substr(inner + key.size(), kCloseMark.size()) == kCloseMark) {
            out.append(text.substr(inner, key.size()));
            i = inner + key.size() + kCloseMark.size();
            continue;
        }
        const std::size_t length = ix::characterAt(text, i).length;
        out.append(text.substr(i, length));
        i += length;
    }
    return out;
}

} // namespace yv::examplestore
