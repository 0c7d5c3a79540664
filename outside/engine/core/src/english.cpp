// English to Japanese by dictionary: clause order and predicate forms over the looked-up words.
#include "english.h"

#include "englishwords.h"

#include "textscan.h"

#include <platform/codec.h>
#include <platform/textutil.h>

#include <algorithm>
#include <array>
#include <optional>

namespace yv::engine::Internal {

namespace {

// A base form a word may have, with what the dictionaries know it as.
struct Form {
    std::string base;
    std::uint32_t canBe = 0;
    bool past = false;
    bool inflected = false;
};

struct Item {
    Role role = Role::Content;
    std::vector<Form> forms;
    std::string key;         // the English key looked up (lower case, base form)
    std::string verbKey;     // the base form read as a verb, when it can be one
    std::string japanese;    // fixed translations of closed-class words and phrases
    PartOfSpeech pos = PartOfSpeech::Unknown;
    VerbClass verbClass = VerbClass::None;
    std::uint32_t canBe = 0; // parts of speech the key has in the dictionaries
    std::size_t offset = 0;
    std::size_t length = 0;
    bool past = false;
    bool inflected = false;
    bool possessiveS = false; // John's
    bool progressive = false; // an -ing form
    bool fromDictionary = false;
    bool you = false;
};
} // namespace

namespace {

enum class Imperative { Nasai, Koto, Suru };

struct Style {
    bool polite = false;
    Imperative imperative = Imperative::Nasai;
    bool translateYou = true;
};

class SentenceTranslator final {
public:
    SentenceTranslator(std::string_view sentence, const Lexicon& lexicon, const Style& style)
        : m_sentence(sentence), m_lexicon(lexicon), m_style(style) {}

    std::vector<Unit> run()
    {
        analyse(tokenize(m_sentence));
        std::size_t begin = 0;
        for (std::size_t i = 0; i <= m_items.size(); ++i) {
            if (i == m_items.size() || endsClause(i)) {
                const auto end = i < m_items.size() ? i + 1 : i;
                if (end > begin)
                    clause(begin, end);
                begin = end;
            }
        }
        return std::move(m_units);
    }

private:
    bool endsClause(std::size_t i) const
    {
        const auto& item = m_items[i];
        if (item.role != Role::Punct)
            return false;
        return item.key == "," || item.key == ";" || item.key == ":";
    }

    void analyse(const std::vector<Token>& tokens)
    {
        for (std::size_t i = 0; i < tokens.size();) {
            const auto& token = tokens[i];
            Item item;
            item.offset = token.offset;
            item.length = token.text.size();
            if (token.kind == TokenKind::Punct) {
                item.role = Role::Punct;
                item.key = std::string(token.text);
                item.pos = PartOfSpeech::Symbol;
                m_items.push_back(item);
                ++i;
                continue;
            }
            if (token.kind == TokenKind::Number || token.kind == TokenKind::Foreign) {
                item.role = token.kind == TokenKind::Number ? Role::Number : Role::Foreign;
                item.japanese = token.kind == TokenKind::Number ? std::string(token.text) : codec::cp932ToUtf8(token.text);
                item.pos = token.kind == TokenKind::Number ? PartOfSpeech::Numeral : PartOfSpeech::Unknown;
                item.fromDictionary = token.kind == TokenKind::Number;
                m_items.push_back(item);
                ++i;
                continue;
            }
            if (phrase(tokens, i)) {
                ++i;
                continue;
            }
            word(token);
            ++i;
        }
    }

    // The longest phrase of several words the dictionaries hold; adds it and skips its words.
    bool phrase(const std::vector<Token>& tokens, std::size_t& i)
    {
        for (std::size_t n = std::min(kMaxPhraseWords, tokens.size() - i); n >= 2; --n) {
            std::string key;
            bool words = true;
            for (std::size_t k = 0; k < n && words; ++k) {
                words = tokens[i + k].kind == TokenKind::Word;
                if (k > 0)
                    key += ' ';
                key += lower(tokens[i + k].text);
            }
            // A phrase starting or ending in a function word ("are not", "went to") would hide
            // the clause's structure.
            if (!words || closedWord(lower(tokens[i].text)) || closedWord(lower(tokens[i + n - 1].text)))
                continue;
            if (const auto choice = m_lexicon.toJapanese(key, PartOfSpeech::Unknown)) {
                Item item;
                item.role = Role::Content;
                item.key = key;
                item.japanese = choice->text;
                item.pos = choice->pos;
                item.verbClass = choice->verbClass;
                item.canBe = posBit(choice->pos);
                item.offset = tokens[i].offset;
                item.length = tokens[i + n - 1].offset + tokens[i + n - 1].text.size() - tokens[i].offset;
                item.fromDictionary = true;
                m_items.push_back(item);
                i += n - 1;
                return true;
            }
        }
        return false;
    }

    void word(const Token& token)
    {
        std::string w = lower(token.text);
        Item item;
        item.offset = token.offset;
        item.length = token.text.size();
        // Contractions: can't, isn't, it's, I'm, we'll, they've, John's.
        std::optional<Role> extra;
        if (w.size() > 3 && w.ends_with("n't")) {
            w.resize(w.size() - 3);
            if (w == "ca")
                w = "can";
            else if (w == "wo")
                w = "will";
            else if (w == "sha")
                w = "shall";
            extra = Role::Not;
        } else if (w.ends_with("'m") || w.ends_with("'re")) {
            w.resize(w.find('\''));
            extra = Role::Be;
        } else if (w.ends_with("'ll") || w.ends_with("'d") || w.ends_with("'ve")) {
            w.resize(w.find('\''));
        } else if (w.ends_with("'s") && w.size() > 2) {
            w.resize(w.size() - 2);
            if (closedWord(w) && closedWord(w)->role == Role::Pronoun)
                extra = Role::Be;
            else
                item.possessiveS = true;
        }
        if (const auto closed = closedWord(w)) {
            item.role = closed->role;
            item.key = w;
            item.japanese = std::string(closed->japanese);
            item.pos = closed->pos;
            item.fromDictionary = true;
            item.past = w == "was" || w == "were" || w == "did" || w == "could" || w == "had";
            item.you = w == "you";
            m_items.push_back(item);
        } else {
            item.role = Role::Content;
            item.key = w;
            for (const auto& form : englishBaseForms(w)) {
                const auto mask = m_lexicon.englishPartsOfSpeech(form.base);
                if (mask != 0) {
                    item.forms.push_back({form.base, mask, form.past, form.inflected});
                    item.canBe |= mask;
                }
            }
            if (!item.forms.empty()) {
                // "runs" is a noun of its own, and "run" inflected: the verb reading decides
                // what the word tells about the clause.
                // An irregular past ("fell", "saw") is read as such before the word's own senses.
                const auto* evidence = &item.forms.front();
                const auto verbForm = [&item](bool pastOnly) -> const Form* {
                    for (const auto& form : item.forms) {
                        if ((form.canBe & posBit(PartOfSpeech::Verb)) && (!pastOnly || form.past))
                            return &form;
                    }
                    return nullptr;
                };
                if (const auto* past = verbForm(true))
                    evidence = past;
                else if (const auto* verb = verbForm(false))
                    evidence = verb;
                item.key = item.forms.front().base;
                if (evidence->canBe & posBit(PartOfSpeech::Verb))
                    item.verbKey = evidence->base;
                item.past = evidence->past;
                item.inflected = evidence->inflected;
                item.progressive = evidence->inflected && w.ends_with("ing");
                item.fromDictionary = true;
            }
            m_items.push_back(item);
        }
        if (extra) {
            Item more;
            more.role = *extra;
            more.key = *extra == Role::Not ? "not" : "be";
            more.offset = item.offset;
            more.length = item.length;
            more.fromDictionary = true;
            m_items.push_back(more);
        }
    }

    // The base form to look up when the word is wanted as `want`.
    static const std::string& keyFor(const Item& item, PartOfSpeech want)
    {
        if (want == PartOfSpeech::Verb && !item.verbKey.empty())
            return item.verbKey;
        for (const auto& form : item.forms) {
            if (form.canBe & posBit(want))
                return form.base;
        }
        return item.key;
    }

    bool canBeVerb(const Item& item) const
    {
        return item.role == Role::Content && item.japanese.empty() && (item.canBe & posBit(PartOfSpeech::Verb));
    }

    // Where the predicate of the clause [b, e) starts, if it has one.
    std::optional<std::size_t> predicate(std::size_t b, std::size_t e) const
    {
        for (std::size_t k = b; k < e; ++k) {
            const auto role = m_items[k].role;
            if (role == Role::Be || role == Role::Do || role == Role::Modal)
                return k;
        }
        const auto follows = [&](std::size_t k, auto&& test) { return k > b && test(m_items[k - 1]); };
        const auto isContent = [](const Item& i) { return i.role == Role::Content || i.role == Role::Number; };
        const auto nextIsContent = [&](std::size_t k) { return k + 1 < e && m_items[k + 1].role == Role::Content; };
        // Strongest first: after a pronoun, a past form after a noun, an -s form ending a
        // noun phrase, an imperative at the start, a base form after a plural noun or before
        // an article or pronoun.
        for (std::size_t k = b; k < e; ++k) {
            const auto& item = m_items[k];
            if (canBeVerb(item) && (follows(k, [](const Item& i) { return i.role == Role::Pronoun; })
                                    || (item.past && follows(k, isContent))))
                return k;
        }
        for (std::size_t k = b; k < e; ++k) {
            const auto& item = m_items[k];
            if (canBeVerb(item) && item.inflected && !item.progressive && follows(k, isContent) && !nextIsContent(k))
                return k;
        }
        for (std::size_t k = b; k < e; ++k) {
            const auto& item = m_items[k];
            if (!canBeVerb(item))
                continue;
            const bool atStart = k == b || (k == b + 1 && m_items[b].role == Role::Please);
            if (atStart && !item.inflected)
                return k;
            if (follows(k, [](const Item& i) { return i.role == Role::Content && i.inflected; }))
                return k;
            if (follows(k, isContent) && k + 1 < e
                && (m_items[k + 1].role == Role::Article || m_items[k + 1].role == Role::Pronoun
                    || m_items[k + 1].role == Role::Possessive || m_items[k + 1].role == Role::Determiner))
                return k;
        }
        // Last: an -s or -ed form after a noun even when a noun follows ("software translates text").
        for (std::size_t k = b; k < e; ++k) {
            const auto& item = m_items[k];
            if (canBeVerb(item) && item.inflected && !item.progressive && follows(k, isContent))
                return k;
        }
        return std::nullopt;
    }

    void emit(const Item& item, std::string text, PartOfSpeech tag)
    {
        if (text.empty())
            return;
        m_units.push_back({std::move(text), tag, static_cast<std::ptrdiff_t>(item.offset), item.length, item.fromDictionary});
    }

    // Adds the item's own translation; `want` is the part of speech preferred.
    void emitContent(const Item& item, PartOfSpeech want, bool beforeNoun)
    {
        switch (item.role) {
        case Role::Article:
        case Role::Please:
        case Role::Not:
            return;
        case Role::Pronoun:
            emit(item, item.japanese, item.pos);
            return;
        case Role::Determiner:
            emit(item, beforeNoun ? item.japanese : (item.key == "this" || item.key == "these" ? "これ" : "それ"), item.pos);
            return;
        case Role::Punct:
            emit(item, punctuation(item.key), PartOfSpeech::Symbol);
            return;
        default:
            break;
        }
        if (!item.japanese.empty()) {
            emit(item, item.japanese, item.pos);
        } else if (const auto choice = m_lexicon.toJapanese(keyFor(item, want), want)) {
            emit(item, choice->text, choice->pos);
            if (beforeNoun && choice->pos == PartOfSpeech::AdjectivalNoun)
                emit(item, "な", PartOfSpeech::Particle);
        } else {
            Item unknown = item;
            unknown.fromDictionary = false;
            emit(unknown, codec::cp932ToUtf8(m_sentence.substr(item.offset, item.length)), PartOfSpeech::Unknown);
        }
        if (item.possessiveS)
            emit(item, "の", PartOfSpeech::Particle);
    }

    std::string punctuation(std::string_view p)
    {
        if (p == ".")
            return "。";
        if (p == "," || p == ";")
            return "、";
        if (p == "!")
            return "！";
        if (p == "?")
            return "？";
        if (p == ":")
            return "：";
        if (p == "(")
            return "（";
        if (p == ")")
            return "）";
        if (p == "\"") {
            m_quoteOpen = !m_quoteOpen;
            return m_quoteOpen ? "「" : "」";
        }
        return std::string(p);
    }

    // A noun phrase: "A of B" becomes "B の A"; adjectives before a noun stay before it.
    void nounPhrase(std::size_t b, std::size_t e)
    {
        std::vector<std::pair<std::size_t, std::size_t>> segments;
        std::vector<std::size_t> ofs;
        std::size_t start = b;
        for (std::size_t k = b; k < e; ++k) {
            if (m_items[k].role == Role::Of) {
                segments.emplace_back(start, k);
                ofs.push_back(k);
                start = k + 1;
            }
        }
        segments.emplace_back(start, e);
        for (std::size_t s = segments.size(); s-- > 0;) {
            const auto [sb, se] = segments[s];
            std::size_t lastContent = se;
            for (std::size_t k = sb; k < se; ++k) {
                if (m_items[k].role == Role::Content)
                    lastContent = k;
            }
            for (std::size_t k = sb; k < se; ++k) {
                const bool beforeNoun = lastContent != se && k < lastContent;
                const bool adjective = beforeNoun && (m_items[k].canBe & posBit(PartOfSpeech::Adjective));
                emitContent(m_items[k], adjective ? PartOfSpeech::Adjective : PartOfSpeech::Noun, beforeNoun);
            }
            if (s > 0)
                emit(m_items[ofs[s - 1]], "の", PartOfSpeech::Particle);
        }
    }

    // The particle after a phrase shares the offset of the phrase's last word, so that it
    // stays with that word.
    void particleAfter(std::size_t b, std::size_t e, std::string_view particle)
    {
        for (std::size_t k = e; k-- > b;) {
            const auto role = m_items[k].role;
            if (role != Role::Article && role != Role::Punct && role != Role::Not) {
                emit(m_items[k], std::string(particle), PartOfSpeech::Particle);
                return;
            }
        }
    }

    bool hasWords(std::size_t b, std::size_t e) const
    {
        for (std::size_t k = b; k < e; ++k) {
            const auto role = m_items[k].role;
            if (role != Role::Article && role != Role::Punct && role != Role::Please && role != Role::Not)
                return true;
        }
        return false;
    }

    VerbForm formFor(bool imperative, bool past, bool negative) const
    {
        if (imperative) {
            if (negative)
                return VerbForm::PlainNegative;
            switch (m_style.imperative) {
            case Imperative::Nasai: return VerbForm::Nasai;
            case Imperative::Koto: return VerbForm::Koto;
            case Imperative::Suru: return VerbForm::Plain;
            }
        }
        if (m_style.polite)
            return past ? (negative ? VerbForm::PolitePastNegative : VerbForm::PolitePast)
                        : (negative ? VerbForm::PoliteNegative : VerbForm::Polite);
        return past ? (negative ? VerbForm::PlainPastNegative : VerbForm::PlainPast)
                    : (negative ? VerbForm::PlainNegative : VerbForm::Plain);
    }

    std::string negativeImperativeTail() const
    {
        switch (m_style.imperative) {
        case Imperative::Nasai: return "でいなさい";
        case Imperative::Koto: return "こと";
        case Imperative::Suru: return "";
        }
        return "";
    }

    std::string copula(bool past, bool negative) const
    {
        if (m_style.polite)
            return past ? (negative ? "ではありませんでした" : "でした") : (negative ? "ではありません" : "です");
        return past ? (negative ? "ではなかった" : "であった") : (negative ? "ではない" : "である");
    }

    std::string adjectivePredicate(const std::string& adjective, bool past, bool negative) const
    {
        std::string plain = adjective;
        if (adjective.ends_with("い") && (past || negative)) {
            const auto stem = adjective.substr(0, adjective.size() - std::string_view("い").size());
            plain = stem + (past ? (negative ? "くなかった" : "かった") : "くない");
        }
        return m_style.polite ? plain + "です" : plain;
    }

    void clause(std::size_t b, std::size_t e)
    {
        std::size_t end = e;
        while (end > b && m_items[end - 1].role == Role::Punct)
            --end;
        const auto p = predicate(b, end);
        if (!p) {
            // No predicate found: one phrase ("A of B" as "B の A"), then the punctuation.
            nounPhrase(b, end);
            finishClause(false, b, e);
            return;
        }
        std::size_t head = b;
        while (head < *p && (m_items[head].role == Role::Conjunction || m_items[head].role == Role::Please)) {
            emitContent(m_items[head], PartOfSpeech::Conjunction, false);
            ++head;
        }
        const bool question = e > b && m_items[e - 1].key == "?";
        if (question && *p == head && m_items[head].role != Role::Be) {
            // "Did you read the book?": the subject stands between the auxiliary and the verb.
            for (std::size_t v = head + 1; v < end; ++v) {
                if (canBeVerb(m_items[v]) && v > head + 1) {
                    invertedQuestion(head, v, e, end);
                    return;
                }
            }
        }

        // The verb group: auxiliaries, "not", and the main verb.
        bool past = false;
        bool negative = false;
        bool copulaPredicate = false;
        bool progressive = false;
        const Item* modal = nullptr;
        const Item* beItem = nullptr;
        std::optional<std::size_t> verb;
        std::size_t k = *p;
        for (; k < end; ++k) {
            const auto& item = m_items[k];
            if (item.role == Role::Modal) {
                modal = item.japanese.empty() ? modal : &item;
                past = past || item.past;
            } else if (item.role == Role::Do || item.role == Role::Be) {
                past = past || item.past;
                if (item.role == Role::Be) {
                    beItem = &item;
                    copulaPredicate = true;
                }
            } else if (item.role == Role::Not) {
                negative = true;
            } else if (canBeVerb(item) && !verb) {
                if (copulaPredicate && !item.progressive && !item.past)
                    break; // "is happy": a complement, not a verb
                verb = k;
                past = past || item.past;
                progressive = copulaPredicate && item.progressive;
                copulaPredicate = false;
                ++k;
                break;
            } else {
                break;
            }
        }
        const std::size_t restBegin = k;
        const bool imperative = !copulaPredicate && verb && !hasWords(head, *p) && !m_items[*verb].inflected
                                && !question;

        // Subject.
        if (hasWords(head, *p)) {
            const bool onlyYou = *p - head == 1 && m_items[head].you;
            if (!(onlyYou && !m_style.translateYou)) {
                nounPhrase(head, *p);
                particleAfter(head, *p, "は");
            }
        }

        // Phrases after the verb: prepositional ones first, then the object or complement.
        std::vector<std::pair<std::size_t, std::size_t>> groups;
        std::size_t groupStart = restBegin;
        for (std::size_t r = restBegin; r < end; ++r) {
            if (m_items[r].role == Role::Preposition && r > groupStart) {
                groups.emplace_back(groupStart, r);
                groupStart = r;
            }
        }
        if (groupStart < end)
            groups.emplace_back(groupStart, end);
        std::optional<std::pair<std::size_t, std::size_t>> object;
        for (const auto& [gb, ge] : groups) {
            if (m_items[gb].role == Role::Preposition) {
                nounPhrase(gb + 1, ge);
                emit(m_items[gb], m_items[gb].japanese, PartOfSpeech::Preposition);
            } else {
                object = std::make_pair(gb, ge);
            }
        }

        if (copulaPredicate) {
            PartOfSpeech complementPos = PartOfSpeech::Noun;
            if (object) {
                const auto last = object->second - 1;
                const auto& item = m_items[last];
                if (item.role == Role::Content && object->second - object->first == 1
                    && (item.canBe & posBit(PartOfSpeech::Adjective)))
                    complementPos = PartOfSpeech::Adjective;
                if (complementPos == PartOfSpeech::Adjective) {
                    if (const auto choice = m_lexicon.toJapanese(keyFor(item, PartOfSpeech::Adjective), PartOfSpeech::Adjective);
                        choice && choice->pos == PartOfSpeech::Adjective) {
                        emit(item, adjectivePredicate(choice->text, past, negative), PartOfSpeech::Adjective);
                        finishClause(question, b, e);
                        return;
                    }
                }
                nounPhrase(object->first, object->second);
            }
            if (beItem)
                emit(*beItem, copula(past, negative), PartOfSpeech::Auxiliary);
            finishClause(question, b, e);
            return;
        }

        if (object && hasWords(object->first, object->second)) {
            nounPhrase(object->first, object->second);
            particleAfter(object->first, object->second, "を");
        }
        if (verb) {
            const auto& item = m_items[*verb];
            const auto choice = m_lexicon.toJapanese(keyFor(item, PartOfSpeech::Verb), PartOfSpeech::Verb);
            std::string text;
            PartOfSpeech tag = PartOfSpeech::Verb;
            if (choice && choice->pos == PartOfSpeech::Verb) {
                const auto form = modal ? (negative ? VerbForm::PlainNegative : VerbForm::Plain) : formFor(imperative, past, negative);
                if (progressive && !imperative) {
                    // 〜ている: the te-form is the plain past with た/だ turned into て/で.
                    auto te = conjugate(choice->text, choice->verbClass, VerbForm::PlainPast);
                    if (te.ends_with("た"))
                        te.replace(te.size() - std::string_view("た").size(), std::string_view("た").size(), "て");
                    else if (te.ends_with("だ"))
                        te.replace(te.size() - std::string_view("だ").size(), std::string_view("だ").size(), "で");
                    text = te + conjugate("いる", VerbClass::Ichidan, form);
                } else {
                    text = conjugate(choice->text, choice->verbClass, form);
                }
                if (imperative && negative)
                    text += negativeImperativeTail();
            } else if (choice) {
                text = choice->text;
                tag = choice->pos;
            } else {
                text = codec::cp932ToUtf8(m_sentence.substr(item.offset, item.length));
                tag = PartOfSpeech::Unknown;
            }
            emit(item, text, tag);
            if (modal)
                emit(*modal, modal->japanese, PartOfSpeech::Auxiliary);
        }
        finishClause(question, b, e);
    }

    void invertedQuestion(std::size_t aux, std::size_t verb, std::size_t e, std::size_t end)
    {
        const auto& auxiliary = m_items[aux];
        nounPhrase(aux + 1, verb);
        particleAfter(aux + 1, verb, "は");
        if (verb + 1 < end) {
            nounPhrase(verb + 1, end);
            particleAfter(verb + 1, end, "を");
        }
        bool negative = false;
        for (std::size_t k = aux; k < verb; ++k)
            negative = negative || m_items[k].role == Role::Not;
        const auto& item = m_items[verb];
        if (const auto choice = m_lexicon.toJapanese(keyFor(item, PartOfSpeech::Verb), PartOfSpeech::Verb);
            choice && choice->pos == PartOfSpeech::Verb)
            emit(item, conjugate(choice->text, choice->verbClass, formFor(false, auxiliary.past, negative)), PartOfSpeech::Verb);
        else
            emitContent(item, PartOfSpeech::Verb, false);
        finishClause(true, aux, e);
    }

    void finishClause(bool question, std::size_t b, std::size_t e)
    {
        std::size_t firstPunct = e;
        while (firstPunct > b && m_items[firstPunct - 1].role == Role::Punct)
            --firstPunct;
        if (question && firstPunct < e)
            emit(m_items[e - 1], "か", PartOfSpeech::Particle);
        for (std::size_t k = firstPunct; k < e; ++k)
            emitContent(m_items[k], PartOfSpeech::Symbol, false);
    }

    std::string_view m_sentence;
    const Lexicon& m_lexicon;
    Style m_style;
    std::vector<Item> m_items;
    std::vector<Unit> m_units;
    bool m_quoteOpen = false;
};

} // namespace

std::vector<Unit> translateEnglishSentence(std::string_view cp932, const Lexicon& lexicon, const Options& options)
{
    Style style;
    style.polite = options.politeStyle;
    style.translateYou = options.translateYou;
    if (options.imperative == "KOTO")
        style.imperative = Imperative::Koto;
    else if (options.imperative == "SURU")
        style.imperative = Imperative::Suru;
    return SentenceTranslator(cp932, lexicon, style).run();
}

} // namespace yv::engine::Internal
