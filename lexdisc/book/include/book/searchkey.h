// Search keys: trimming, full width, classification, JIS codes and normalisation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yv::book {

enum class SearchMethod { Forward, Backward };

enum class KeyClass : std::uint8_t {
    None = 0,      // unclassified only: finds nothing
    Kana = 1,
    Alphabet = 2,
    Kanji = 3,
    Other = 4,
    Neutral = 5,
};

// Key text and code arrays are limited as the key buffer is.
inline constexpr std::size_t kMaxKeyBytes = 512;
inline constexpr std::size_t kMaxKeyCodes = 512;

struct SearchKey {
    std::string text;                   // as entered, Shift_JIS
    KeyClass keyClass = KeyClass::None;
    std::vector<std::uint16_t> entered;     // JIS codes as entered (reversed for backward search)
    std::vector<std::uint16_t> normalized;  // under the chosen index's rules
    std::vector<std::uint16_t> filtered;    // entered, without the codes deleted outright
};

// The key-style flags of the index a key is normalised for; not in force means every rule
// applies.
struct KeyStyle {
    bool flagsInForce = false;
    std::uint8_t flag1 = 0;
    std::uint8_t flag2 = 0;
    std::uint8_t flag3 = 0;
};

// Trim, full width, classification, JIS codes and, for backward search, reversal.
SearchKey prepareSearchKey(std::string_view sjis, SearchMethod method);

// Fills the normalised and filtered arrays from the entered codes.
void normalizeSearchKey(SearchKey& key, const KeyStyle& style);

// Building blocks, exposed for the viewer and for tests.
std::string_view trimKey(std::string_view sjis);
// Shift_JIS double-byte codes of the text with every single-byte character made full width.
std::vector<std::uint16_t> toFullWidth(std::string_view sjis);
KeyClass classifyCharacter(std::uint16_t sjis);

} // namespace yv::book
