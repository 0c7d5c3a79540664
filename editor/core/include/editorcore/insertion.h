// Turns a CP932 text into the characters a pane stores: line ends folded, TAB as a space.
#pragma once

#include "cellstore.h"

#include <string_view>
#include <vector>

namespace yv::editor {

// Text handed in from outside (paste, import, dictation) must stay below this many bytes.
inline constexpr std::size_t kOutsideTextLimit = 65536;

// A double-byte character stays one character; CR or LF becomes one line break and swallows
// one directly following CR or LF (CR LF, LF CR and LF LF each give one break); TAB becomes a
// space. The text ends at its first NUL. A lead byte without a valid trail byte becomes "〓",
// so that every stored lead byte has its trail.
std::vector<CellChar> normalizeInsertion(std::string_view cp932, std::uint16_t pair = 0, std::uint8_t tag = 0);

} // namespace yv::editor
