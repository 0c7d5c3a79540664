// Small text helpers shared by the platform layer and the cores.
#pragma once

#include <cstddef>
#include <string_view>

namespace yv::text {

constexpr char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

constexpr std::string_view trimBlanks(std::string_view s)
{
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

// Length of the longest prefix of `s` of at most `limit` bytes that does not end inside a
// UTF-8 sequence.
constexpr std::size_t utf8PrefixLength(std::string_view s, std::size_t limit)
{
    if (s.size() <= limit)
        return s.size();
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

// Length of `s` without an incomplete UTF-8 sequence at its end (a text cut by a buffer).
constexpr std::size_t utf8CompleteLength(std::string_view s)
{
    std::size_t start = s.size();
    while (start > 0 && s.size() - start < 4 && (static_cast<unsigned char>(s[start - 1]) & 0xC0) == 0x80)
        --start;
    if (start == 0)
        return s.size();
    const auto lead = static_cast<unsigned char>(s[start - 1]);
    const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    return s.size() - (start - 1) < need ? start - 1 : s.size();
}

// Copies `s` into a C buffer of `size` bytes, NUL-terminated, cut at a UTF-8 boundary;
// returns the bytes copied (without the NUL). Nothing is written when size is 0.
std::size_t copyToBuffer(std::string_view s, char* buffer, std::size_t size);

} // namespace yv::text
