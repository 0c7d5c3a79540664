// How the example box reads Shift_JIS sample text: document lines, characters, words and letter case.
#pragma once

#include <exampleindex/posting.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace yv::exampleindex {

// A line longer than this is cut there and the rest of it skipped.
inline constexpr std::size_t kMaxLineBytes = 2048;

// Reads a document's lines exactly as the index numbers them, so that a posting's line number
// finds the same line again when the result text is built: at most kMaxLines lines, each cut
// to kMaxLineBytes, without its line break (LF or CR LF) and without a lead byte left alone at
// its end.
class SampleLineReader final {
public:
    explicit SampleLineReader(std::FILE* file, std::size_t maxLines = kMaxLines);

    // False at the end of the file or once maxLines lines were read.
    bool next(std::string& line);
    std::size_t bytesRead() const { return m_bytesRead; }

private:
    std::FILE* m_file;
    std::size_t m_linesLeft;
    std::size_t m_bytesRead = 0;
};

std::vector<std::string> splitSampleLines(std::string_view bytes, std::size_t maxLines = kMaxLines);

// A Shift_JIS character: a lead byte and the byte after it form one double-byte character.
struct SjisCharacter {
    std::uint16_t code;   // the byte, or both bytes as one big-endian number
    std::size_t length;   // 1 or 2
};
SjisCharacter characterAt(std::string_view text, std::size_t offset);

// The full-width space, the one double-byte character that counts as blank.
inline constexpr std::uint16_t kFullWidthSpace = 0x8140;

// Only ASCII white space and full-width spaces.
bool isBlankLine(std::string_view line);
// A line is indexed only when it holds something visible.
bool isIndexedLine(std::string_view line);
// Less than 30 percent of the line's bytes in double-byte characters: indexed by words.
bool isEnglishLine(std::string_view line);

// The words of an English line, split at " 　\t,.:;?[]()!".
std::vector<std::string_view> splitEnglishWords(std::string_view line);

// ASCII letters to lower case, leaving the trail bytes of double-byte characters alone.
std::string foldCase(std::string_view text);
// Whether `key` stands at `offset` of `text`, letters compared without case.
bool matchesFoldedAt(std::string_view text, std::size_t offset, std::string_view key);

// The longest prefix of at most `limit` bytes that does not end inside a double-byte character.
std::size_t sjisPrefixLength(std::string_view text, std::size_t limit);

} // namespace yv::exampleindex
