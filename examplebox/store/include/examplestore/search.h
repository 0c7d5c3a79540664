// The example search: hits of both indexes turned into the result text, the document rows and
// the counts, with the key marked in the text.
#pragma once

#include <examplestore/store.h>

#include <string>
#include <string_view>
#include <vector>

namespace yv::examplestore {

// The result text's buffer holds 65,535 bytes with its terminating zero.
inline constexpr std::size_t kMaxResultTextBytes = 65534;

enum class SearchStatus {
    Complete,
    NoIndex,          // Search.idx is missing or unreadable: nothing was searched
    TooManyHits,      // the result text would have passed kMaxResultTextBytes
    DocumentMissing,  // a hit's document file is gone
    Stopped,          // the user stopped it
};

struct ResultRow {
    std::string title;       // UTF-8
    std::string folderName;  // UTF-8, empty when the folder is not in the tree
    SampleRef ref = 0;
};

struct SearchResult {
    SearchStatus status = SearchStatus::NoIndex;
    std::string text;  // Shift_JIS with CR LF: the examples, an empty line between two
    std::vector<ResultRow> rows;  // one per document, in the order of their first hit
    int exampleCount = 0;
    int documentCount = 0;
};

// Searches Search.idx and then User.idx for the Shift_JIS key. A stopped search keeps what
// it had gathered. `progress` cycles from 0 to 99 as hits arrive.
SearchResult searchExamples(const SampleStore& store, std::string_view key, bool markKey,
                            const exampleindex::ProgressFn& progress = {});

// Wraps each occurrence of the key (letters without case, whole characters only) in 【】.
std::string addMarks(std::string_view text, std::string_view key);
// Takes 【】 off each marked occurrence of the key.
std::string removeMarks(std::string_view text, std::string_view key);

} // namespace yv::examplestore
