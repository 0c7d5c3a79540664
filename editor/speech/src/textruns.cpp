// Script runs of a text to be read aloud, and half-width kana widened.
#include <speech/textruns.h>

#include <platform/codec.h>

#include <array>

namespace yv::speech {

namespace {

bool isJapanese(char32_t c)
{
    return (c >= 0x3000 && c <= 0x30FF)     // CJK punctuation, hiragana, katakana
           || (c >= 0x31F0 && c <= 0x31FF)  // katakana extensions
           || (c >= 0x3400 && c <= 0x4DBF)  // CJK extension A
           || (c >= 0x4E00 && c <= 0x9FFF)  // CJK unified ideographs
           || (c >= 0xF900 && c <= 0xFAFF)  // compatibility ideographs
           || (c >= 0xFF01 && c <= 0xFF9F)  // full-width forms, half-width katakana
           || (c >= 0x20000 && c <= 0x2FFFF);
}

bool isBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// U+FF61 to U+FF9F in order, as full-width characters.
constexpr std::array<char32_t, 63> kWideKana = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9,
    0x30E3, 0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB,
    0x30AD, 0x30AF, 0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1,
    0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5,
    0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9,
    0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};
constexpr char32_t kHalfVoiced = 0xFF9E;
constexpr char32_t kHalfSemiVoiced = 0xFF9F;

// The voiced (or semi-voiced) form of a full-width katakana, or 0 when it has none.
char32_t voiced(char32_t kana, bool semi)
{
    if (semi)
        return kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0 ? kana + 2 : 0;
    if (kana == 0x30A6)
        return 0x30F4;
    if ((kana >= 0x30AB && kana <= 0x30C1 && (kana - 0x30AB) % 2 == 0) ||
        (kana >= 0x30C4 && kana <= 0x30C8 && (kana - 0x30C4) % 2 == 0))
        return kana + 1;
    if (kana >= 0x30CF && kana <= 0x30DB && (kana - 0x30CF) % 3 == 0)
        return kana + 1;
    return 0;
}

} // namespace

std::vector<TextRun> splitScriptRuns(std::string_view utf8)
{
    std::vector<TextRun> runs;
    for (std::size_t i = 0; i < utf8.size();) {
        const codec::Utf8Char c = codec::decodeUtf8At(utf8, i);
        const std::string_view bytes = c.valid ? utf8.substr(i, c.length) : std::string_view(" ");
        i += c.length;
        const bool blank = !c.valid || isBlank(c.codePoint);
        const Script script = !blank && isJapanese(c.codePoint) ? Script::Japanese : Script::Latin;
        if (runs.empty() || (!blank && runs.back().script != script))
            runs.push_back({script, {}});
        runs.back().text.append(bytes);
    }
    return runs;
}

std::string widenHalfWidthKana(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const codec::Utf8Char c = codec::decodeUtf8At(utf8, i);
        if (!c.valid || c.codePoint < 0xFF61 || c.codePoint > 0xFF9F) {
            out.append(utf8.substr(i, c.length));
            i += c.length;
            continue;
        }
        i += c.length;
        char32_t wide = kWideKana[c.codePoint - 0xFF61];
        if (i < utf8.size()) {
            const codec::Utf8Char mark = codec::decodeUtf8At(utf8, i);
            if (mark.valid && (mark.codePoint == kHalfVoiced || mark.codePoint == kHalfSemiVoiced)) {
                if (const char32_t combined = voiced(wide, mark.codePoint == kHalfSemiVoiced)) {
                    wide = combined;
                    i += mark.length;
                }
            }
        }
        codec::appendUtf8(out, wide);
    }
    return out;
}

} // namespace yv::speech
