// A text for the editor's benchmarks: words, spaces, Japanese runs and paragraph breaks, as a
// pasted mixed text has them (CP932, `characters` editor characters long).
#pragma once

#include <cstddef>
#include <string>

namespace yv::editor::bench {

inline std::string mixedText(std::size_t characters)
{
    static const std::string pieces[] = {"The ", "editor ", "\x96\x7C\x96\xF3", "keeps ", "\x95\xB6\x8F\xCD\x81\x42", "pairs.\n"};
    std::string out;
    std::size_t count = 0;
    for (std::size_t i = 0; count < characters; ++i) {
        const std::string& piece = pieces[i % 6];
        for (std::size_t k = 0; k < piece.size() && count < characters; ++count) {
            const bool lead = (static_cast<unsigned char>(piece[k]) & 0x80) != 0;
            out.append(piece, k, lead ? 2 : 1);
            k += lead ? 2 : 1;
        }
    }
    return out;
}

} // namespace yv::editor::bench
