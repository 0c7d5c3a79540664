// The one home of code-page work: CP932 <-> UTF-8, JIS X 0208 codes and encoding detection.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yv::codec {

// Shift_JIS as Windows code page 932: a lead byte starts a two-byte character.
constexpr bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Single bytes 0xA1-0xDF: half-width katakana and half-width Japanese punctuation.
constexpr bool isHalfWidthKana(unsigned char b)
{
    return b >= 0xA1 && b <= 0xDF;
}

// "〓" in CP932: stands for a character the code page cannot hold.
inline constexpr std::string_view kCp932Replacement = "\x81\xAC";

// Bytes that are not valid CP932 become U+FFFD; nothing is dropped silently.
std::string cp932ToUtf8(std::string_view cp932);
// Characters CP932 cannot hold (and invalid UTF-8) become "〓".
std::string utf8ToCp932(std::string_view utf8);

// JIS X 0208 code (row and cell each 0x21-0x7E) to the Shift_JIS double-byte code; 0 when
// the code lies outside that range.
std::uint16_t jisToSjis(std::uint16_t jis);
// The inverse: 0 when the code is not a well-formed Shift_JIS double-byte code.
std::uint16_t sjisToJis(std::uint16_t sjis);

enum class TextEncoding {
    Ascii,      // 7-bit only, no escape sequences: readable as any of the others
    Utf8,
    Utf8Bom,
    Utf16LE,    // with byte-order mark
    Utf16BE,    // with byte-order mark
    Cp932,
    EucJp,
    Iso2022Jp,
};

// Decides how a text file from the user is encoded: BOM first, then ISO-2022-JP escapes,
// then whichever of UTF-8, CP932 and EUC-JP reads the bytes best. Never fails: bytes that
// fit nothing well are taken as CP932.
TextEncoding detectEncoding(std::string_view bytes);

const char* encodingName(TextEncoding encoding);

// Converts bytes of the given encoding (a BOM included in the bytes is dropped) to UTF-8.
std::string toUtf8(std::string_view bytes, TextEncoding encoding);
// Converts UTF-8 back to the given encoding, writing a BOM for Utf8Bom / Utf16*;
// unmappable characters become "〓" (or "?" where the target has no "〓").
std::string fromUtf8(std::string_view utf8, TextEncoding encoding);

// Appends one code point as UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// One UTF-8 character at byte `at` (< s.size()): its length (at least 1; for ill-formed
// input the maximal ill-formed prefix), its code point, and whether it is well formed.
struct Utf8Char {
    std::size_t length;
    char32_t codePoint;
    bool valid;
};
Utf8Char decodeUtf8At(std::string_view s, std::size_t at);

// A character of Japanese writing: kana (half-width too), kanji, the Japanese punctuation and
// symbols (U+3000-U+33FF) and the full-width forms. Latin, Greek, Cyrillic and the general
// punctuation of English text (’ “ … —) are not, although CP932 holds them as double-byte
// characters.
bool isJapaneseCharacter(char32_t codePoint);

// Convenience for text that enters the document model: any detected encoding to CP932.
std::string toCp932(std::string_view bytes, TextEncoding encoding);

} // namespace yv::codec
