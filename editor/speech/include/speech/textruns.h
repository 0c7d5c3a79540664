// Cutting a text to be read aloud into Japanese and Latin runs, each spoken by its own voice.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace yv::speech {

enum class Script { Latin, Japanese };

struct TextRun {
    Script script = Script::Latin;
    std::string text;  // UTF-8
};

// Kana, kanji, Japanese punctuation and full-width forms make Japanese runs; everything else
// Latin ones. Blanks and line breaks stay in the run they follow. Bytes that are not UTF-8
// become spaces, so that nothing unreadable reaches a voice.
std::vector<TextRun> splitScriptRuns(std::string_view utf8);

// Half-width katakana (with their voiced marks) as full-width ones, which the morphological
// dictionary and the Japanese voice know; the rest unchanged.
std::string widenHalfWidthKana(std::string_view utf8);

} // namespace yv::speech
