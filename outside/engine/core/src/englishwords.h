// English words as the dictionary translation meets them: tokens, closed-class words, base
// forms and inflections.
#pragma once

#include "lexicon.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

enum class TokenKind { Word, Number, Punct, Foreign };

struct Token {
    std::string_view text;
    std::size_t offset = 0;
    TokenKind kind = TokenKind::Word;
};

std::vector<Token> tokenize(std::string_view s);
std::string lower(std::string_view s);

enum class Role {
    Content,
    Article,
    Pronoun,     // I, you, it: subject or object
    Possessive,  // my, your
    Determiner,  // this, that (before a noun)
    Be,
    Do,
    Modal,
    Not,
    Preposition,
    Of,
    Conjunction,
    Please,
    Punct,
    Number,
    Foreign,
};

struct ClosedWord {
    std::string_view word;
    Role role;
    std::string_view japanese;
    PartOfSpeech pos;
};

// The closed-class word (article, pronoun, auxiliary, particle-like word), if `lowerWord` is one.
std::optional<ClosedWord> closedWord(std::string_view lowerWord);

} // namespace yv::engine::Internal
