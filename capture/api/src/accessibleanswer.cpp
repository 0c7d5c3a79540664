// The word or sentence at an accessible's character offset, in the shared block's fields.
#include "accessibleanswer.h"

#include <capturerules/sentencebreak.h>
#include <capturerules/wordbreak.h>
#include <platform/codec.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace yv::capture {

namespace {

constexpr int kLinesEachSide = 12;

// One character a code point, so that positions in the text are the accessible's offsets;
// what a UTF-16 unit cannot hold (and a NUL, which would end the text) becomes U+FFFD.
std::u16string decode(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t at = 0; at < utf8.size() && out.size() < kMaxAccessibleChars;) {
        const codec::Utf8Char c = codec::decodeUtf8At(utf8, at);
        at += c.length;
        char32_t code = c.valid ? c.codePoint : U'\uFFFD';
        if (code == 0 || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF))
            code = U'\uFFFD';
        out.push_back(static_cast<char16_t>(code));
    }
    return out;
}

std::string toShiftJis(std::u16string_view text)
{
    std::string utf8;
    for (const char16_t c : text)
        codec::appendUtf8(utf8, c);
    return codec::utf8ToCp932(utf8);
}

template <std::size_t N>
void store(char (&field)[N], std::string_view sjis)
{
    const std::size_t n = shiftJisPrefix(sjis, N - 1);
    std::memcpy(field, sjis.data(), n);
    std::memset(field + n, 0, N - n);
}

std::int32_t clampToInt(std::int64_t v)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The union of the boxes of some characters; boxes without area are left out.
struct Span {
    std::int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;

    void add(const CharBox& b)
    {
        if (b.width <= 0 || b.height <= 0)
            return;
        const std::int64_t r = std::int64_t{b.x} + b.width;
        const std::int64_t bt = std::int64_t{b.y} + b.height;
        if (!any) {
            left = b.x, top = b.y, right = r, bottom = bt;
            any = true;
            return;
        }
        left = std::min<std::int64_t>(left, b.x);
        top = std::min<std::int64_t>(top, b.y);
        right = std::max(right, r);
        bottom = std::max(bottom, bt);
    }
    SNRRect rect() const
    {
        return any ? SNRRect{clampToInt(left), clampToInt(top), clampToInt(right), clampToInt(bottom)} : SNRRect{};
    }
};

// The hit's position in the decoded text, or -1. Text whose offsets would run past the
// integer range (another program's claim) is not used: every character needs its offset.
int hitIndex(const TextAtPoint& text, std::size_t length)
{
    if (text.hit < 0 || text.first < 0 || text.hit < text.first
        || std::int64_t{text.first} + static_cast<std::int64_t>(length) > std::numeric_limits<std::int32_t>::max())
        return -1;
    const std::int64_t at = std::int64_t{text.hit} - text.first;
    return at < static_cast<std::int64_t>(length) ? static_cast<int>(at) : -1;
}

bool isLineFeed(char16_t c)
{
    return c == u'\n' || c == u'\r';
}

struct Line {
    std::u16string text;
    Span span;
    bool holdsHit = false;
};

} // namespace

std::size_t shiftJisPrefix(std::string_view text, std::size_t limit)
{
    const std::size_t n = std::min(text.size(), limit);
    std::size_t boundary = 0;
    for (std::size_t i = 0; i < n;) {
        const std::size_t step = codec::isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
        if (i + step > n)
            break;
        i += step;
        boundary = i;
    }
    return boundary;
}

bool answerWords(const TextAtPoint& text, const CharExtents& extents, SNRWordBreakProcW wordBreak,
                 AcrobatSharedData* out)
{
    const std::u16string chars = decode(text.utf8);
    const int hit = hitIndex(text, chars.size());
    if (!out || !wordBreak || hit < 0 || isLineFeed(chars[static_cast<std::size_t>(hit)]))
        return false;
    // The break looks at one line of at most kMaxLineChars characters: the hit's line, or
    // the stretch of it around the hit.
    const auto at = static_cast<std::size_t>(hit);
    std::size_t from = 0;
    for (std::size_t i = at; i > 0; --i) {
        if (isLineFeed(chars[i - 1])) {
            from = i;
            break;
        }
    }
    std::size_t to = at;
    while (to < chars.size() && !isLineFeed(chars[to]))
        ++to;
    if (to - from > kMaxLineChars) {
        from = std::max(from, at - std::min(at, kMaxLineChars / 2));
        to = std::min(to, from + kMaxLineChars);
    }
    const std::u16string line = chars.substr(from, to - from);
    char16_t found[kWordBufferChars] = {};
    int start = 0;
    int end = 0;
    if (!wordBreak(line.c_str(), static_cast<int>(at - from), found, static_cast<int>(kWordBufferChars), &start, &end))
        return false;
    found[kWordBufferChars - 1] = u'\0';
    if (start < 0 || end < start || static_cast<std::size_t>(end) >= line.size())
        return false;
    Span span;
    for (int i = start; i <= end; ++i) {
        if (const std::optional<CharBox> box = extents(text.first + static_cast<int>(from) + i))
            span.add(*box);
    }
    if (!span.any)
        return false;
    store(out->words, toShiftJis(found));
    store(out->word, toShiftJis(std::u16string_view(line).substr(static_cast<std::size_t>(start),
                                                                  static_cast<std::size_t>(end - start + 1))));
    out->wordRect = span.rect();
    return true;
}

bool answerSentence(const TextAtPoint& text, const CharExtents& extents, SNRSentenceBreakProcW sentenceBreak,
                    AcrobatSharedData* out)
{
    const std::u16string chars = decode(text.utf8);
    const int hit = hitIndex(text, chars.size());
    if (!out || !sentenceBreak || hit < 0)
        return false;
    // Line feeds read as spaces: a sentence runs on over the lines of a paragraph.
    std::u16string flat = chars;
    std::replace_if(flat.begin(), flat.end(), isLineFeed, u' ');
    const int last = static_cast<int>(chars.size()) - 1;
    int start = hit;
    if (!sentenceBreak(flat.c_str(), &start, kScanBackward) || start < 0 || start > hit)
        start = 0;
    int end = hit;
    if (!sentenceBreak(flat.c_str(), &end, kScanForward) || end < hit || end > last)
        end = last;

    // A new line at a line feed, or where a box lies below the upper half of the line so far.
    std::vector<Line> lines(1);
    for (int i = start; i <= end; ++i) {
        const char16_t c = chars[static_cast<std::size_t>(i)];
        if (isLineFeed(c)) {
            if (!lines.back().text.empty())
                lines.emplace_back();
            continue;
        }
        const std::optional<CharBox> box = extents(text.first + i);
        Line* line = &lines.back();
        if (box && box->width > 0 && box->height > 0 && line->span.any &&
            box->y >= line->span.top + (line->span.bottom - line->span.top) / 2) {
            lines.emplace_back();
            line = &lines.back();
        }
        line->text.push_back(c);
        line->holdsHit = line->holdsHit || i == hit;
        if (box)
            line->span.add(*box);
    }
    if (lines.back().text.empty())
        lines.pop_back();
    const auto hitLine = std::find_if(lines.begin(), lines.end(), [](const Line& l) { return l.holdsHit; });
    if (hitLine == lines.end())
        return false;
    const auto first = hitLine - std::min<std::ptrdiff_t>(hitLine - lines.begin(), kLinesEachSide);
    const auto stop = hitLine + 1 + std::min<std::ptrdiff_t>(lines.end() - hitLine - 1, kLinesEachSide);

    std::string sentence;
    for (auto l = first; l != stop; ++l)
        sentence += toShiftJis(l->text) + "\r\n";
    store(out->sentence, sentence);
    out->lineCount = static_cast<std::int32_t>(stop - first);
    out->linesAbove = static_cast<std::int32_t>(hitLine - first);
    out->fourth = 0;
    std::memset(out->lines, 0, sizeof out->lines);
    for (auto l = first; l != stop; ++l)
        out->lines[l - first] = l->span.rect();
    return true;
}

} // namespace yv::capture
