// The translation document file (.tts): magic, version byte and both panes, counts and pair
// numbers big-endian.
#pragma once

#include "cellstore.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

inline constexpr std::string_view kTtsMagic = "WAYPOINTS";
inline constexpr std::uint8_t kTtsVersion = 3;
// The largest file two full panes make: header, then per pane a count, up to two bytes per
// character and two per pair number.
inline constexpr std::size_t kTtsMaxBytes = 10 + 2 * (2 + kMaxCharacters * 4);

struct TtsContent {
    std::vector<CellChar> source;
    std::vector<CellChar> translation;
};

std::string encodeTts(const CellStore& source, const CellStore& translation);

// Nothing when the bytes are not a whole document: wrong magic or version, or a file that
// ends inside the pane data (refused rather than half read, so that a later save cannot
// replace the file with less than it held). A NUL character is refused too, since it would
// end the pane's text; a TAB reads as a space and a CR as a line break, as insertion stores
// them. Bytes after the last field are ignored.
std::optional<TtsContent> decodeTts(std::string_view bytes);

} // namespace yv::editor
