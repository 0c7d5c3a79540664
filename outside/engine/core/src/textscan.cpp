// Character walking and sentence splitting over CP932 text.
#include "textscan.h"

#include <platform/codec.h>
#include <platform/textutil.h>

#include <array>

namespace yv::engine::Internal {

std::size_t cp932CharLength(std::string_view text, std::size_t i)
{
    return codec::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

std::size_t utf8Length(std::string_view utf8)
{
    std::size_t n = 0;
    for (const char c : utf8)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

namespace {

constexpr std::string_view kIdeographicSpace = "\x81\x40";

bool isBlankAt(std::string_view text, std::size_t i, std::size_t len)
{
    const char c = text[i];
    return (len == 1 && (c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\0'))
           || (len == 2 && text.substr(i, 2) == kIdeographicSpace);
}

// Full-width sentence ends: 。 ． ！ ？ and half-width ｡.
bool isJapaneseStop(std::string_view ch)
{
    static constexpr std::array<std::string_view, 4> kStops = {"\x81\x42", "\x81\x44", "\x81\x49", "\x81\x48"};
    if (ch.size() == 1)
        return static_cast<unsigned char>(ch[0]) == 0xA1;
    for (const auto stop : kStops) {
        if (ch == stop)
            return true;
    }
    return false;
}

// Quotes and brackets that close after a sentence end: " ' ) ] 」 』 ） ］ ” ’ and ｣.
bool isCloser(std::string_view ch)
{
    static constexpr std::array<std::string_view, 8> kClosers = {"\x81\x76", "\x81\x78", "\x81\x6A", "\x81\x6E",
                                                                  "\x81\x68", "\x81\x66", "\x81\x7A", "\x81\x72"};
    if (ch.size() == 1)
        return ch[0] == '"' || ch[0] == '\'' || ch[0] == ')' || ch[0] == ']' || static_cast<unsigned char>(ch[0]) == 0xA3;
    for (const auto closer : kClosers) {
        if (ch == closer)
            return true;
    }
    return false;
}

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// A period that does not end the sentence: after an abbreviation, an initial or inside a number.
bool isAbbreviationPeriod(std::string_view text, std::size_t sentenceStart, std::size_t dot)
{
    std::size_t wordStart = dot;
    while (wordStart > sentenceStart && (isAsciiLetter(text[wordStart - 1]) || text[wordStart - 1] == '.'))
        --wordStart;
    const std::string_view word = text.substr(wordStart, dot - wordStart);
    if (word.size() == 1 && word[0] >= 'A' && word[0] <= 'Z')
        return true;
    if (word.find('.') != std::string_view::npos)
        return true; // e.g, i.e, U.S
    static constexpr std::array<std::string_view, 14> kAbbreviations = {
        "mr", "mrs", "ms", "dr", "st", "prof", "etc", "vs", "no", "jr", "sr", "fig", "inc", "ltd"};
    for (const auto abbreviation : kAbbreviations) {
        if (text::equalsIgnoringAsciiCase(word, abbreviation))
            return true;
    }
    return false;
}

class Splitter final {
public:
    Splitter(std::string_view text, bool japanese) : m_text(text), m_japanese(japanese) {}

    std::vector<Span> run()
    {
        std::size_t i = 0;
        while (i < m_text.size()) {
            const char c = m_text[i];
            if (c == '\r' || c == '\n') {
                finish(i);
                ++i;
                m_start = i;
                continue;
            }
            const auto len = cp932CharLength(m_text, i);
            const auto ch = m_text.substr(i, len);
            std::size_t next = i + len;
            if (endsSentence(ch, i, next)) {
                while (next < m_text.size()) {
                    const auto l = cp932CharLength(m_text, next);
                    const auto following = m_text.substr(next, l);
                    if (!isCloser(following) && !isJapaneseStop(following) && following != "!" && following != "?")
                        break;
                    next += l;
                }
                finish(next);
                m_start = next;
            } else if (next - m_start >= kMaxSentenceBytes && isBlankAt(m_text, i, len)) {
                finish(next);
                m_start = next;
            } else if (next - m_start >= kMaxSentenceBytes + 256) {
                finish(next);
                m_start = next;
            }
            i = next;
        }
        finish(m_text.size());
        return std::move(m_spans);
    }

private:
    bool endsSentence(std::string_view ch, std::size_t at, std::size_t next) const
    {
        if (isJapaneseStop(ch))
            return true;
        if (ch != "." && ch != "!" && ch != "?")
            return false;
        if (next < m_text.size()) {
            const char after = m_text[next];
            const bool spaceAfter = after == ' ' || after == '\t' || after == '\r' || after == '\n';
            if (!spaceAfter && !isCloser(m_text.substr(next, cp932CharLength(m_text, next))) && after != '.'
                && after != '!' && after != '?' && !(m_japanese && ch != "."))
                return false;
        }
        if (ch != ".")
            return true;
        if (isAbbreviationPeriod(m_text, m_start, at))
            return false;
        std::size_t look = next;
        while (look < m_text.size() && m_text[look] == ' ')
            ++look;
        return look >= m_text.size() || !(m_text[look] >= 'a' && m_text[look] <= 'z');
    }

    void finish(std::size_t end)
    {
        std::size_t begin = m_start;
        while (begin < end) {
            const auto len = cp932CharLength(m_text, begin);
            if (begin + len > end || !isBlankAt(m_text, begin, len))
                break;
            begin += len;
        }
        std::size_t stop = begin;
        std::size_t lastContent = begin;
        while (stop < end) {
            const auto len = std::min(cp932CharLength(m_text, stop), end - stop);
            if (!isBlankAt(m_text, stop, len))
                lastContent = stop + len;
            stop += len;
        }
        if (lastContent > begin)
            m_spans.push_back({begin, lastContent - begin});
    }

    std::string_view m_text;
    bool m_japanese;
    std::size_t m_start = 0;
    std::vector<Span> m_spans;
};

} // namespace

std::vector<Span> splitSentences(std::string_view cp932, bool japanese)
{
    return Splitter(cp932, japanese).run();
}

bool isBlank(std::string_view cp932)
{
    for (std::size_t i = 0; i < cp932.size();) {
        const auto len = cp932CharLength(cp932, i);
        if (!isBlankAt(cp932, i, len) && cp932[i] != '\r' && cp932[i] != '\n')
            return false;
        i += len;
    }
    return true;
}

} // namespace yv::engine::Internal
