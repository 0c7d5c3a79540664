// The EDICT dictionary in flat arrays: parsing, the English and Japanese indexes, the cache file.
#pragma once

#include "pos.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// Arrays of plain records over one string pool, so that the cache file is the arrays as they
// lie in memory. All text is UTF-8.
struct StringRef {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

struct EntryRecord {
    StringRef headword;
    StringRef reading;       // empty for kana headwords
    std::uint32_t firstSense = 0;
    std::uint16_t senseCount = 0;
    std::uint16_t flags = 0; // kCommonEntry
};

inline constexpr std::uint16_t kCommonEntry = 1; // EDICT's "(P)"

struct SenseRecord {
    StringRef glosses;       // the glosses joined by "/"
    std::uint32_t posMask = 0;
    VerbClass verbClass = VerbClass::None;
    std::uint8_t usuallyKana = 0; // "(uk)": written with the reading
    std::uint16_t reserved = 0;
};

struct KeyRecord {
    StringRef key;
    std::uint32_t entry = 0;
    std::uint16_t sense = 0;
    std::int16_t score = 0;
};

// Longest English phrase (in words) and key the English index holds.
inline constexpr std::size_t kMaxPhraseWords = 4;
inline constexpr std::size_t kMaxEnglishKeyBytes = 48;

class Dictionary final {
public:
    // Parses EDICT text (already UTF-8): lines "headword [reading] /(pos) gloss/.../(P)/".
    // Lines that do not have that shape are skipped.
    static Dictionary parse(std::string_view utf8);

    // The cache file: versioned, checksummed and tied to the EDICT file's size and time.
    std::string serialize(std::uint64_t sourceSize, std::int64_t sourceTime) const;
    static std::optional<Dictionary> deserialize(std::string_view bytes, std::uint64_t sourceSize,
                                                 std::int64_t sourceTime);

    std::string_view text(StringRef ref) const { return std::string_view(m_pool).substr(ref.offset, ref.length); }
    const EntryRecord& entry(std::uint32_t index) const { return m_entries[index]; }
    const SenseRecord& sense(const EntryRecord& entry, std::size_t i) const { return m_senses[entry.firstSense + i]; }
    std::size_t entryCount() const { return m_entries.size(); }

    // Index records for an English key (lower case, articles and "to " removed), best first.
    std::span<const KeyRecord> english(std::string_view key) const { return range(m_english, key); }
    // Index records for a Japanese headword or reading, best first.
    std::span<const KeyRecord> japanese(std::string_view key) const { return range(m_japanese, key); }

private:
    std::span<const KeyRecord> range(const std::vector<KeyRecord>& index, std::string_view key) const;
    bool valid() const;

    std::string m_pool;
    std::vector<EntryRecord> m_entries;
    std::vector<SenseRecord> m_senses;
    std::vector<KeyRecord> m_english;
    std::vector<KeyRecord> m_japanese;
};

// An English gloss as an index key: lower case, parenthesised notes, a leading "to " and
// articles removed; empty when it is no good as a key. `isVerb` tells whether "to " was there.
std::string englishKey(std::string_view gloss, bool* isVerb = nullptr);

// The first gloss of a sense, notes in parentheses and a leading "to " removed.
std::string plainGloss(std::string_view glosses, bool dropTo);

} // namespace yv::engine::Internal
