// Decoding the text stream: entries into the display model, and headings.
#pragma once

#include <book/blocksource.h>
#include <book/displaymodel.h>
#include <book/indexsearch.h>

#include <functional>
#include <string_view>
#include <vector>

namespace yv::book {

// An entry longer than this many blocks is cut there.
inline constexpr std::size_t kMaxEntryBlocks = 256;
// Headings are at most this many Shift_JIS bytes.
inline constexpr std::size_t kMaxHeadingBytes = 512;

// Which of the two 16-dot fonts could load an external character.
struct GaijiAvailability {
    bool full = false;
    bool half = false;
    bool any() const { return full || half; }
};
using GaijiResolver = std::function<GaijiAvailability(std::uint16_t code)>;

enum class DecodeStatus { Ok, ReadError };

// Reads consecutive blocks from `position` until the entry ends and fills `model`. A read
// failure before anything was read is a read error; one later ends the entry.
DecodeStatus decodeEntry(BlockSource& source, TextPosition position, const GaijiResolver& gaiji, DisplayModel& model);

enum HeadingError : int { kHeadingOk = 0, kHeadingFileError = 1, kHeadingEmpty = 2 };

struct HeadingResult {
    int error = kHeadingOk;
    std::vector<DisplayCell> cells;
    std::string_view diagnostic;  // the reader's diagnostic line for an error
};

// The heading of a hit: from its heading position up to the newline, or else the keyword at
// its text position.
HeadingResult decodeHeading(BlockSource& source, const HitRecord& hit, const GaijiResolver& gaiji);

// The cells as Shift_JIS text; an external character becomes `gaijiText`.
std::string cellsToSjis(const std::vector<DisplayCell>& cells, std::string_view gaijiText = "  ");

} // namespace yv::book
