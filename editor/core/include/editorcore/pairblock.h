// The clipboard's "CF_WAYPOINTS" block: which pane a cut came from and the pair numbers of
// the cut cells, so that pasting back into that pane restores them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::editor {

inline constexpr std::string_view kPairBlockFormat = "CF_WAYPOINTS";
inline constexpr std::string_view kPairBlockMimeType = "application/x-yorvane5-pairs";

struct PairBlock {
    std::uint32_t storeIdentity = 0;
    std::uint32_t window = 0;
    std::vector<std::uint16_t> pairs;  // one per cut cell
};

// Little-endian: store identity (4), window handle (4), count n (2), n pair numbers (2 each).
std::string encodePairBlock(const PairBlock& block);
// Nothing when the bytes are short, or the count disagrees with what follows it.
std::optional<PairBlock> decodePairBlock(std::string_view bytes);

} // namespace yv::editor
