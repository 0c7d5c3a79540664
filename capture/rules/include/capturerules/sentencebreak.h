// Finding where the sentence around a position of a captured line starts and where it ends.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace yv::capture {

// Direction 1 scans backward for the start; any other value scans forward for the end.
inline constexpr int kScanBackward = 1;
inline constexpr int kScanForward = 2;
// A position of -1 means the end of the text (backward) or its start (forward).
inline constexpr int kWholeText = -1;
// The ANSI scan converts the first 512 characters.
inline constexpr std::size_t kMaxAnsiSentenceChars = 512;

// Whether the "." or ":" at `n` ends a sentence: it must be followed by a space and an
// upper-case letter, or end the text, and must not end one of the abbreviations Dr, Mr, Ms,
// Mrs, Co, Ltd. Only the word's own length is compared, so a word that begins one of them
// ("M", "D", "Lt": mostly initials) counts as an abbreviation too.
bool IsSentenceEndAt(std::u16string_view text, std::size_t n);

// Backward: the first position of the sentence. Forward: the position of its terminating
// character. Nothing when the scan reaches the other end of the text.
std::optional<int> sentenceBreakW(std::u16string_view text, int position, int direction);

// The same over 8-bit text in `codePage`, with byte positions; the end found forward is the
// last byte of the terminating character.
std::optional<int> sentenceBreakA(std::string_view text, int position, int direction, int codePage);

} // namespace yv::capture
