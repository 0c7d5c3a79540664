// The look-up string an engine returns (DicRead), turned into the rows of a word list.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yv::enginelink {

// One row of a word list; texts are CP932 as the engine sent them.
struct LookUpRow {
    std::string translation;   // "訳語": the entry's third field, or a headword row's first
    std::string partOfSpeech;  // "品詞": the first field (empty in a headword row)
    std::string dictionary;    // "辞書": the name of the dictionary the row came from
    bool headword = false;     // a "<...>" row
};

struct LookUpResult {
    std::vector<LookUpRow> rows;
    // Entry lines met, hidden "(" lines included: none means the word is in no dictionary.
    std::size_t entries = 0;
};

// Lines end at LF (a CR before it is dropped) and empty ones are skipped. The first line and
// every line starting with "[" name the dictionary of the entries after them; the others are
// entries of up to three TAB-separated fields.
LookUpResult parseLookUp(std::string_view cp932);

// The dictionary's file name without directory ("/" or "\") and extension.
std::string dictionaryName(std::string_view cp932Path);

} // namespace yv::enginelink
