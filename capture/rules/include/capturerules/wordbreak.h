// Cutting the word or words under the mouse out of one captured line.
#pragma once

#include <capturerules/charsets.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace yv::capture {

inline constexpr int kDefaultMaxDbcsChars = 16;
inline constexpr int kDefaultMaxSbcsWords = 8;

// The settings a break reads; the library keeps one set per process.
struct BreakSettings {
    int charSet = kAnsiCharSet;
    int codePage = kSystemDefaultCodePage;
    int maxDbcsChars = kDefaultMaxDbcsChars;
    int maxSbcsWords = kDefaultMaxSbcsWords;
    bool normalizeWidth = true;
};

// The Unicode break looks at the first 255 characters of a line, the ANSI break converts the
// first 256; the words handed back never exceed 255 characters.
inline constexpr std::size_t kMaxLineChars = 255;
inline constexpr std::size_t kMaxAnsiLineChars = 256;
inline constexpr std::size_t kWordBufferChars = 256;

template <typename Char>
struct WordBreak {
    // The word under the mouse with its neighbours (double-byte text: the run from the mouse on).
    std::basic_string<Char> words;
    // First and last position in the line of the word under the mouse: characters in the
    // Unicode form, bytes in the ANSI form (`end` is the last byte of its character).
    int start = 0;
    int end = 0;
};

struct WordBreakW : WordBreak<char16_t> {
    // `words` is the normalised copy of line[wordsFrom, wordsFrom + words.size()).
    std::size_t wordsFrom = 0;
};

// `hit` is the character under the mouse; nothing is found on a space, a digit or other
// punctuation, or past the end of the line.
std::optional<WordBreakW> wordBreakW(std::u16string_view line, int hit, const BreakSettings& settings);

// The same over 8-bit text in the settings' code page; `hit` is a byte position. Characters
// that normalisation left alone keep their original bytes in `words`.
std::optional<WordBreak<char>> wordBreakA(std::string_view line, int hit, const BreakSettings& settings);

} // namespace yv::capture
