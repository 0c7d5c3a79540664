// Opening, updating and writing back the example index file.
#include "indexstate.h"

#include <exampleindex/sampletext.h>

#include <platform/textutil.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace yv::exampleindex {

using namespace Internal;

namespace Internal {

namespace {

void loadList(const BlockFile& file, const std::vector<std::uint32_t>& itemBlocks, StoredList& list)
{
    list.loaded = true;
    if (list.firstBlock == 0)
        return;
    const auto chain = file.readChain(list.firstBlock, list.blockCount);
    const auto isItemBlock = [&](std::uint32_t b) { return std::binary_search(itemBlocks.begin(), itemBlocks.end(), b); };
    if (!chain || chain->payload.size() < 4 || std::any_of(chain->blocks.begin(), chain->blocks.end(), isItemBlock)) {
        list.trusted = false;
        return;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(chain->payload.data());
    const std::uint32_t count = readBigEndian(bytes);
    if (count > (chain->payload.size() - 4) / 4) {
        list.trusted = false;
        return;
    }
    list.postings.resize(count);
    for (std::uint32_t i = 0; i < count; ++i)
        list.postings[i] = readBigEndian(bytes + 4 + 4 * std::size_t(i));
    // Lists written in the order documents arrived are sorted once here; ours always are.
    if (!std::is_sorted(list.postings.begin(), list.postings.end()))
        std::sort(list.postings.begin(), list.postings.end());
    list.chain = chain->blocks;
}

} // namespace

std::vector<std::uint16_t> CharacterDirectory::codesWithLists() const
{
    // Most characters have no list: whole stretches of zeros are passed over with one compare.
    constexpr std::size_t kStretchCodes = 128;
    static const std::string zeros(kStretchCodes * kEntryBytes, '\0');
    std::vector<std::uint16_t> codes;
    for (std::size_t start = 0; !m_bytes.empty() && start < kCharacterCodes; start += kStretchCodes) {
        const std::size_t count = std::min(kStretchCodes, kCharacterCodes - start);
        if (m_bytes.compare(start * kEntryBytes, count * kEntryBytes, zeros, 0, count * kEntryBytes) == 0)
            continue;
        for (std::size_t code = start; code < start + count; ++code) {
            if (at(code).firstBlock != 0)
                codes.push_back(static_cast<std::uint16_t>(code));
        }
    }
    return codes;
}

std::vector<Posting>& IndexState::postingsOf(StoredList& list)
{
    if (!list.loaded)
        loadList(*file, itemBlocks, list);
    return list.postings;
}

StoredList& IndexState::characterList(std::uint16_t code)
{
    const auto [it, added] = characterLists.try_emplace(code);
    if (added) {
        const DirectoryEntry stored = directory.at(code);
        it->second.firstBlock = stored.firstBlock;
        it->second.blockCount = stored.blockCount;
    }
    return it->second;
}

WordEntry* IndexState::findWord(std::string_view word)
{
    const auto it = wordByFoldedText.find(foldCase(word.substr(0, sjisPrefixLength(word, kMaxWordBytes))));
    return it == wordByFoldedText.end() ? nullptr : &words[it->second];
}

} // namespace Internal

namespace {

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : m_bytes(bytes)
    {
    }
    bool u32(std::uint32_t& v)
    {
        if (m_bytes.size() < 4)
            return false;
        v = readBigEndian(reinterpret_cast<const unsigned char*>(m_bytes.data()));
        m_bytes.remove_prefix(4);
        return true;
    }
    bool text(std::string& out)
    {
        if (m_bytes.empty())
            return false;
        const auto length = static_cast<unsigned char>(m_bytes[0]);
        if (m_bytes.size() < 1u + length)
            return false;
        out.assign(m_bytes.substr(1, length));
        m_bytes.remove_prefix(1u + length);
        return true;
    }
    std::size_t left() const { return m_bytes.size(); }

private:
    std::string_view m_bytes;
};

void appendText(std::string& out, std::string_view text)
{
    out.push_back(static_cast<char>(text.size()));
    out.append(text);
}

void parseHeader(const unsigned char* block, Header& h)
{
    const unsigned char* v = block + kHeaderValuesOffset;
    h.directoryFirst = readBigEndian(v);
    h.directoryBlocks = readBigEndian(v + 4);
    h.wordsFirst = readBigEndian(v + 8);
    h.wordsBlocks = readBigEndian(v + 12);
    h.documentsFirst = readBigEndian(v + 16);
    h.documentsBlocks = readBigEndian(v + 20);
    h.endBlock = readBigEndian(v + 24);
    h.freeHead = readBigEndian(v + 28);
}

bool writeHeader(BlockFile& file, const Header& h, bool writing)
{
    unsigned char block[kBlockSize] = {};
    std::memcpy(block, kMagic, sizeof kMagic);
    unsigned char* v = block + kHeaderValuesOffset;
    const std::uint32_t values[] = {h.directoryFirst, h.directoryBlocks, h.wordsFirst, h.wordsBlocks,
                                    h.documentsFirst, h.documentsBlocks, h.endBlock, h.freeHead};
    for (std::size_t i = 0; i < std::size(values); ++i)
        writeBigEndian(v + 4 * i, values[i]);
    block[kWriteMarkOffset] = writing ? 1 : 0;
    return file.writeHeader(block) && file.sync();
}

OpenError readTables(IndexState& s)
{
    const BlockFile& file = *s.file;
    const Header& h = s.header;
    if (h.documentsFirst != 0) {
        const auto chain = file.readChain(h.documentsFirst, h.documentsBlocks);
        if (!chain)
            return OpenError::DocumentTableUnreadable;
        Reader r(chain->payload);
        std::uint32_t count = 0;
        if (!r.u32(count) || count > kMaxDocuments)
            return OpenError::DocumentTableUnreadable;
        s.documents.resize(count);
        for (auto& path : s.documents) {
            if (!r.text(path))
                return OpenError::DocumentTableUnreadable;
        }
        s.documentChain = chain->blocks;
    }

    const bool writing = s.access == Access::ReadWrite;
    auto directory = file.readChain(h.directoryFirst, h.directoryBlocks, writing);
    if (!directory || directory->blocks.size() * kPayloadSize < CharacterDirectory::kBytes)
        return OpenError::DirectoryUnreadable;
    s.directoryChain = std::move(directory->blocks);
    if (writing)
        s.directory.assign(std::move(directory->payload));
    else
        s.directory.readOnDemand(file, s.directoryChain);

    if (h.wordsFirst != 0) {
        const auto chain = file.readChain(h.wordsFirst, h.wordsBlocks);
        if (!chain)
            return OpenError::DirectoryUnreadable;
        Reader r(chain->payload);
        std::uint32_t count = 0;
        if (!r.u32(count))
            return OpenError::DirectoryUnreadable;
        s.words.reserve(std::min<std::size_t>(count, r.left() / 9));
        for (std::uint32_t i = 0; i < count; ++i) {
            WordEntry entry;
            if (!r.text(entry.word) || !r.u32(entry.list.firstBlock) || !r.u32(entry.list.blockCount))
                return OpenError::DirectoryUnreadable;
            s.wordByFoldedText.emplace(foldCase(entry.word), s.words.size());
            s.words.push_back(std::move(entry));
        }
        s.wordChain = chain->blocks;
    }

    if (s.access == Access::ReadWrite && h.freeHead != 0) {
        const auto freeChain = file.readChain(h.freeHead, file.blocksOnDisk(), false);
        if (!freeChain)
            return OpenError::DirectoryUnreadable;
        s.freeList = freeChain->blocks;
    }
    s.itemBlocks = s.directoryChain;
    s.itemBlocks.insert(s.itemBlocks.end(), s.wordChain.begin(), s.wordChain.end());
    s.itemBlocks.insert(s.itemBlocks.end(), s.documentChain.begin(), s.documentChain.end());
    std::vector<std::uint32_t> claimed = s.itemBlocks;
    claimed.insert(claimed.end(), s.freeList.begin(), s.freeList.end());
    std::sort(s.itemBlocks.begin(), s.itemBlocks.end());
    std::sort(claimed.begin(), claimed.end());
    // Rewriting items that share blocks with each other or with the free list would damage them.
    if (s.access == Access::ReadWrite && std::adjacent_find(claimed.begin(), claimed.end()) != claimed.end())
        return OpenError::DirectoryUnreadable;
    return OpenError::None;
}

OpenResult openIndex(const std::filesystem::path& path, Access access, std::unique_ptr<IndexState>& state)
{
    const bool writing = access == Access::ReadWrite;
    bool created = false;
    int fd = ::open(path.c_str(), (writing ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 && writing && errno == ENOENT) {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0644);
        created = fd >= 0;
    }
    if (fd < 0)
        return {nullptr, OpenError::CannotOpen};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::flock(fd, (writing ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        ::close(fd);
        return {nullptr, OpenError::CannotOpen};
    }
    state->file = std::make_unique<BlockFile>(fd, static_cast<std::uint64_t>(st.st_size) / kBlockSize);
    state->access = access;
    if (created) {
        // Marked from the start: a crash before the first write-back leaves an unclean index.
        return writeHeader(*state->file, state->header, true) ? OpenResult{} : OpenResult{nullptr, OpenError::CannotOpen};
    }
    // An empty file is one whose creator died before writing anything.
    if (st.st_size == 0)
        return {nullptr, OpenError::Unclean};
    unsigned char block[kBlockSize];
    if (!state->file->readHeader(block))
        return {nullptr, OpenError::HeaderUnreadable};
    if (std::memcmp(block, kMagic, sizeof kMagic) != 0)
        return {nullptr, OpenError::WrongMagic};
    if (block[kWriteMarkOffset] != 0)
        return {nullptr, OpenError::Unclean};
    parseHeader(block, state->header);
    if (const OpenError error = readTables(*state); error != OpenError::None)
        return {nullptr, error};
    return {};
}

// Longer paths keep their end, so that the file name that finds the document survives.
std::string storedPath(const std::filesystem::path& path)
{
    std::string text = path.string();
    if (text.size() <= kMaxPathBytes)
        return text;
    std::size_t start = text.size() - kMaxPathBytes;
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start;
    return text.substr(start);
}

std::string_view fileNameOf(std::string_view path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// Inserts one document's postings (sorted, all of one document) into a sorted list.
void mergeDocument(IndexState& s, StoredList& list, const Posting* first, const Posting* last)
{
    auto& postings = s.postingsOf(list);
    const auto at = std::lower_bound(postings.begin(), postings.end(), *first);
    postings.insert(at, first, last);
    list.dirty = true;
}

template<typename Key>
void mergeRuns(IndexState& s, std::vector<std::pair<Key, Posting>>& pending,
               const std::function<StoredList&(Key)>& listOf)
{
    std::stable_sort(pending.begin(), pending.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<Posting> run;
    for (std::size_t i = 0; i < pending.size();) {
        std::size_t j = i;
        run.clear();
        while (j < pending.size() && pending[j].first == pending[i].first)
            run.push_back(pending[j++].second);
        mergeDocument(s, listOf(pending[i].first), run.data(), run.data() + run.size());
        i = j;
    }
}

bool removeRange(IndexState& s, StoredList& list, int id)
{
    if (!list.loaded && list.firstBlock == 0)
        return false;
    auto& postings = s.postingsOf(list);
    const auto from = std::lower_bound(postings.begin(), postings.end(), firstPostingOf(id));
    const auto to = std::partition_point(from, postings.end(), [id](Posting p) { return documentOf(p) == id; });
    if (from == to)
        return false;
    postings.erase(from, to);
    list.dirty = true;
    return true;
}

class ProgressSteps {
public:
    explicit ProgressSteps(const ProgressFn& fn)
        : m_fn(fn)
    {
    }
    void report(int percent)
    {
        if (m_fn && percent != m_last) {
            m_last = percent;
            m_fn(percent);
        }
    }

private:
    const ProgressFn& m_fn;
    int m_last = -1;
};

std::string listPayload(const std::vector<Posting>& postings)
{
    std::string payload(4 + 4 * postings.size(), '\0');
    auto* out = reinterpret_cast<unsigned char*>(payload.data());
    writeBigEndian(out, static_cast<std::uint32_t>(postings.size()));
    for (std::size_t i = 0; i < postings.size(); ++i)
        writeBigEndian(out + 4 + 4 * i, postings[i]);
    return payload;
}

void writeList(ChainWriter& writer, StoredList& list)
{
    if (!list.loaded || !list.dirty)
        return;
    const std::vector<std::uint32_t> old = list.trusted ? list.chain : std::vector<std::uint32_t>();
    if (list.postings.empty()) {
        writer.release(old);
        list.chain.clear();
    } else {
        list.chain = writer.write(old, listPayload(list.postings));
    }
    list.trusted = true;
    list.dirty = false;
    list.firstBlock = list.chain.empty() ? 0 : list.chain.front();
    list.blockCount = static_cast<std::uint32_t>(list.chain.size());
}

int closeWriting(IndexState& s, const ProgressFn& progress)
{
    ProgressSteps steps(progress);
    BlockFile& file = *s.file;
    steps.report(0);
    if (!writeHeader(file, s.header, true))
        return kCloseWriteFailed;
    // New blocks go after the last block the file really has, whatever the header claims.
    ChainWriter writer(file, s.freeList, static_cast<std::uint32_t>(std::max<std::uint64_t>(1, file.blocksOnDisk())));

    std::vector<std::uint16_t> codes;
    codes.reserve(s.characterLists.size());
    for (const auto& [code, list] : s.characterLists)
        codes.push_back(code);
    std::sort(codes.begin(), codes.end());
    for (std::size_t i = 0; i < codes.size(); ++i) {
        StoredList& list = s.characterLists[codes[i]];
        writeList(writer, list);
        s.directory.set(codes[i], {list.firstBlock, list.blockCount});
        steps.report(static_cast<int>(codes[i] * 20 / kCharacterCodes));
    }
    steps.report(20);
    // A word whose list became empty stays in the table with (0, 0): the in-memory lookup keeps
    // pointing at the right entries, and a reader finds the word and no hits.
    for (auto& w : s.words)
        writeList(writer, w.list);
    steps.report(40);

    s.directoryChain = writer.rewrite(s.directoryChain, s.directory.bytes(), s.directory.changedBlocks());
    s.header.directoryFirst = s.directoryChain.front();
    s.header.directoryBlocks = static_cast<std::uint32_t>(s.directoryChain.size());
    steps.report(60);

    std::string table;
    appendBigEndian(table, static_cast<std::uint32_t>(s.words.size()));
    for (const auto& w : s.words) {
        appendText(table, w.word.substr(0, sjisPrefixLength(w.word, kMaxWordBytes)));
        appendBigEndian(table, w.list.firstBlock);
        appendBigEndian(table, w.list.blockCount);
    }
    s.wordChain = writer.write(s.wordChain, table);
    s.header.wordsFirst = s.wordChain.front();
    s.header.wordsBlocks = static_cast<std::uint32_t>(s.wordChain.size());
    steps.report(80);

    if (s.documents.empty()) {
        writer.release(s.documentChain);
        s.documentChain.clear();
    } else {
        std::string documents;
        appendBigEndian(documents, static_cast<std::uint32_t>(s.documents.size()));
        for (const auto& path : s.documents)
            appendText(documents, path.substr(0, kMaxPathBytes));
        s.documentChain = writer.write(s.documentChain, documents);
    }
    s.header.documentsFirst = s.documentChain.empty() ? 0 : s.documentChain.front();
    s.header.documentsBlocks = static_cast<std::uint32_t>(s.documentChain.size());

    writer.linkFreedBlocks();
    s.header.freeHead = writer.freeHead();
    s.header.endBlock = writer.endBlock();
    // Everything else is on disk before the header drops the mark.
    const bool ok = file.sync() && writeHeader(file, s.header, false);
    steps.report(100);
    return ok ? kCloseOk : kCloseWriteFailed;
}

} // namespace

IndexHandle::IndexHandle(std::unique_ptr<IndexState> state)
    : d(std::move(state))
{
}

IndexHandle::~IndexHandle() = default;

int IndexHandle::documentSlots() const
{
    return static_cast<int>(d->documents.size());
}

std::string IndexHandle::documentPath(int id) const
{
    if (id < 0 || id >= documentSlots())
        return {};
    return d->documents[static_cast<std::size_t>(id)];
}

OpenResult OpenIndex(const std::filesystem::path& path, Access access)
{
    try {
        auto state = std::make_unique<IndexState>();
        OpenResult result = openIndex(path, access, state);
        if (result.error == OpenError::None)
            result.handle.reset(new IndexHandle(std::move(state)));
        return result;
    } catch (const std::bad_alloc&) {
        return {nullptr, OpenError::OutOfMemory};
    }
}

int AddDocument(IndexHandle& handle, const std::filesystem::path& document, const ProgressFn& progress)
{
    IndexState& s = *handle.d;
    s.cursor = {};
    if (s.access != Access::ReadWrite)
        return -1;
    const auto emptySlot = std::find(s.documents.begin(), s.documents.end(), std::string());
    if (emptySlot == s.documents.end() && s.documents.size() >= kMaxDocuments)
        return -1;
    std::FILE* file = std::fopen(document.c_str(), "rb");
    if (!file)
        return -1;
    struct stat st {};
    const bool regular = ::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode);
    const std::string stored = storedPath(document);
    if (!regular || stored.empty()) {
        std::fclose(file);
        return -1;
    }
    const int id = static_cast<int>(emptySlot - s.documents.begin());
    try {
        ProgressSteps steps(progress);
        std::vector<std::pair<std::uint16_t, Posting>> characterPostings;
        std::vector<std::pair<std::size_t, Posting>> wordPostings;
        SampleLineReader reader(file);
        std::string line;
        for (int lineNo = 0; reader.next(line); ++lineNo) {
            if (st.st_size > 0)
                steps.report(static_cast<int>(reader.bytesRead() * 100 / static_cast<std::uint64_t>(st.st_size)));
            if (!isIndexedLine(line))
                continue;
            if (isEnglishLine(line)) {
                int position = 0;
                for (const std::string_view word : splitEnglishWords(line)) {
                    const std::string_view cut = word.substr(0, sjisPrefixLength(word, kMaxWordBytes));
                    const std::string folded = foldCase(cut);
                    auto [it, added] = s.wordByFoldedText.emplace(folded, s.words.size());
                    if (added) {
                        WordEntry entry{std::string(cut), {}};
                        entry.list.loaded = true;  // new: nothing stored yet
                        s.words.push_back(std::move(entry));
                    }
                    wordPostings.emplace_back(it->second, makePosting(id, lineNo, position++));
                }
            } else {
                int position = 0;
                for (std::size_t i = 0; i < line.size();) {
                    const SjisCharacter c = characterAt(line, i);
                    // Codes past the directory (unassigned in the code page) keep their place.
                    if (c.code < kCharacterCodes)
                        characterPostings.emplace_back(c.code, makePosting(id, lineNo, position));
                    ++position;
                    i += c.length;
                }
            }
        }
        std::fclose(file);
        file = nullptr;
        mergeRuns<std::uint16_t>(s, characterPostings, [&s](std::uint16_t code) -> StoredList& { return s.characterList(code); });
        mergeRuns<std::size_t>(s, wordPostings, [&s](std::size_t w) -> StoredList& { return s.words[w].list; });
        if (emptySlot == s.documents.end())
            s.documents.push_back(stored);
        else
            s.documents[static_cast<std::size_t>(id)] = stored;
        steps.report(100);
        return id;
    } catch (const std::bad_alloc&) {
        if (file)
            std::fclose(file);
        return -1;
    }
}

bool RemoveDocument(IndexHandle& handle, int id, const ProgressFn& progress)
{
    IndexState& s = *handle.d;
    s.cursor = {};
    if (s.access != Access::ReadWrite || id < 0 || id >= static_cast<int>(s.documents.size())
        || s.documents[static_cast<std::size_t>(id)].empty())
        return false;
    ProgressSteps steps(progress);
    // Every stored list may hold the document; lists new in this session are in the map already.
    for (const std::uint16_t code : s.directory.codesWithLists())
        s.characterList(code);
    const std::size_t total = s.characterLists.size() + s.words.size();
    std::size_t done = 0;
    for (auto& entry : s.characterLists) {
        removeRange(s, entry.second, id);
        if (++done % 1024 == 0)
            steps.report(static_cast<int>(done * 100 / total));
    }
    for (auto& word : s.words) {
        removeRange(s, word.list, id);
        if (++done % 1024 == 0)
            steps.report(static_cast<int>(done * 100 / total));
    }
    s.documents[static_cast<std::size_t>(id)].clear();
    while (!s.documents.empty() && s.documents.back().empty())
        s.documents.pop_back();
    steps.report(100);
    return true;
}

int FindDocument(const IndexHandle& handle, std::string_view fileName)
{
    const std::string_view wanted = fileNameOf(fileName);
    const auto& documents = handle.d->documents;
    for (std::size_t id = 0; id < documents.size(); ++id) {
        if (!documents[id].empty() && text::equalsIgnoringAsciiCase(fileNameOf(documents[id]), wanted))
            return static_cast<int>(id);
    }
    return -1;
}

int CloseIndex(std::unique_ptr<IndexHandle> handle, const ProgressFn& progress)
{
    if (!handle || handle->d->access != Access::ReadWrite)
        return kCloseOk;
    try {
        return closeWriting(*handle->d, progress);
    } catch (const std::bad_alloc&) {
        return kCloseWriteFailed;
    }
}

} // namespace yv::exampleindex
