// The user-dictionary files in memory: parsing (of any bytes) and writing.
#pragma once

#include <engine/translator.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// Limits of one entry and of a dictionary; longer fields are refused when added.
inline constexpr std::size_t kMaxUserHeadwordBytes = 255;
inline constexpr std::size_t kMaxUserTranslationBytes = 4096;
inline constexpr std::size_t kMaxUserPartOfSpeechBytes = 255;
inline constexpr std::size_t kMaxUserDictionaryBytes = 32 * 1024 * 1024;

// A parsed dictionary: entries in index order (headwords compared without ASCII case).
struct UserDictionaryData {
    std::vector<userdic::Entry> entries;
    bool indexRebuilt = false; // the index file was missing or did not match and was ignored
};

// Nothing when the .dic bytes are damaged; a damaged or stale index is rebuilt from them.
std::optional<UserDictionaryData> parseUserDictionary(std::string_view dic, std::string_view idx);

struct UserDictionaryFiles {
    std::string dic;
    std::string idx;
};
// Writes entries (sorted here) as the two files.
UserDictionaryFiles serializeUserDictionary(std::vector<userdic::Entry> entries);

// The order of the index: bytes with ASCII letters folded to lower case.
bool headwordLess(std::string_view a, std::string_view b);
bool headwordEqual(std::string_view a, std::string_view b);

// The entries whose headword equals `headword` (ASCII case ignored), by binary search.
std::vector<const userdic::Entry*> findUserEntries(const UserDictionaryData& data, std::string_view headword);

} // namespace yv::engine::Internal
