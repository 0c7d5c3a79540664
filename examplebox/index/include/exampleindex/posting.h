// One occurrence of a character or word in the example index: document, line and position packed in 32 bits.
#pragma once

#include <cstdint>

namespace yv::exampleindex {

using Posting = std::uint32_t;

// Field widths of a posting: document id in bits 22-31, line in bits 11-21, position in 0-10.
inline constexpr int kMaxDocuments = 1024;
inline constexpr int kMaxLines = 2048;      // line 0 is the title line
inline constexpr int kMaxPositions = 2048;  // character or word index within a line

constexpr Posting makePosting(int document, int line, int position)
{
    return (static_cast<Posting>(document) << 22) | (static_cast<Posting>(line) << 11)
           | static_cast<Posting>(position);
}

constexpr int documentOf(Posting p) { return static_cast<int>(p >> 22); }
constexpr int lineOf(Posting p) { return static_cast<int>((p >> 11) & 0x7FF); }
constexpr int positionOf(Posting p) { return static_cast<int>(p & 0x7FF); }

// First posting value of a document: a document's postings form one range of sorted lists.
constexpr Posting firstPostingOf(int document) { return makePosting(document, 0, 0); }

} // namespace yv::exampleindex
