// Where an input method's composition (the text being composed, not yet inserted) is drawn:
// over the pane from the caret, wrapping like the pane's own lines.
#pragma once

#include <vector>

namespace yv::editor {

struct GlyphPlace {
    int x = 0;
    int y = 0;
};

// One place per character, from the caret's position, and one more where the composition
// ends. A character that would reach the line's limit (the client width minus 4) starts the
// next line at the left margin, unless it is the first on its line.
std::vector<GlyphPlace> placeComposition(const std::vector<int>& advances, GlyphPlace caret, int clientWidth,
                                         int lineHeight);

} // namespace yv::editor
