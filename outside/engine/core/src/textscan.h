// Walking CP932 and UTF-8 text: characters, lines and sentences, with byte offsets kept.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// Bytes of the CP932 character at `i`: 2 for a lead byte with a trail byte after it, else 1.
std::size_t cp932CharLength(std::string_view text, std::size_t i);
// Characters of UTF-8 text (continuation bytes not counted).
std::size_t utf8Length(std::string_view utf8);

// Calls `f` with each line, without its CR LF / LF / CR.
template <typename F>
void forEachLine(std::string_view text, F&& f)
{
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        f(text.substr(start, end - start));
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++start;
    }
}

struct Span {
    std::size_t offset = 0;
    std::size_t length = 0;
};

// A sentence longer than this is cut (at a blank where one is near) so that the work per
// sentence stays bounded.
inline constexpr std::size_t kMaxSentenceBytes = 2048;

// Sentences of CP932 text, blanks around them left out. Line breaks always end a sentence;
// English sentences end at . ! ? (not after common abbreviations or initials), Japanese ones
// at 。．！？ and their half-width forms; closing quotes and brackets stay with the sentence.
std::vector<Span> splitSentences(std::string_view cp932, bool japanese);

// True when the CP932 text holds nothing but blanks (ASCII and ideographic spaces).
bool isBlank(std::string_view cp932);

} // namespace yv::engine::Internal
