// Windows code pages through iconv, character by character: each character of an 8-bit text
// keeps the byte range it came from, so that byte and character positions map onto each other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace yv::capture {

// Stands for a byte or byte pair that the code page does not define.
inline constexpr char16_t kUndecodable = u'\uFFFD';

// The lead-byte test of a code page (0 is the system code page). A code page the suite does not
// know reads as the system code page.
bool isLeadByte(int codePage, unsigned char b);

// An 8-bit text decoded unit by unit. A unit is a lead byte with the byte after it, or a single
// byte; it always yields exactly one character (kUndecodable when the code page has none).
struct DecodedText {
    std::u16string chars;
    // offsets[i] is the first byte of unit i; offsets[chars.size()] is the end of the last one.
    std::vector<std::uint32_t> offsets{0};

    std::uint32_t unitLength(std::size_t unit) const { return offsets[unit + 1] - offsets[unit]; }
    // The unit holding byte `byte`; chars.size() when the byte lies past the decoded part.
    std::size_t unitAt(std::size_t byte) const;
};

// Decodes up to the first NUL, at most `maxChars` units.
DecodedText decodeUnits(int codePage, std::string_view bytes, std::size_t maxChars);

// All of `bytes` up to the first NUL (undecodable units become U+FFFD).
std::u16string toUtf16(int codePage, std::string_view bytes);

// The bytes of one character; empty when the code page cannot hold it. Where a code page has
// several codes for a character, the lowest is taken.
std::string encodeChar(int codePage, char16_t c);

// Length of the longest prefix of `bytes` of at most `limit` bytes that does not end between
// a lead byte and its second byte.
std::size_t prefixAtCharBoundary(int codePage, std::string_view bytes, std::size_t limit);

} // namespace yv::capture
