// What an open example index holds in memory: header, directory, word and document tables,
// posting lists loaded on demand, and the state of the current hit enumeration.
#pragma once

#include "blockfile.h"

#include <exampleindex/index.h>

#include <algorithm>
#include <memory>
#include <string_view>
#include <string>
#include <unordered_map>
#include <vector>

namespace yv::exampleindex::Internal {

// Character codes 0 to 64763: a single byte, or a double-byte character's two bytes.
inline constexpr std::size_t kCharacterCodes = 64764;
// Word and stored path lengths are one byte on disk.
inline constexpr std::size_t kMaxWordBytes = 255;
inline constexpr std::size_t kMaxPathBytes = 255;

// Block 0.
inline constexpr char kMagic[13] = "EXP_FULL_IDX";
inline constexpr std::size_t kHeaderValuesOffset = 30;
// Non-zero while a write-back is under way: found set on opening, the index is unclean.
// (A reserved byte, zero in indexes written without the mark.)
inline constexpr std::size_t kWriteMarkOffset = 62;

struct Header {
    std::uint32_t directoryFirst = 0;
    std::uint32_t directoryBlocks = 0;
    std::uint32_t wordsFirst = 0;
    std::uint32_t wordsBlocks = 0;
    std::uint32_t documentsFirst = 0;  // 0: no documents
    std::uint32_t documentsBlocks = 0;
    std::uint32_t endBlock = 1;        // the file's length in blocks
    std::uint32_t freeHead = 0;
};

struct StoredList {
    std::uint32_t firstBlock = 0;
    std::uint32_t blockCount = 0;
    bool loaded = false;
    bool dirty = false;
    // False when the stored chain could not be read: it is then neither reused nor freed,
    // since its blocks may belong to other chains.
    bool trusted = true;
    std::vector<Posting> postings;  // sorted ascending
    std::vector<std::uint32_t> chain;
};

struct WordEntry {
    std::string word;  // as first written
    StoredList list;
};

enum class SearchPhase { Characters, Words, Done };

// The list of the k-th character or word of the key, probed at rising values from `cursor` on.
struct PhraseList {
    const std::vector<Posting>* postings = nullptr;
    std::size_t cursor = 0;
};

// A phrase is found through its shortest list: each of its postings, moved back by that
// list's place in the key, is a candidate start that every other list must confirm. All lists
// are sorted, so the starts come out in ascending order, as the first list would give them.
struct HitCursor {
    SearchPhase phase = SearchPhase::Done;
    std::string key;
    std::vector<PhraseList> lists;  // empty: the phase has no hits
    std::size_t driver = 0;
    std::size_t next = 0;           // the driver's next posting
};

// Where a character's posting list is stored (0, 0: it has none).
struct DirectoryEntry {
    std::uint32_t firstBlock = 0;
    std::uint32_t blockCount = 0;
};

// The character directory kept as the file stores it (big-endian pairs). A writing handle
// copies it once on opening and writes it back whole; a reading handle only looks up the
// entries of the characters it searches for, straight from the file.
class CharacterDirectory final {
public:
    static constexpr std::size_t kEntryBytes = 8;
    static constexpr std::size_t kBytes = kCharacterCodes * kEntryBytes;

    // All 64764 entries (a new index's are all empty).
    const std::string& bytes()
    {
        m_bytes.resize(kBytes, '\0');
        return m_bytes;
    }
    // `stored` holds at least kBytes; the rest is padding of the last block.
    void assign(std::string&& stored)
    {
        m_bytes = std::move(stored);
        m_bytes.resize(kBytes);
    }
    // Entries are read from `chain` of `file` when asked for; both outlive the directory.
    void readOnDemand(const BlockFile& file, const std::vector<std::uint32_t>& chain)
    {
        m_file = &file;
        m_chain = &chain;
    }

    DirectoryEntry at(std::size_t code) const
    {
        unsigned char entry[kEntryBytes];
        if (!m_bytes.empty()) {
            std::copy_n(m_bytes.data() + code * kEntryBytes, kEntryBytes, reinterpret_cast<char*>(entry));
        } else if (!m_file || !m_file->readPayload(*m_chain, code * kEntryBytes, kEntryBytes, entry)) {
            return {};  // a new index, or an entry that cannot be read: no list
        }
        return {readBigEndian(entry), readBigEndian(entry + 4)};
    }
    void set(std::size_t code, DirectoryEntry entry)
    {
        m_bytes.resize(kBytes, '\0');
        auto* p = reinterpret_cast<unsigned char*>(m_bytes.data()) + code * kEntryBytes;
        if (readBigEndian(p) == entry.firstBlock && readBigEndian(p + 4) == entry.blockCount)
            return;
        writeBigEndian(p, entry.firstBlock);
        writeBigEndian(p + 4, entry.blockCount);
        m_changedBlocks.resize(kBytes / kPayloadSize + 1, false);
        m_changedBlocks[code * kEntryBytes / kPayloadSize] = true;
        m_changedBlocks[(code * kEntryBytes + kEntryBytes - 1) / kPayloadSize] = true;
    }
    // Which blocks of the stored directory's chain hold entries set since it was read.
    const std::vector<bool>& changedBlocks() const { return m_changedBlocks; }
    // The codes that have a stored list, found a stretch of zeros at a time (writing handles).
    std::vector<std::uint16_t> codesWithLists() const;

private:
    std::string m_bytes;  // empty until read or first set: no entry has a list
    std::vector<bool> m_changedBlocks;
    const BlockFile* m_file = nullptr;
    const std::vector<std::uint32_t>* m_chain = nullptr;
};

struct IndexState {
    std::unique_ptr<BlockFile> file;
    Access access = Access::Read;
    Header header;
    CharacterDirectory directory;
    // Only the lists a search or an update touched; nodes keep their address.
    std::unordered_map<std::uint16_t, StoredList> characterLists;
    std::vector<WordEntry> words;
    std::unordered_map<std::string, std::size_t> wordByFoldedText;
    std::vector<std::string> documents;  // empty string: empty slot
    std::vector<std::uint32_t> directoryChain;
    std::vector<std::uint32_t> wordChain;
    std::vector<std::uint32_t> documentChain;
    std::vector<std::uint32_t> freeList;  // head first; read for writing handles
    // The blocks of the directory, word table and document table, sorted: a posting list
    // that claims one of them is damaged and is never written into or freed.
    std::vector<std::uint32_t> itemBlocks;
    HitCursor cursor;

    // The list's postings, read from the file on first use (an unreadable list reads as empty).
    std::vector<Posting>& postingsOf(StoredList& list);
    StoredList& characterList(std::uint16_t code);
    // The word's entry, looked up without case; null when the index does not know it.
    WordEntry* findWord(std::string_view word);
};

} // namespace yv::exampleindex::Internal
