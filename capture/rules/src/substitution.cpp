// Word-for-word substitution, one implementation over 8-bit and UTF-16 text.
#include <capturerules/substitution.h>

#include <capturerules/charsets.h>
#include <capturerules/codepage.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace yv::capture {

namespace {

template <typename Char>
bool isAsciiAlnum(Char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Appends whole pieces while they fit; once one does not, the output is full.
template <typename Char>
class BoundedOutput final {
public:
    explicit BoundedOutput(std::size_t capacity)
        : m_capacity(capacity)
    {
    }

    bool append(std::basic_string_view<Char> piece)
    {
        if (m_full || piece.size() > m_capacity - m_text.size()) {
            m_full = true;
            return false;
        }
        m_text += piece;
        return true;
    }
    bool fits(std::size_t size) const { return !m_full && size <= m_capacity - m_text.size(); }
    bool full() const { return m_full; }
    std::basic_string<Char> take() { return std::move(m_text); }

private:
    std::basic_string<Char> m_text;
    std::size_t m_capacity;
    bool m_full = false;
};

struct Span {
    std::size_t begin;
    std::size_t end;
};

// `unitLength(i)` is the length of the character starting at i (2 for a double-byte one);
// `converted(value)` turns a dictionary value into the output's characters.
template <typename Char, typename UnitLength, typename Convert>
Substitution<Char> substitute(const SubstitutionDictionary& dictionary, std::basic_string_view<Char> text,
                              std::size_t capacity, UnitLength unitLength, Convert converted)
{
    const auto alnumAt = [&](std::size_t i) { return unitLength(i) == 1 && isAsciiAlnum(text[i]); };
    BoundedOutput<Char> out(capacity);
    bool found = false;
    std::size_t pos = 0;
    while (pos < text.size() && !out.full()) {
        std::vector<Span> words;
        for (std::size_t i = pos; i < text.size() && alnumAt(i) && words.size() < kMaxPhraseWords;) {
            std::size_t end = i;
            while (end < text.size() && alnumAt(end))
                ++end;
            words.push_back({i, end});
            i = end;
            while (i < text.size() && text[i] == ' ')
                ++i;
        }

        if (!words.empty()) {
            std::size_t taken = 1;
            std::optional<std::string_view> value;
            for (std::size_t count = words.size(); count > 0 && !value; --count) {
                std::string key;
                for (std::size_t w = 0; w < count; ++w) {
                    if (w > 0)
                        key += ' ';
                    for (std::size_t i = words[w].begin; i < words[w].end; ++i)
                        key += static_cast<char>(text[i]);
                }
                value = dictionary.lookUp(key);
                taken = count;
            }
            const std::basic_string_view<Char> phrase
                = text.substr(words[0].begin, words[taken - 1].end - words[0].begin);
            if (value && !value->empty()) {
                const std::basic_string<Char> replacement = converted(*value);
                if (out.fits(replacement.size())) {
                    out.append(replacement);
                    found = true;
                } else {
                    out.append(phrase);
                }
            } else if (out.append(phrase) && value) {
                found = true;  // listed without a replacement: the phrase stands for itself
            }
            pos = words[taken - 1].end;
        }

        while (pos < text.size() && !alnumAt(pos)) {
            const std::size_t length = std::min(unitLength(pos), text.size() - pos);
            out.append(text.substr(pos, length));
            pos += length;
        }
    }
    return {out.take(), found};
}

} // namespace

Substitution<char> substituteA(const SubstitutionDictionary& dictionary, std::string_view text, int codePage,
                               std::size_t capacity)
{
    const int resolved = resolveCodePage(codePage);
    const auto unitLength = [&](std::size_t i) -> std::size_t {
        return isLeadByte(resolved, static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
    };
    const auto converted = [](std::string_view value) { return std::string(value); };
    return substitute<char>(dictionary, text, capacity, unitLength, converted);
}

Substitution<char16_t> substituteW(const SubstitutionDictionary& dictionary, std::u16string_view text,
                                   std::size_t capacity)
{
    const auto unitLength = [](std::size_t) -> std::size_t { return 1; };
    const auto converted = [](std::string_view value) { return toUtf16(kSystemCodePage, value); };
    return substitute<char16_t>(dictionary, text, capacity, unitLength, converted);
}

} // namespace yv::capture
