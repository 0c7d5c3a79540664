// Translation units of one sentence and the result-block text the engine link carries.
#pragma once

#include "pos.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

inline constexpr std::ptrdiff_t kNoOffset = -1;

// One line of a result block: a word or phrase and the source bytes it translates.
struct Unit {
    std::string text;                   // UTF-8
    PartOfSpeech tag = PartOfSpeech::None;
    std::ptrdiff_t offset = kNoOffset;  // CP932 bytes from the start of the sentence
    std::size_t length = 0;
    bool fromDictionary = false;        // found in a dictionary (not passed through or supplied)
};

// "$$$ N" and one line per unit: text TAB tag TAB source TAB offset TAB length, with offsets
// moved by `sentenceOffset` into the sent text. TAB, CR, LF and NUL in texts become spaces.
std::string formatBlock(std::size_t sentenceNumber, const std::vector<Unit>& units, std::string_view sentText,
                        std::size_t sentenceOffset);

// A sentence the engine could not translate: its source text ending in a line feed.
std::string formatUntranslatable(std::string_view sentence);

// The units joined as plain text: Japanese without spaces, English with the spacing the
// editor applies (no space before . , ! ? :).
std::string joinUnits(const std::vector<Unit>& units, bool english);

} // namespace yv::engine::Internal
