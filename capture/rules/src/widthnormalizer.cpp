// Width normalisation, with the JIS X 0201 to JIS X 0208 correspondence for half-width kana.
#include <capturerules/widthnormalizer.h>

#include <capturerules/codepage.h>

#include <array>
#include <vector>

namespace yv::capture {

namespace {

constexpr char16_t kFirstHalfWidthKana = 0xFF61;

// U+FF61-U+FF9F in order: the full-width forms of the half-width katakana and marks.
constexpr std::array<char16_t, 63> kFullWidthKana{
    u'。', u'「', u'」', u'、', u'・', u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー',
    u'ア', u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス', u'セ', u'ソ', u'タ',
    u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ', u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ',
    u'ム', u'メ', u'モ', u'ヤ', u'ユ', u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン', u'゛', u'゜',
};

} // namespace

char16_t normalizedWidth(char16_t c)
{
    if (c >= 0xFF01 && c <= 0xFF5E)
        return static_cast<char16_t>((c & 0xFF) + 0x20);
    if (c >= kFirstHalfWidthKana && c < kFirstHalfWidthKana + kFullWidthKana.size())
        return kFullWidthKana[c - kFirstHalfWidthKana];
    switch (c) {
    case 0x2019:  // right single quotation mark
    case 0x2032:  // prime
        return u'\'';
    case 0x2571:  // box drawing diagonal
        return u'/';
    case 0x3000:  // ideographic space
        return u' ';
    default:
        return c;
    }
}

void normalizeWidth(std::span<char16_t> text)
{
    for (char16_t& c : text)
        c = normalizedWidth(c);
}

std::string normalizeWidthBytes(int codePage, std::string_view text, std::size_t capacity)
{
    const DecodedText decoded = decodeUnits(codePage, text, text.size());
    const std::size_t units = decoded.chars.size();
    std::vector<std::string> replacements(units);
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t c = decoded.chars[i];
        if (c != kUndecodable && normalizedWidth(c) != c)
            replacements[i] = encodeChar(codePage, normalizedWidth(c));
    }

    // Widen from the start only while the bytes still to come fit as they are.
    const std::size_t limit = capacity > 0 ? capacity - 1 : 0;
    std::size_t originalRest = decoded.offsets.back();
    std::string out;
    for (std::size_t i = 0; i < units; ++i) {
        const std::string_view original = text.substr(decoded.offsets[i], decoded.unitLength(i));
        originalRest -= original.size();
        const std::string& wide = replacements[i];
        if (!wide.empty() && out.size() + wide.size() + originalRest <= limit)
            out += wide;
        else if (out.size() + original.size() + originalRest <= limit)
            out += original;
        else
            break;
    }
    return out;
}

} // namespace yv::capture
