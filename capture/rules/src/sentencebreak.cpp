// The built-in sentence breaks: terminators outside brackets, and periods by the period rule.
#include <capturerules/sentencebreak.h>

#include <capturerules/codepage.h>

#include <algorithm>
#include <array>
#include <climits>

namespace yv::capture {

namespace {

constexpr bool isTerminator(char16_t c)
{
    switch (c) {
    case u'!':
    case u';':
    case u'?':
    case 0x3002:  // 。
    case 0xFE52:  // small full stop
    case 0xFE54:  // small semicolon
    case 0xFE55:  // small colon
    case 0xFE56:  // small question mark
    case 0xFE57:  // small exclamation mark
    case 0xFF01:  // ！
    case 0xFF0E:  // ．
    case 0xFF1A:  // ：
    case 0xFF1B:  // ；
    case 0xFF1F:  // ？
        return true;
    default:
        return false;
    }
}

constexpr bool isOpeningBracket(char16_t c)
{
    switch (c) {
    case u'(':
    case u'<':
    case 0x3008:  // 〈
    case 0x300A:  // 《
    case 0x300C:  // 「
    case 0x300E:  // 『
    case 0xFF08:  // （
    case 0xFF62:  // ｢
        return true;
    default:
        return false;
    }
}

constexpr bool isClosingBracket(char16_t c)
{
    switch (c) {
    case u')':
    case u'>':
    case 0x3009:  // 〉
    case 0x300B:  // 》
    case 0x300D:  // 」
    case 0x300F:  // 』
    case 0xFF09:  // ）
    case 0xFF63:  // ｣
        return true;
    default:
        return false;
    }
}

char16_t charAt(std::u16string_view text, std::size_t i)
{
    return i < text.size() ? text[i] : u'\0';
}

// A bracket written between quotes (`(`, "(", ‘(’) is quoted, not opened or closed.
bool bracketCounts(std::u16string_view text, std::size_t i)
{
    const char16_t before = i > 0 ? text[i - 1] : u'\0';
    const char16_t after = charAt(text, i + 1);
    if ((before == u'`' && after == u'`') || (before == u'"' && after == u'"')
        || (before == 0x2018 && after == 0x2019))
        return false;
    if (before == 0x201C)
        return after != 0x201D;
    return true;
}

constexpr char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool beginsIgnoringCase(std::u16string_view abbreviation, std::u16string_view word)
{
    if (word.size() > abbreviation.size())
        return false;
    return std::equal(word.begin(), word.end(), abbreviation.begin(),
                      [](char16_t a, char16_t b) { return asciiLower(a) == asciiLower(b); });
}

std::optional<int> scanBackward(std::u16string_view text, int position)
{
    const long long last = static_cast<long long>(text.size()) - 1;
    long long i = position == kWholeText ? last : std::min<long long>(position, last);
    int depth = 0;
    for (; i >= 0; --i) {
        const auto at = static_cast<std::size_t>(i);
        const char16_t c = text[at];
        if (isTerminator(c)) {
            if (depth == 0)
                return static_cast<int>(i + 1);
        } else if (isClosingBracket(c)) {
            if (bracketCounts(text, at))
                ++depth;
        } else if (isOpeningBracket(c)) {
            if (depth > 0 && bracketCounts(text, at))
                --depth;
        } else if ((c == u'.' || c == u':') && depth == 0 && IsSentenceEndAt(text, at)) {
            return static_cast<int>(i + 1);
        }
    }
    return std::nullopt;
}

std::optional<int> scanForward(std::u16string_view text, int position)
{
    const bool inside = position >= 0 && static_cast<std::size_t>(position) < text.size();
    int depth = 0;
    for (std::size_t i = inside ? static_cast<std::size_t>(position) : 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (isTerminator(c)) {
            if (depth == 0)
                return static_cast<int>(i);
        } else if (isOpeningBracket(c)) {
            if (bracketCounts(text, i))
                ++depth;
        } else if (isClosingBracket(c)) {
            if (depth > 0 && bracketCounts(text, i))
                --depth;
        } else if (depth == 0) {
            if (c == u'.' && IsSentenceEndAt(text, i))
                return static_cast<int>(i);
            if (c == u':' && (i + 1 == text.size() || text[i + 1] == u' '))
                return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

} // namespace

bool IsSentenceEndAt(std::u16string_view text, std::size_t n)
{
    if (n <= 1 || n >= text.size())
        return false;

    std::size_t next = n + 1;
    const bool spaceAfter = charAt(text, next) == u' ';
    while (next < text.size() && text[next] == u' ')
        ++next;
    const bool atEnd = next >= text.size();
    const char16_t following = charAt(text, next);
    if (!atEnd && !(spaceAfter && following >= u'A' && following <= u'Z'))
        return false;

    std::size_t wordStart = n;
    while (wordStart > 0 && text[wordStart - 1] != u' ')
        --wordStart;
    if (wordStart == n)
        return true;
    const std::u16string_view word = text.substr(wordStart, n - wordStart);
    constexpr std::array<std::u16string_view, 6> kAbbreviations{u"Dr", u"Mr", u"Ms", u"Mrs", u"Co", u"Ltd"};
    return std::none_of(kAbbreviations.begin(), kAbbreviations.end(),
                        [word](std::u16string_view a) { return beginsIgnoringCase(a, word); });
}

std::optional<int> sentenceBreakW(std::u16string_view text, int position, int direction)
{
    text = text.substr(0, std::min<std::size_t>(text.find(u'\0'), INT_MAX));
    return direction == kScanBackward ? scanBackward(text, position) : scanForward(text, position);
}

std::optional<int> sentenceBreakA(std::string_view text, int position, int direction, int codePage)
{
    const DecodedText decoded = decodeUnits(codePage, text, kMaxAnsiSentenceChars);
    int charPosition = position;
    if (position >= 0)
        charPosition = static_cast<int>(decoded.unitAt(static_cast<std::size_t>(position)));
    const std::optional<int> found = sentenceBreakW(decoded.chars, charPosition, direction);
    if (!found)
        return std::nullopt;
    const auto unit = static_cast<std::size_t>(*found);
    if (direction == kScanBackward)
        return static_cast<int>(decoded.offsets[unit]);
    return static_cast<int>(decoded.offsets[unit + 1] - 1);
}

} // namespace yv::capture
