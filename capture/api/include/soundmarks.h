// Shift_JIS katakana followed by a separate (semi-)voiced sound mark, written as one character.
#pragma once

#include <string>
#include <string_view>

namespace yv::capture {

// ハ + ゜ → パ, ウ + ゛ → ヴ; the mark itself is dropped. Walks whole characters, so ASCII
// before the katakana never shifts the pairs.
std::string mergeSoundMarks(std::string_view sjis);

} // namespace yv::capture
