// Word-for-word substitution of drawn text through the substitution dictionary.
#pragma once

#include <capturerules/substitutiondictionary.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace yv::capture {

// A phrase is looked up with at most this many words (then with one fewer, down to one).
inline constexpr std::size_t kMaxPhraseWords = 32;

template <typename Char>
struct Substitution {
    std::basic_string<Char> text;
    bool found = false;  // at least one dictionary entry was written
};

// Replaces every phrase of ASCII words (letters and digits, separated by spaces) that the
// dictionary holds by its value, longest phrase first; everything else is copied. A double-byte
// character of `codePage` is never taken apart. The result holds at most `capacity` bytes: a
// value that does not fit leaves its phrase as it was, and the text is cut at a character once
// even that does not fit.
Substitution<char> substituteA(const SubstitutionDictionary& dictionary, std::string_view text, int codePage,
                               std::size_t capacity);

// The same over UTF-16 text, with the values read as the system code page; `capacity` counts
// characters. Characters outside ASCII are copied as they are.
Substitution<char16_t> substituteW(const SubstitutionDictionary& dictionary, std::u16string_view text,
                                   std::size_t capacity);

} // namespace yv::capture
