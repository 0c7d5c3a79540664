// The second source's answer from an accessible's text: the word or the sentence at a
// character offset, cut by the capture rules, with rectangles from the character extents,
// written into the shared block in the code page of the suite (Shift_JIS).
#pragma once

#include <SnrApi32.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace yv::capture {

// A character's box on the screen as the accessible reports it.
struct CharBox {
    std::int32_t x = 0, y = 0, width = 0, height = 0;
};

// A stretch of an accessible's text around the point. Offsets count characters; utf8[0]
// is the accessible's character `first`. The text comes from another program: it may be
// ill-formed, and `hit` may lie anywhere.
struct TextAtPoint {
    std::string utf8;
    int first = 0;
    int hit = -1;
};

// The box of the accessible's character at an offset; nothing when it has none.
using CharExtents = std::function<std::optional<CharBox>(int offset)>;

// Characters of the stretch looked at: enough for a sentence that fills the text block.
inline constexpr std::size_t kMaxAccessibleChars = 4096;

// The words, the displayed word and its rectangle at the hit; false when no word lies there
// or none of its characters has a box.
bool answerWords(const TextAtPoint& text, const CharExtents& extents, SNRWordBreakProcW wordBreak,
                 AcrobatSharedData* out);

// The sentence through the hit, one line of text a row of boxes (or a line feed), at most 12
// lines above and below the hit's line, with the line count, lines above and line rectangles.
bool answerSentence(const TextAtPoint& text, const CharExtents& extents, SNRSentenceBreakProcW sentenceBreak,
                    AcrobatSharedData* out);

// Length of the longest prefix of Shift_JIS `text` of at most `limit` bytes that ends on a
// character boundary.
std::size_t shiftJisPrefix(std::string_view text, std::size_t limit);

} // namespace yv::capture
