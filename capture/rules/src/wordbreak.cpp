// The built-in word breaks: a run of kana and ideographs from the mouse on, or the English word
// under the mouse with up to half the maximum word count of words around it.
#include <capturerules/wordbreak.h>

#include <capturerules/codepage.h>
#include <capturerules/widthnormalizer.h>

#include <algorithm>

namespace yv::capture {

namespace {

constexpr bool isHighSurrogate(char16_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

struct TokenScan {
    std::u16string tokens;   // letters, inner joiners and the spaces between words
    std::size_t from = 0;    // line position of tokens[0]: the tokens are one stretch of the line
    std::size_t hit = 0;     // index in tokens of the character under the mouse
};

// Collects the letters, joiners and spaces around the mouse. Anything else before the mouse
// starts the collection afresh; after it, it ends the collection.
std::optional<TokenScan> scanTokens(std::u16string_view w, std::size_t h, int charSet)
{
    TokenScan scan;
    std::u16string& t = scan.tokens;
    std::optional<std::size_t> hitToken;
    for (std::size_t i = 0; i < w.size(); ++i) {
        if (i == h)
            hitToken = t.size();
        const char16_t c = w[i];
        if (isLetter(charSet, c)) {
            if (t.empty())
                scan.from = i;
            t.push_back(c);
        } else if (isWordJoiner(c)) {
            if (t.empty()) {
                // A leading joiner is no part of any word: under the mouse, nothing is.
                if (i >= h)
                    return std::nullopt;
            } else if (isLetter(charSet, t.back())) {
                t.push_back(c);
            } else if (i >= h) {
                t.pop_back();
                break;
            } else {
                t.clear();
            }
        } else if (c == u' ') {
            if (t.empty())
                continue;
            if (isLetter(charSet, t.back()) || t.back() == u' ')
                t.push_back(c);
            else if (i >= h)
                break;
            else
                t.clear();
        } else if (i >= h) {
            break;
        } else {
            t.clear();
        }
    }
    if (!hitToken || *hitToken >= t.size())
        return std::nullopt;
    scan.hit = *hitToken;
    return scan;
}

} // namespace

std::optional<WordBreakW> wordBreakW(std::u16string_view line, int hit, const BreakSettings& settings)
{
    std::u16string w(line.substr(0, std::min(line.find(u'\0'), kMaxLineChars)));
    if (hit < 0 || static_cast<std::size_t>(hit) >= w.size())
        return std::nullopt;
    const auto h = static_cast<std::size_t>(hit);
    if (settings.normalizeWidth)
        normalizeWidth(w);
    const int charSet = charSetOf(settings.charSet);

    WordBreakW result;
    result.start = hit;
    result.end = hit;
    if (isDbcsRegularChar(charSet, w[h])) {
        std::size_t n = 1;
        while (h + n < w.size() && static_cast<long long>(n) < settings.maxDbcsChars
               && isDbcsRegularChar(charSet, w[h + n]))
            ++n;
        if (n > 1 && isHighSurrogate(w[h + n - 1]))
            --n;  // never hand over half a surrogate pair
        result.words = w.substr(h, n);
        result.wordsFrom = h;
        return result;
    }
    if (w[h] == u' ')
        return std::nullopt;

    const std::optional<TokenScan> scan = scanTokens(w, h, charSet);
    if (!scan)
        return std::nullopt;
    const std::u16string& t = scan->tokens;
    const std::size_t at = scan->hit;

    // The word under the mouse, in line positions (the tokens are contiguous in the line).
    std::size_t first = at;
    while (first > 0 && t[first - 1] != u' ')
        --first;
    std::size_t last = at;
    while (last + 1 < t.size() && t[last + 1] != u' ')
        ++last;
    result.start = static_cast<int>(h - (at - first));
    result.end = static_cast<int>(h + (last - at));

    // Context: walk to the k-th word start before and the k-th word end after; a maximum below
    // two words still gives the word under the mouse.
    const int k = std::max(1, settings.maxSbcsWords / 2);
    std::size_t begin = at;
    for (int starts = 0; begin > 0 && starts < k; --begin) {
        if (t[begin] != u' ' && t[begin - 1] == u' ')
            ++starts;
    }
    std::size_t end = at;
    for (int ends = 0; end < t.size() && ends < k; ++end) {
        if (t[end] != u' ' && end + 1 < t.size() && t[end + 1] == u' ')
            ++ends;
    }
    result.words = t.substr(begin, end - begin);
    result.wordsFrom = scan->from + begin;
    return result;
}

std::optional<WordBreak<char>> wordBreakA(std::string_view line, int hit, const BreakSettings& settings)
{
    if (hit < 0)
        return std::nullopt;
    const int codePage = resolveCodePage(settings.codePage);
    const DecodedText decoded = decodeUnits(codePage, line, kMaxAnsiLineChars);
    const std::size_t hitChar = decoded.unitAt(static_cast<std::size_t>(hit));
    if (hitChar >= decoded.chars.size())
        return std::nullopt;
    const std::optional<WordBreakW> wide = wordBreakW(decoded.chars, static_cast<int>(hitChar), settings);
    if (!wide)
        return std::nullopt;

    WordBreak<char> result;
    for (std::size_t k = 0; k < wide->words.size(); ++k) {
        const std::size_t unit = wide->wordsFrom + k;
        const char16_t c = wide->words[k];
        std::string bytes;
        if (c != decoded.chars[unit])
            bytes = encodeChar(codePage, c);
        if (bytes.empty())
            bytes = line.substr(decoded.offsets[unit], decoded.unitLength(unit));
        result.words += bytes;
    }
    const auto start = static_cast<std::size_t>(wide->start);
    const auto end = static_cast<std::size_t>(wide->end);
    result.start = static_cast<int>(decoded.offsets[start]);
    result.end = static_cast<int>(decoded.offsets[end + 1] - 1);
    return result;
}

} // namespace yv::capture
