// Windows character sets, the code page of each, and the character classes of the capture rules.
#pragma once

#include <cstdint>

namespace yv::capture {

// Character-set numbers the rules treat specially.
inline constexpr int kAnsiCharSet = 0;
inline constexpr int kShiftJisCharSet = 128;
inline constexpr int kHangulCharSet = 129;
inline constexpr int kGb2312CharSet = 134;
inline constexpr int kChineseBig5CharSet = 136;
inline constexpr int kThaiCharSet = 222;

// Code page 0 means "the system default"; the suite's own text is Shift_JIS, code page 932.
inline constexpr int kSystemDefaultCodePage = 0;
inline constexpr int kSystemCodePage = 932;

// Only the low 8 bits of a character-set argument count.
constexpr int charSetOf(int argument)
{
    return argument & 0xFF;
}

// The code page of a character set; 0 (the system default) for a set the table does not name.
int codePageForCharSet(int charSet);

constexpr int resolveCodePage(int codePage)
{
    return codePage == kSystemDefaultCodePage ? kSystemCodePage : codePage;
}

// Half-width katakana and marks of Shift_JIS, as bytes and as characters.
constexpr bool isHalfWidthKanaByte(int charSet, unsigned char b)
{
    return charSetOf(charSet) == kShiftJisCharSet && b > 0xA0 && b < 0xE0;
}

constexpr bool isHalfWidthKanaChar(int charSet, char16_t c)
{
    return charSetOf(charSet) == kShiftJisCharSet && c >= 0xFF61 && c <= 0xFF9F;
}

// A character that is captured in runs, one character per "word" (kana and ideographs).
constexpr bool isDbcsRegularChar(int charSet, char16_t c)
{
    if (charSetOf(charSet) == kShiftJisCharSet)
        return (c > 0x3020 && c < 0xFB00) || (c > 0xFF64 && c < 0xFFA0);
    return c > 0x4DFF && c < 0xFB00;
}

// ASCII letters; in the sets of alphabetic scripts also U+0081-U+00FF.
constexpr bool isLetter(int charSet, char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'))
        return true;
    switch (charSetOf(charSet)) {
    case kShiftJisCharSet:
    case kHangulCharSet:
    case kGb2312CharSet:
    case kChineseBig5CharSet:
    case kThaiCharSet:
        return false;
    default:
        return c >= 0x81 && c <= 0xFF;
    }
}

// Characters that stay inside an English word: e-mail, and/or, don't, U.S.A.
constexpr bool isWordJoiner(char16_t c)
{
    return c == u'-' || c == u'/' || c == u'\'' || c == u'.';
}

} // namespace yv::capture
