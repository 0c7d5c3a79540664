// The character-set to code-page table.
#include <capturerules/charsets.h>

#include <array>

namespace yv::capture {

namespace {

struct CharSetCodePage {
    int charSet;
    int codePage;
};

constexpr std::array<CharSetCodePage, 12> kCharSetCodePages{{
    {0, 1252},    // ANSI_CHARSET
    {128, 932},   // SHIFTJIS_CHARSET
    {129, 949},   // HANGUL_CHARSET
    {134, 936},   // GB2312_CHARSET
    {136, 950},   // CHINESEBIG5_CHARSET
    {161, 1253},  // GREEK_CHARSET
    {162, 1254},  // TURKISH_CHARSET
    {177, 1255},  // HEBREW_CHARSET
    {178, 1256},  // ARABIC_CHARSET
    {186, 1257},  // BALTIC_CHARSET
    {222, 874},   // THAI_CHARSET
    {238, 1250},  // EASTEUROPE_CHARSET
}};

} // namespace

int codePageForCharSet(int charSet)
{
    const int set = charSetOf(charSet);
    for (const auto& row : kCharSetCodePages) {
        if (row.charSet == set)
            return row.codePage;
    }
    return kSystemDefaultCodePage;
}

} // namespace yv::capture
