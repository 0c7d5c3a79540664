// English words: tokens, closed-class words, base forms and inflections.
#include "englishwords.h"

#include "english.h"
#include "textscan.h"

#include <platform/textutil.h>

#include <array>

namespace yv::engine::Internal {

namespace {

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

std::vector<Token> tokenize(std::string_view s)
{
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const auto start = i;
            while (i < s.size() && static_cast<unsigned char>(s[i]) >= 0x80) {
                if (i + 1 < s.size() && s.substr(i, 2) == "\x81\x40")
                    break;
                i += cp932CharLength(s, i);
            }
            if (i == start) {
                i += 2;
                continue;
            }
            tokens.push_back({s.substr(start, i - start), start, TokenKind::Foreign});
        } else if (isLetter(s[i]) || isDigit(s[i])) {
            const auto start = i;
            bool letters = false;
            while (i < s.size()) {
                const char ch = s[i];
                const bool inner = (ch == '\'' || ch == '-' || ch == '.' || ch == ',') && i + 1 < s.size()
                                   && (isLetter(s[i + 1]) || isDigit(s[i + 1]));
                if (isLetter(ch))
                    letters = true;
                else if (isDigit(ch))
                    ;
                else if (inner && (ch == '\'' || ch == '-'))
                    ;
                else if (inner && !letters && isDigit(s[i + 1]))
                    ; // 3.14, 1,000
                else
                    break;
                ++i;
            }
            tokens.push_back({s.substr(start, i - start), start, letters ? TokenKind::Word : TokenKind::Number});
        } else if (c > ' ' && c < 0x7F) {
            tokens.push_back({s.substr(i, 1), i, TokenKind::Punct});
            ++i;
        } else {
            ++i;
        }
    }
    return tokens;
}

std::string lower(std::string_view s)
{
    std::string out(s);
    for (auto& c : out)
        c = text::asciiLower(c);
    return out;
}

namespace {

constexpr std::array kClosedWords = {
    ClosedWord{"a", Role::Article, "", PartOfSpeech::None},
    ClosedWord{"an", Role::Article, "", PartOfSpeech::None},
    ClosedWord{"the", Role::Article, "", PartOfSpeech::None},
    ClosedWord{"i", Role::Pronoun, "私", PartOfSpeech::Pronoun},
    ClosedWord{"me", Role::Pronoun, "私", PartOfSpeech::Pronoun},
    ClosedWord{"you", Role::Pronoun, "あなた", PartOfSpeech::Pronoun},
    ClosedWord{"he", Role::Pronoun, "彼", PartOfSpeech::Pronoun},
    ClosedWord{"him", Role::Pronoun, "彼", PartOfSpeech::Pronoun},
    ClosedWord{"she", Role::Pronoun, "彼女", PartOfSpeech::Pronoun},
    ClosedWord{"we", Role::Pronoun, "私たち", PartOfSpeech::Pronoun},
    ClosedWord{"us", Role::Pronoun, "私たち", PartOfSpeech::Pronoun},
    ClosedWord{"they", Role::Pronoun, "彼ら", PartOfSpeech::Pronoun},
    ClosedWord{"them", Role::Pronoun, "彼ら", PartOfSpeech::Pronoun},
    ClosedWord{"it", Role::Pronoun, "それ", PartOfSpeech::Pronoun},
    ClosedWord{"what", Role::Pronoun, "何", PartOfSpeech::Pronoun},
    ClosedWord{"who", Role::Pronoun, "誰", PartOfSpeech::Pronoun},
    ClosedWord{"where", Role::Pronoun, "どこ", PartOfSpeech::Pronoun},
    ClosedWord{"my", Role::Possessive, "私の", PartOfSpeech::Pronoun},
    ClosedWord{"your", Role::Possessive, "あなたの", PartOfSpeech::Pronoun},
    ClosedWord{"his", Role::Possessive, "彼の", PartOfSpeech::Pronoun},
    ClosedWord{"her", Role::Possessive, "彼女の", PartOfSpeech::Pronoun},
    ClosedWord{"our", Role::Possessive, "私たちの", PartOfSpeech::Pronoun},
    ClosedWord{"their", Role::Possessive, "彼らの", PartOfSpeech::Pronoun},
    ClosedWord{"its", Role::Possessive, "その", PartOfSpeech::Pronoun},
    ClosedWord{"this", Role::Determiner, "この", PartOfSpeech::PreNounAdjectival},
    ClosedWord{"that", Role::Determiner, "その", PartOfSpeech::PreNounAdjectival},
    ClosedWord{"these", Role::Determiner, "これらの", PartOfSpeech::PreNounAdjectival},
    ClosedWord{"those", Role::Determiner, "それらの", PartOfSpeech::PreNounAdjectival},
    ClosedWord{"am", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"is", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"are", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"was", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"were", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"be", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"been", Role::Be, "", PartOfSpeech::Verb},
    ClosedWord{"do", Role::Do, "", PartOfSpeech::Auxiliary},
    ClosedWord{"does", Role::Do, "", PartOfSpeech::Auxiliary},
    ClosedWord{"did", Role::Do, "", PartOfSpeech::Auxiliary},
    ClosedWord{"can", Role::Modal, "ことができる", PartOfSpeech::Auxiliary},
    ClosedWord{"could", Role::Modal, "ことができた", PartOfSpeech::Auxiliary},
    ClosedWord{"will", Role::Modal, "", PartOfSpeech::Auxiliary},
    ClosedWord{"shall", Role::Modal, "", PartOfSpeech::Auxiliary},
    ClosedWord{"would", Role::Modal, "だろう", PartOfSpeech::Auxiliary},
    ClosedWord{"should", Role::Modal, "べきである", PartOfSpeech::Auxiliary},
    ClosedWord{"may", Role::Modal, "かもしれない", PartOfSpeech::Auxiliary},
    ClosedWord{"might", Role::Modal, "かもしれない", PartOfSpeech::Auxiliary},
    ClosedWord{"must", Role::Modal, "なければならない", PartOfSpeech::Auxiliary},
    ClosedWord{"not", Role::Not, "", PartOfSpeech::Adverb},
    ClosedWord{"never", Role::Not, "決して", PartOfSpeech::Adverb},
    ClosedWord{"in", Role::Preposition, "で", PartOfSpeech::Preposition},
    ClosedWord{"at", Role::Preposition, "で", PartOfSpeech::Preposition},
    ClosedWord{"on", Role::Preposition, "に", PartOfSpeech::Preposition},
    ClosedWord{"to", Role::Preposition, "に", PartOfSpeech::Preposition},
    ClosedWord{"into", Role::Preposition, "の中に", PartOfSpeech::Preposition},
    ClosedWord{"from", Role::Preposition, "から", PartOfSpeech::Preposition},
    ClosedWord{"with", Role::Preposition, "と", PartOfSpeech::Preposition},
    ClosedWord{"without", Role::Preposition, "なしで", PartOfSpeech::Preposition},
    ClosedWord{"for", Role::Preposition, "のために", PartOfSpeech::Preposition},
    ClosedWord{"by", Role::Preposition, "によって", PartOfSpeech::Preposition},
    ClosedWord{"about", Role::Preposition, "について", PartOfSpeech::Preposition},
    ClosedWord{"after", Role::Preposition, "の後に", PartOfSpeech::Preposition},
    ClosedWord{"before", Role::Preposition, "の前に", PartOfSpeech::Preposition},
    ClosedWord{"under", Role::Preposition, "の下に", PartOfSpeech::Preposition},
    ClosedWord{"over", Role::Preposition, "の上に", PartOfSpeech::Preposition},
    ClosedWord{"between", Role::Preposition, "の間に", PartOfSpeech::Preposition},
    ClosedWord{"during", Role::Preposition, "の間", PartOfSpeech::Preposition},
    ClosedWord{"near", Role::Preposition, "の近くに", PartOfSpeech::Preposition},
    ClosedWord{"until", Role::Preposition, "まで", PartOfSpeech::Preposition},
    ClosedWord{"since", Role::Preposition, "から", PartOfSpeech::Preposition},
    ClosedWord{"through", Role::Preposition, "を通して", PartOfSpeech::Preposition},
    ClosedWord{"of", Role::Of, "の", PartOfSpeech::Particle},
    ClosedWord{"and", Role::Conjunction, "と", PartOfSpeech::Conjunction},
    ClosedWord{"or", Role::Conjunction, "または", PartOfSpeech::Conjunction},
    ClosedWord{"but", Role::Conjunction, "しかし", PartOfSpeech::Conjunction},
    ClosedWord{"so", Role::Conjunction, "だから", PartOfSpeech::Conjunction},
    ClosedWord{"because", Role::Conjunction, "なぜなら", PartOfSpeech::Conjunction},
    ClosedWord{"if", Role::Conjunction, "もし", PartOfSpeech::Conjunction},
    ClosedWord{"please", Role::Please, "", PartOfSpeech::Adverb},
};

} // namespace

std::optional<ClosedWord> closedWord(std::string_view lowerWord)
{
    for (const auto& w : kClosedWords) {
        if (w.word == lowerWord)
            return w;
    }
    return std::nullopt;
}
namespace {

struct Irregular {
    std::string_view form;
    std::string_view base;
    bool past;
};

constexpr std::array kIrregulars = {
    Irregular{"went", "go", true},      Irregular{"gone", "go", true},      Irregular{"saw", "see", true},
    Irregular{"seen", "see", true},     Irregular{"made", "make", true},    Irregular{"took", "take", true},
    Irregular{"taken", "take", true},   Irregular{"got", "get", true},      Irregular{"ran", "run", true},
    Irregular{"ate", "eat", true},      Irregular{"eaten", "eat", true},    Irregular{"said", "say", true},
    Irregular{"came", "come", true},    Irregular{"knew", "know", true},    Irregular{"known", "know", true},
    Irregular{"thought", "think", true}, Irregular{"bought", "buy", true},  Irregular{"gave", "give", true},
    Irregular{"given", "give", true},   Irregular{"found", "find", true},   Irregular{"told", "tell", true},
    Irregular{"wrote", "write", true},  Irregular{"written", "write", true}, Irregular{"read", "read", true},     Irregular{"put", "put", true},      Irregular{"cut", "cut", true},
    Irregular{"let", "let", true},      Irregular{"set", "set", true},      Irregular{"hit", "hit", true},
    Irregular{"had", "have", true},     Irregular{"has", "have", false},    Irregular{"left", "leave", true},
    Irregular{"felt", "feel", true},    Irregular{"kept", "keep", true},    Irregular{"slept", "sleep", true},
    Irregular{"met", "meet", true},     Irregular{"sat", "sit", true},      Irregular{"stood", "stand", true},
    Irregular{"spoke", "speak", true},  Irregular{"spoken", "speak", true}, Irregular{"drank", "drink", true},
    Irregular{"swam", "swim", true},    Irregular{"began", "begin", true},  Irregular{"brought", "bring", true},
    Irregular{"taught", "teach", true}, Irregular{"caught", "catch", true}, Irregular{"sold", "sell", true},
    Irregular{"sent", "send", true},    Irregular{"built", "build", true},  Irregular{"lost", "lose", true},
    Irregular{"paid", "pay", true},     Irregular{"heard", "hear", true},   Irregular{"flew", "fly", true},
    Irregular{"drove", "drive", true},  Irregular{"rode", "ride", true},    Irregular{"broke", "break", true},
    Irregular{"chose", "choose", true}, Irregular{"forgot", "forget", true}, Irregular{"understood", "understand", true},
    Irregular{"fell", "fall", true},    Irregular{"grew", "grow", true},    Irregular{"drew", "draw", true},
    Irregular{"threw", "throw", true},  Irregular{"wore", "wear", true},    Irregular{"won", "win", true},
    Irregular{"held", "hold", true},    Irregular{"led", "lead", true},     Irregular{"meant", "mean", true},
    Irregular{"fought", "fight", true}, Irregular{"rose", "rise", true},    Irregular{"shook", "shake", true},
    Irregular{"sang", "sing", true},    Irregular{"stole", "steal", true},  Irregular{"woke", "wake", true},
    Irregular{"became", "become", true}, Irregular{"fed", "feed", true},   Irregular{"hid", "hide", true},
    Irregular{"spent", "spend", true},  Irregular{"lent", "lend", true},    Irregular{"blew", "blow", true},
    Irregular{"children", "child", false}, Irregular{"men", "man", false}, Irregular{"women", "woman", false},
    Irregular{"feet", "foot", false},   Irregular{"teeth", "tooth", false}, Irregular{"mice", "mouse", false},
};

bool isVowel(char c)
{
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u';
}

} // namespace

std::vector<EnglishForm> englishBaseForms(std::string_view w)
{
    std::vector<EnglishForm> forms{{std::string(w), false, false}};
    const auto add = [&forms](std::string base, bool past) {
        if (base.size() >= 2 && std::none_of(forms.begin(), forms.end(), [&](const EnglishForm& f) { return f.base == base; }))
            forms.push_back({std::move(base), past, true});
    };
    for (const auto& irregular : kIrregulars) {
        if (irregular.form == w)
            add(std::string(irregular.base), irregular.past);
    }
    const auto stem = [&w](std::size_t cut) { return std::string(w.substr(0, w.size() - cut)); };
    if (w.size() > 4 && w.ends_with("ies"))
        add(stem(3) + "y", false);
    if (w.size() > 3 && (w.ends_with("ses") || w.ends_with("xes") || w.ends_with("ches") || w.ends_with("shes") || w.ends_with("oes")))
        add(stem(2), false);
    if (w.size() > 3 && w.ends_with('s') && !w.ends_with("ss") && !w.ends_with("us"))
        add(stem(1), false);
    if (w.size() > 4 && w.ends_with("ied"))
        add(stem(3) + "y", true);
    if (w.size() > 3 && w.ends_with("ed")) {
        add(stem(2), true);
        add(stem(1), true);
        if (w.size() > 4 && w[w.size() - 3] == w[w.size() - 4] && !isVowel(w[w.size() - 3]))
            add(stem(3), true);
    }
    if (w.size() > 4 && w.ends_with("ing")) {
        add(stem(3), false);
        add(stem(3) + "e", false);
        if (w.size() > 5 && w[w.size() - 4] == w[w.size() - 5] && !isVowel(w[w.size() - 4]))
            add(stem(4), false);
    }
    return forms;
}

namespace {

std::string inflectFirstWord(std::string_view phrase, std::string (*inflect)(std::string_view))
{
    const auto space = phrase.find(' ');
    if (space == std::string_view::npos)
        return inflect(phrase);
    return inflect(phrase.substr(0, space)) + std::string(phrase.substr(space));
}

std::string pastOfWord(std::string_view w)
{
    if (w == "be")
        return "was";
    if (w == "do")
        return "did";
    for (const auto& irregular : kIrregulars) {
        if (irregular.past && irregular.base == w)
            return std::string(irregular.form);
    }
    if (w.ends_with('e'))
        return std::string(w) + "d";
    if (w.size() > 1 && w.ends_with('y') && !isVowel(w[w.size() - 2]))
        return std::string(w.substr(0, w.size() - 1)) + "ied";
    return std::string(w) + "ed";
}

std::string thirdPersonOfWord(std::string_view w)
{
    if (w == "be")
        return "is";
    if (w == "have")
        return "has";
    if (w.ends_with('s') || w.ends_with('x') || w.ends_with("ch") || w.ends_with("sh") || w.ends_with('o'))
        return std::string(w) + "es";
    if (w.size() > 1 && w.ends_with('y') && !isVowel(w[w.size() - 2]))
        return std::string(w.substr(0, w.size() - 1)) + "ies";
    return std::string(w) + "s";
}

std::string progressiveOfWord(std::string_view w)
{
    if (w == "be")
        return "being";
    if (w.size() > 2 && w.ends_with('e') && !w.ends_with("ee"))
        return std::string(w.substr(0, w.size() - 1)) + "ing";
    return std::string(w) + "ing";
}

} // namespace

std::string englishProgressive(std::string_view verb)
{
    return inflectFirstWord(verb, progressiveOfWord);
}

std::string englishPast(std::string_view verb)
{
    return inflectFirstWord(verb, pastOfWord);
}

std::string englishThirdPerson(std::string_view verb)
{
    return inflectFirstWord(verb, thirdPersonOfWord);
}
} // namespace yv::engine::Internal
