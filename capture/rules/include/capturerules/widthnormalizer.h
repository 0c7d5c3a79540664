// Width normalisation: full-width ASCII to ASCII, half-width katakana to full width, and a few
// look-alike punctuation marks to their ASCII forms.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace yv::capture {

// One character to its normal width; every character maps to exactly one, so positions keep.
char16_t normalizedWidth(char16_t c);

void normalizeWidth(std::span<char16_t> text);

// The bytes of `text` (up to its first NUL) in code page `codePage`, normalised. The result is
// never longer than `capacity` - 1 bytes: where widening half-width katakana would not fit, the
// characters nearest the end keep their original bytes. Bytes the code page does not define,
// and characters it cannot hold after normalisation, are kept as they were.
std::string normalizeWidthBytes(int codePage, std::string_view text, std::size_t capacity);

} // namespace yv::capture
