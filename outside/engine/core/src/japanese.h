// Japanese to English: MeCab segmentation (or dictionary look-up without it) and clause order.
#pragma once

#include "blocks.h"
#include "lexicon.h"

#include <engine/translator.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// One morpheme; offsets are bytes of the UTF-8 text given to the segmenter.
struct Morpheme {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string pos1;    // 名詞, 動詞, 助詞, ...
    std::string pos2;    // 固有名詞, 自立, 格助詞, ...
    std::string base;    // dictionary form
    std::string reading; // katakana
};

class Segmenter {
public:
    virtual ~Segmenter() = default;
    virtual std::vector<Morpheme> segment(std::string_view utf8, const Lexicon& lexicon) const = 0;
};

// MeCab with its default dictionary; nothing (and `error` set) when it cannot be loaded.
std::unique_ptr<Segmenter> createMecabSegmenter(std::string* error);
// Longest dictionary matches: what Japanese gets when MeCab is missing.
std::unique_ptr<Segmenter> createLookupSegmenter();

// Words looked up by base form and reading, compounds by longest match, particles turned
// into prepositions or dropped, the clause put into English order with `options.subject`
// where no は/が phrase precedes the predicate.
std::vector<Unit> translateJapaneseSentence(std::string_view cp932, const Lexicon& lexicon,
                                            const Segmenter& segmenter, const Options& options);

} // namespace yv::engine::Internal
