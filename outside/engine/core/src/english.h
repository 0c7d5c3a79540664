// English to Japanese: one sentence of CP932 text into translation units.
#pragma once

#include "blocks.h"
#include "lexicon.h"

#include <engine/translator.h>

#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// Words and phrases looked up (inflections taken back to base forms), short clauses put into
// Japanese order (subject は, phrases with their particles, object を, predicate), the
// predicate conjugated for the sentence-end style, imperatives and negation.
std::vector<Unit> translateEnglishSentence(std::string_view cp932, const Lexicon& lexicon, const Options& options);

// Base forms an English word may come from, the word itself first (lower case).
struct EnglishForm {
    std::string base;
    bool past = false;
    bool inflected = false; // -s, -ed, -ing or an irregular form
};
std::vector<EnglishForm> englishBaseForms(std::string_view lowerWord);

// The past tense and the third-person singular of an English verb (its first word inflected).
std::string englishPast(std::string_view verb);
std::string englishThirdPerson(std::string_view verb);
std::string englishProgressive(std::string_view verb);

} // namespace yv::engine::Internal
