// Key preparation and normalisation under an index's key-style flags.
#include <book/searchkey.h>

#include "widthtables_p.h"

#include <platform/codec.h>

#include <algorithm>

namespace yv::book {

using namespace Internal;

namespace {

bool deletedOutright(std::uint16_t jis)
{
    return (jis >= 0x2121 && jis <= 0x2125) || (jis >= 0x2127 && jis <= 0x2132) || jis == 0x213B
        || (jis >= 0x213D && jis <= 0x2146) || (jis >= 0x2148 && jis <= 0x215C)
        || (jis >= 0x215E && jis <= 0x22FE) || (jis > 0x2800 && jis < 0x2FFF);
}

constexpr std::uint16_t kLongVowelMark = 0x213C;
constexpr std::uint16_t kHiraganaVowels[] = {0x2422, 0x2424, 0x2426, 0x2428, 0x242A};  // あいうえお

// Vowel (0 to 4) of a hiragana or katakana syllable, or -1.
int vowelOf(std::uint16_t jis)
{
    const int row = jis >> 8;
    if (row != 0x24 && row != 0x25)
        return -1;
    const int cell = jis & 0xFF;
    if (cell >= 0x21 && cell <= 0x2A)  // ぁ あ ぃ い ... お
        return (cell - 0x21) / 2;
    if (cell >= 0x2B && cell <= 0x42)  // か が ... ぢ: pairs of plain and voiced
        return ((cell - 0x2B) / 2) % 5;
    if (cell >= 0x43 && cell <= 0x49) {  // っ つ づ て で と ど
        static constexpr int kVowels[] = {2, 2, 2, 3, 3, 4, 4};
        return kVowels[cell - 0x43];
    }
    if (cell >= 0x4A && cell <= 0x4E)  // な .. の
        return cell - 0x4A;
    if (cell >= 0x4F && cell <= 0x5D)  // は ば ぱ .. ほ ぼ ぽ
        return (cell - 0x4F) / 3;
    if (cell >= 0x5E && cell <= 0x62)  // ま .. も
        return cell - 0x5E;
    if (cell >= 0x63 && cell <= 0x68) {  // ゃ や ゅ ゆ ょ よ
        static constexpr int kVowels[] = {0, 0, 2, 2, 4, 4};
        return kVowels[cell - 0x63];
    }
    if (cell >= 0x69 && cell <= 0x6D)  // ら .. ろ
        return cell - 0x69;
    if (cell >= 0x6E && cell <= 0x6F)  // ゎ わ
        return 0;
    if (cell == 0x70)  // ゐ
        return 1;
    if (cell == 0x71)  // ゑ
        return 3;
    if (cell == 0x72)  // を
        return 4;
    if (cell == 0x74)  // ヴ
        return 2;
    if (cell == 0x75)  // ヵ
        return 0;
    if (cell == 0x76)  // ヶ
        return 3;
    return -1;
}

bool isSmallTsu(std::uint16_t cell) { return cell == 0x43; }
bool isSmallYaYuYoWa(std::uint16_t cell) { return cell == 0x63 || cell == 0x65 || cell == 0x67 || cell == 0x6E; }
bool isSmallVowel(std::uint16_t cell) { return cell >= 0x21 && cell <= 0x29 && cell % 2 == 1; }

bool isVoiced(std::uint16_t cell)
{
    if (cell >= 0x2C && cell <= 0x42)  // が .. ぢ
        return cell % 2 == 0;
    if (cell == 0x45 || cell == 0x47 || cell == 0x49)  // づ で ど
        return true;
    return cell >= 0x50 && cell <= 0x5C && (cell - 0x50) % 3 == 0;  // ば び ぶ べ ぼ
}

bool isSemiVoiced(std::uint16_t cell)
{
    return cell >= 0x51 && cell <= 0x5D && (cell - 0x51) % 3 == 0;  // ぱ ぴ ぷ ぺ ぽ
}

// One character under the rules that are not switched off by the flags; 0 deletes it.
std::uint16_t normalizeCharacter(std::uint16_t jis, const KeyStyle& s, std::uint16_t previous)
{
    const std::uint8_t f1 = s.flagsInForce ? s.flag1 : 0;
    const std::uint8_t f2 = s.flagsInForce ? s.flag2 : 0;
    const std::uint8_t f3 = s.flagsInForce ? s.flag3 : 0;

    if (jis >= 0x2521 && jis <= 0x25FE && f1 < 0x40)
        jis = static_cast<std::uint16_t>(jis - 0x100);
    if (!(f1 & 0x30)) {
        if ((jis >= 'a' && jis <= 'z') || (jis >= 0x2361 && jis <= 0x237A) || (jis >= 0x2641 && jis <= 0x2658))
            return static_cast<std::uint16_t>(jis - 0x20);
        if (jis >= 0x2751 && jis <= 0x2771)
            return static_cast<std::uint16_t>(jis - 0x30);
    }
    if ((jis == 0x2126 || jis == 0x2147 || jis == 0x215D) && !(f1 & 0x0C))
        return 0;
    if (jis == kLongVowelMark) {
        if ((f1 & 0x03) == 2)
            return 0;
        if (f1 & 0x03)
            return jis;
        const int vowel = vowelOf(previous);
        if (vowel < 0)
            return jis;
        const std::uint16_t hiragana = kHiraganaVowels[vowel];
        return (previous >> 8) == 0x25 ? static_cast<std::uint16_t>(hiragana + 0x100) : hiragana;
    }

    const int row = jis >> 8;
    if (row != 0x24 && row != 0x25)
        return jis;
    const std::uint16_t cell = jis & 0xFF;
    if (isSmallTsu(cell) && f2 < 0x40)
        return static_cast<std::uint16_t>(jis + 1);
    if (!(f2 & 0x30)) {
        if (isSmallYaYuYoWa(cell))
            return static_cast<std::uint16_t>(jis + 1);
        if (cell == 0x75)  // ヵ: カ (か once katakana became hiragana)
            return static_cast<std::uint16_t>((row << 8) | 0x2B);
        if (cell == 0x76)  // ヶ: ケ
            return static_cast<std::uint16_t>((row << 8) | 0x31);
    }
    if (isSmallVowel(cell) && !(f2 & 0x0C))
        return static_cast<std::uint16_t>(jis + 1);
    if (!(f2 & 0x03)) {
        if (isVoiced(cell))
            return static_cast<std::uint16_t>(jis - 1);
        if (cell == 0x74)  // ヴ: ウ
            return static_cast<std::uint16_t>((row << 8) | 0x26);
    }
    if (isSemiVoiced(cell) && f3 < 0x40)
        return static_cast<std::uint16_t>(jis - 2);
    return jis;
}

} // namespace

std::string_view trimKey(std::string_view sjis)
{
    std::size_t limit = std::min(sjis.size(), kMaxKeyBytes);
    // The limit must not split a double-byte character.
    for (std::size_t i = 0; i < limit; ++i) {
        if (codec::isLeadByte(static_cast<unsigned char>(sjis[i]))) {
            if (i + 1 >= limit) {
                limit = i;
                break;
            }
            ++i;
        }
    }
    sjis = sjis.substr(0, limit);
    for (;;) {
        if (sjis.starts_with(' '))
            sjis.remove_prefix(1);
        else if (sjis.starts_with("\r\n"))
            sjis.remove_prefix(2);
        else
            break;
    }
    while (sjis.ends_with(' '))
        sjis.remove_suffix(1);
    return sjis;
}

std::vector<std::uint16_t> toFullWidth(std::string_view sjis)
{
    std::vector<std::uint16_t> out;
    for (std::size_t i = 0; i < sjis.size(); ++i) {
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (codec::isLeadByte(b)) {
            if (i + 1 < sjis.size())
                out.push_back(static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(sjis[i + 1])));
            ++i;
        } else if (b >= 0x20 && b <= 0x7E) {
            out.push_back(kFullWidthAscii[b - 0x20]);
        } else if (codec::isHalfWidthKana(b)) {
            std::uint16_t full = kFullWidthKana[b - 0xA1];
            const auto next = i + 1 < sjis.size() ? static_cast<unsigned char>(sjis[i + 1]) : 0;
            if (next == kHalfVoicedMark && hasVoicedForm(full)) {
                full = voicedForm(full);
                ++i;
            } else if (next == kHalfSemiVoicedMark && hasSemiVoicedForm(full)) {
                full = static_cast<std::uint16_t>(full + 2);
                ++i;
            }
            out.push_back(full);
        }
        // Control characters and the bytes no code page gives a glyph have no full-width form.
    }
    return out;
}

KeyClass classifyCharacter(std::uint16_t c)
{
    if ((c >= 0x829F && c <= 0x82F1) || (c >= 0x8340 && c <= 0x8396))
        return KeyClass::Kana;
    switch (c) {
    case 0x8141: case 0x8142: case 0x814A: case 0x814B: case 0x815B:  // 、。゛゜ー
        return KeyClass::Kana;
    case 0x8146: case 0x8147: case 0x8148: case 0x8149:  // ：；？！
    case 0x8165: case 0x8166: case 0x8167: case 0x8168:  // ‘’“”
    case 0x818C: case 0x818D:                            // ′″
        return KeyClass::Alphabet;
    case 0x8140: case 0x8143: case 0x8144: case 0x8145: case 0x815D: case 0x817C:  // 　，．・‐−
        return KeyClass::Neutral;
    default:
        break;
    }
    // Full-width digits (from 0x824F) count as letters do: books index headwords of digits.
    if ((c >= 0x824F && c <= 0x8258) || (c >= 0x8260 && c <= 0x829A) || (c >= 0x839F && c <= 0x8491))
        return KeyClass::Alphabet;
    if ((c >= 0x889F && c <= 0x9872) || (c >= 0x989F && c <= 0xEAA4))
        return KeyClass::Kanji;
    return KeyClass::None;
}

SearchKey prepareSearchKey(std::string_view sjis, SearchMethod method)
{
    SearchKey key;
    key.text = std::string(sjis.substr(0, kMaxKeyBytes));
    const std::vector<std::uint16_t> full = toFullWidth(trimKey(sjis));

    KeyClass first = KeyClass::None;
    bool mixed = false;
    bool anyNeutral = false;
    for (const std::uint16_t c : full) {
        const KeyClass k = classifyCharacter(c);
        if (k == KeyClass::Neutral)
            anyNeutral = true;
        if (k == KeyClass::Neutral || k == KeyClass::None)
            continue;
        if (first == KeyClass::None)
            first = k;
        else if (k != first)
            mixed = true;
    }
    if (first == KeyClass::None)
        key.keyClass = anyNeutral ? KeyClass::Other : KeyClass::None;
    else if (mixed || first == KeyClass::Kanji)
        key.keyClass = KeyClass::Other;
    else
        key.keyClass = first;

    for (const std::uint16_t c : full) {
        if (key.entered.size() == kMaxKeyCodes)
            break;
        if (const std::uint16_t jis = codec::sjisToJis(c))
            key.entered.push_back(jis);
    }
    if (method == SearchMethod::Backward)
        std::reverse(key.entered.begin(), key.entered.end());
    return key;
}

void normalizeSearchKey(SearchKey& key, const KeyStyle& style)
{
    key.normalized.clear();
    key.filtered.clear();
    for (const std::uint16_t c : key.entered) {
        if (deletedOutright(c))
            continue;
        key.filtered.push_back(c);
        const std::uint16_t previous = key.normalized.empty() ? 0 : key.normalized.back();
        if (const std::uint16_t n = normalizeCharacter(c, style, previous))
            key.normalized.push_back(n);
    }
}

} // namespace yv::book
