// The "hT" word-substitution dictionary: reading it (the file may be hostile: every offset is
// checked against the bytes at hand), building it, and the list it is built from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace yv::capture {

// The file layout (integers little-endian):
//   0  "hT"                      18  u32 number of entries
//   2  u16 format version (1)    22  u32 base offset of the key strings
//   4  u16 0                     26  u32 base offset of the value strings
//   6  u32 offset of the buckets 30  the buckets, the entries, the keys, the values
//  10  u32 number of buckets
//  14  u32 offset of the entries
// A bucket (10 bytes) holds the keys that share their first two bytes (a one-byte key pads
// with 0): those two bytes, ordered as a big-endian 16-bit number, the u32 number of its first
// entry and the u32 number of its entries. An entry (12 bytes): u32 key offset, u16 key length,
// u32 value offset, u16 value length including a terminating zero (0: no replacement). Buckets
// are sorted by their two bytes, entries by the bytes of their keys.
class SubstitutionDictionary final {
public:
    static constexpr std::size_t kHeaderBytes = 30;
    static constexpr std::size_t kBucketBytes = 10;
    static constexpr std::size_t kEntryBytes = 12;
    static constexpr std::uint16_t kFormatVersion = 1;

    // Null when the bytes do not start with "hT" or the header points outside them.
    static std::optional<SubstitutionDictionary> open(std::span<const std::uint8_t> bytes);

    // The value stored for exactly `key` (case-sensitive): empty when the entry has no
    // replacement; nothing when the key is absent.
    std::optional<std::string_view> find(std::string_view key) const;

    // `phrase` as it is, in lower case, then in upper case, each also in its inflected forms
    // (-ed, -ing, -s) once it has four characters or more.
    std::optional<std::string_view> lookUp(std::string_view phrase) const;

private:
    explicit SubstitutionDictionary(std::span<const std::uint8_t> bytes);

    std::span<const std::uint8_t> m_bytes;
    std::uint32_t m_bucketsAt = 0;
    std::uint32_t m_bucketCount = 0;
    std::uint32_t m_entriesAt = 0;
    std::uint32_t m_keysAt = 0;
    std::uint32_t m_valuesAt = 0;
};

// Values are Shift_JIS, the system code page.
struct SubstitutionEntry {
    std::string key;
    std::string value;
};

// Keys are ASCII letters and digits in words separated by single spaces (the only phrases a
// substitution looks up), at most 65,535 bytes; values at most 65,534 bytes.
inline constexpr std::size_t kMaxSubstitutionKeyBytes = 0xFFFF;
inline constexpr std::size_t kMaxSubstitutionValueBytes = 0xFFFE;

// Reads "key<TAB>value" lines (UTF-8; CR LF or LF; "#" starts a comment line). A key without
// a value is listed without a replacement. Runs of spaces in keys count as one. On a mistake,
// nothing and `error` says which line and why.
std::optional<std::vector<SubstitutionEntry>> parseSubstitutionList(std::string_view utf8, std::string* error);

// The dictionary file for `entries`; nothing, with `error` set, for an invalid or repeated key
// or a too long value.
std::optional<std::string> buildSubstitutionDictionary(std::vector<SubstitutionEntry> entries, std::string* error);

} // namespace yv::capture
