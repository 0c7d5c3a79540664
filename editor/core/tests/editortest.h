// Shared pieces of the editor core's tests: a fixed-pitch font and readers of pane contents.
#pragma once

#include <editorcore/editpane.h>
#include <editorcore/fontmetrics.h>

#include <string>
#include <vector>

namespace yv::editor::testing {

// Single-byte characters 8 pixels wide, double-byte 16, lines 16 high.
class FixedMetrics final : public FontMetrics {
public:
    int advance(std::uint8_t, std::uint8_t trail) const override { return trail ? 16 : 8; }
    int lineHeight() const override { return 16; }
};

inline std::string textOf(const EditPane& pane) { return pane.store().bytes(); }

inline std::vector<std::uint16_t> pairsOf(const EditPane& pane)
{
    std::vector<std::uint16_t> pairs;
    for (std::size_t i = 0; i < pane.length(); ++i)
        pairs.push_back(pane.store()[i].pair);
    return pairs;
}

// "あ" and "い" in CP932.
inline constexpr const char* kA = "\x82\xA0";
inline constexpr const char* kI = "\x82\xA2";

} // namespace yv::editor::testing
