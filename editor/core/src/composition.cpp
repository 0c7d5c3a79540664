// Placing the composition string over the pane.
#include <editorcore/composition.h>

#include <editorcore/editpane.h>

namespace yv::editor {

std::vector<GlyphPlace> placeComposition(const std::vector<int>& advances, GlyphPlace caret, int clientWidth,
                                         int lineHeight)
{
    const int limit = clientWidth - kRightReserve;
    std::vector<GlyphPlace> places;
    places.reserve(advances.size() + 1);
    GlyphPlace at = caret;
    for (const int advance : advances) {
        if (at.x > kTextLeft && at.x + advance >= limit) {
            at.x = kTextLeft;
            at.y += lineHeight;
        }
        places.push_back(at);
        at.x += advance;
    }
    places.push_back(at);
    return places;
}

} // namespace yv::editor
