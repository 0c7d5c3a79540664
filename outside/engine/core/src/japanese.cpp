// Japanese to English by dictionary: morphemes to words, words to clauses in English order.
#include "japanese.h"

#include "english.h"
#include "textscan.h"

#include <platform/codec.h>

#include <algorithm>
#include <optional>
#include <utility>

#ifdef YV_HAVE_MECAB
#include <mecab.h>
#endif

namespace yv::engine::Internal {

namespace {

// Words a compound look-up may join, and characters a dictionary match may span.
constexpr std::size_t kMaxCompoundMorphemes = 4;
constexpr std::size_t kMaxLookupCharacters = 10;

std::vector<std::string_view> splitFeature(std::string_view feature)
{
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start <= feature.size()) {
        const auto comma = std::min(feature.find(',', start), feature.size());
        fields.push_back(feature.substr(start, comma - start));
        start = comma + 1;
    }
    return fields;
}

#ifdef YV_HAVE_MECAB
class MecabSegmenter final : public Segmenter {
public:
    struct ModelDeleter {
        void operator()(mecab_model_t* m) const { mecab_model_destroy(m); }
    };
    struct TaggerDeleter {
        void operator()(mecab_t* t) const { mecab_destroy(t); }
    };
    struct LatticeDeleter {
        void operator()(mecab_lattice_t* l) const { mecab_lattice_destroy(l); }
    };

    MecabSegmenter(std::unique_ptr<mecab_model_t, ModelDeleter> model, std::unique_ptr<mecab_t, TaggerDeleter> tagger)
        : m_model(std::move(model)), m_tagger(std::move(tagger)) {}

    std::vector<Morpheme> segment(std::string_view utf8, const Lexicon&) const override
    {
        std::vector<Morpheme> morphemes;
        // A lattice per call keeps the tagger usable from several threads.
        const std::unique_ptr<mecab_lattice_t, LatticeDeleter> lattice(mecab_model_new_lattice(m_model.get()));
        if (!lattice)
            return morphemes;
        mecab_lattice_set_sentence2(lattice.get(), utf8.data(), utf8.size());
        if (!mecab_parse_lattice(m_tagger.get(), lattice.get()))
            return morphemes;
        for (const mecab_node_t* node = mecab_lattice_get_bos_node(lattice.get()); node; node = node->next) {
            if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE || node->length == 0)
                continue;
            const auto begin = static_cast<std::size_t>(node->surface - utf8.data());
            if (begin > utf8.size() || node->length > utf8.size() - begin)
                continue;
            Morpheme m;
            m.begin = begin;
            m.end = begin + node->length;
            const auto fields = splitFeature(node->feature ? node->feature : "");
            m.pos1 = fields.size() > 0 ? std::string(fields[0]) : std::string();
            m.pos2 = fields.size() > 1 ? std::string(fields[1]) : std::string();
            m.base = fields.size() > 6 && fields[6] != "*" ? std::string(fields[6]) : std::string(utf8.substr(m.begin, node->length));
            m.reading = fields.size() > 7 ? std::string(fields[7]) : std::string();
            morphemes.push_back(std::move(m));
        }
        return morphemes;
    }

private:
    std::unique_ptr<mecab_model_t, ModelDeleter> m_model;
    std::unique_ptr<mecab_t, TaggerDeleter> m_tagger;
};
#endif

std::size_t utf8CharLength(std::string_view s, std::size_t i)
{
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return std::min(n, s.size() - i);
}

bool isAsciiText(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

class LookupSegmenter final : public Segmenter {
public:
    std::vector<Morpheme> segment(std::string_view utf8, const Lexicon& lexicon) const override
    {
        static constexpr std::string_view kParticles[] = {"は", "が", "を", "に", "で", "と", "の", "へ", "も", "か"};
        std::vector<Morpheme> morphemes;
        std::size_t i = 0;
        while (i < utf8.size()) {
            const auto first = utf8CharLength(utf8, i);
            if (utf8[i] == ' ' || utf8.substr(i, first) == "\u3000") {
                i += first;
                continue;
            }
            std::size_t best = 0;
            std::size_t end = i;
            for (std::size_t chars = 0; chars < kMaxLookupCharacters && end < utf8.size(); ++chars) {
                end += utf8CharLength(utf8, end);
                if (lexicon.knowsJapanese(utf8.substr(i, end - i)))
                    best = end;
            }
            Morpheme m;
            m.begin = i;
            m.end = best ? best : i + first;
            const auto surface = utf8.substr(m.begin, m.end - m.begin);
            m.base = std::string(surface);
            if (!best && std::find(std::begin(kParticles), std::end(kParticles), surface) != std::end(kParticles))
                m.pos1 = "助詞";
            else if (!best && (surface == "。" || surface == "、" || surface == "？" || surface == "！" || isAsciiText(surface)))
                m.pos1 = "記号";
            else
                m.pos1 = "名詞";
            morphemes.push_back(std::move(m));
            i = m.end;
        }
        return morphemes;
    }
};

// UTF-8 of a CP932 sentence with, for every UTF-8 byte, the CP932 offset of its character.
struct Converted {
    std::string utf8;
    std::vector<std::size_t> cp932At;
};

Converted convert(std::string_view cp932)
{
    Converted c;
    for (std::size_t i = 0; i < cp932.size();) {
        const auto len = cp932CharLength(cp932, i);
        const auto ch = cp932.substr(i, len);
        const std::string utf8 = static_cast<unsigned char>(ch[0]) < 0x80 ? std::string(ch) : codec::cp932ToUtf8(ch);
        c.utf8 += utf8;
        c.cp932At.insert(c.cp932At.end(), utf8.size(), i);
        i += len;
    }
    c.cp932At.push_back(cp932.size());
    return c;
}

std::string katakanaToHiragana(std::string_view katakana)
{
    std::string out;
    for (std::size_t i = 0; i < katakana.size();) {
        const auto len = utf8CharLength(katakana, i);
        if (len == 3) {
            const auto b0 = static_cast<unsigned char>(katakana[i]);
            const auto b1 = static_cast<unsigned char>(katakana[i + 1]);
            const auto b2 = static_cast<unsigned char>(katakana[i + 2]);
            char32_t cp = ((b0 & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (b2 & 0x3F);
            if (cp >= 0x30A1 && cp <= 0x30F6)
                cp -= 0x60;
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += katakana.substr(i, len);
        }
        i += len;
    }
    return out;
}

enum class WordKind { Noun, Pronoun, Verb, Adjective, Adverb, Other, Particle, Punct, Copula };

struct Word {
    WordKind kind = WordKind::Other;
    std::string english;
    PartOfSpeech tag = PartOfSpeech::Unknown;
    std::size_t offset = 0; // CP932, in the sentence
    std::size_t length = 0;
    bool fromDictionary = false;
    bool negative = false;
    bool past = false;
    bool commonNoun = false;
    bool request = false;     // 〜てください
    bool progressive = false; // 〜ている
    bool clauseBreak = false; // a conjunctive particle or a comma
    std::string surface;      // particles and symbols
};

PartOfSpeech wantedFor(const Morpheme& m)
{
    if (m.pos1 == "名詞")
        return m.pos2 == "代名詞" ? PartOfSpeech::Pronoun
               : m.pos2 == "形容動詞語幹" ? PartOfSpeech::AdjectivalNoun
               : m.pos2 == "数" ? PartOfSpeech::Numeral
                                       : PartOfSpeech::Noun;
    if (m.pos1 == "動詞")
        return PartOfSpeech::Verb;
    if (m.pos1 == "形容詞")
        return PartOfSpeech::Adjective;
    if (m.pos1 == "副詞")
        return PartOfSpeech::Adverb;
    if (m.pos1 == "連体詞")
        return PartOfSpeech::PreNounAdjectival;
    if (m.pos1 == "接続詞")
        return PartOfSpeech::Conjunction;
    if (m.pos1 == "感動詞")
        return PartOfSpeech::Interjection;
    if (m.pos1 == "接頭詞")
        return PartOfSpeech::Prefix;
    return PartOfSpeech::Unknown;
}

WordKind kindFor(PartOfSpeech pos)
{
    switch (pos) {
    case PartOfSpeech::Noun:
    case PartOfSpeech::Numeral:
    case PartOfSpeech::AdjectivalNoun: return WordKind::Noun;
    case PartOfSpeech::Pronoun: return WordKind::Pronoun;
    case PartOfSpeech::Verb: return WordKind::Verb;
    case PartOfSpeech::Adjective: return WordKind::Adjective;
    case PartOfSpeech::Adverb: return WordKind::Adverb;
    default: return WordKind::Other;
    }
}

std::string punctuationFor(std::string_view surface)
{
    if (surface == "。" || surface == "．" || surface == "｡")
        return ".";
    if (surface == "、" || surface == "，" || surface == "､")
        return ",";
    if (surface == "？" || surface == "?")
        return "?";
    if (surface == "！" || surface == "!")
        return "!";
    if (surface == "「" || surface == "」" || surface == "『" || surface == "』" || surface == "｢" || surface == "｣")
        return "\"";
    if (surface == "（")
        return "(";
    if (surface == "）")
        return ")";
    if (surface == "：")
        return ":";
    return std::string(surface);
}

class SentenceTranslator final {
public:
    SentenceTranslator(std::string_view cp932, const Lexicon& lexicon, const Segmenter& segmenter, const Options& options)
        : m_cp932(cp932), m_text(convert(cp932)), m_lexicon(lexicon), m_segmenter(segmenter), m_options(options) {}

    std::vector<Unit> run()
    {
        buildWords(m_segmenter.segment(m_text.utf8, m_lexicon));
        std::size_t begin = 0;
        for (std::size_t i = 0; i < m_words.size(); ++i) {
            if (m_words[i].clauseBreak) {
                clause(begin, i + 1);
                begin = i + 1;
            }
        }
        if (begin < m_words.size())
            clause(begin, m_words.size());
        capitalise();
        return std::move(m_units);
    }

private:
    // The CP932 end of the character that holds the UTF-8 byte before `utf8End`: a bad byte
    // pair can become two characters in UTF-8, and a morpheme must still cover whole bytes.
    std::size_t cp932End(std::size_t utf8End) const
    {
        if (utf8End == 0)
            return 0;
        const auto start = m_text.cp932At[utf8End - 1];
        return start + cp932CharLength(m_cp932, start);
    }

    void span(Word& w, const Morpheme& first, const Morpheme& last) const
    {
        w.offset = m_text.cp932At[first.begin];
        w.length = std::max(cp932End(last.end), w.offset) - w.offset;
    }

    std::string surfaceOf(const Morpheme& m) const { return m_text.utf8.substr(m.begin, m.end - m.begin); }

    void extend(Word& w, const Morpheme& m) const { w.length = std::max(cp932End(m.end), w.offset) - w.offset; }

    Word* lastContent()
    {
        if (m_words.empty())
            return nullptr;
        auto& w = m_words.back();
        return (w.kind == WordKind::Particle || w.kind == WordKind::Punct) ? nullptr : &w;
    }

    void buildWords(const std::vector<Morpheme>& ms)
    {
        for (std::size_t i = 0; i < ms.size(); ++i) {
            const auto& m = ms[i];
            const auto surface = surfaceOf(m);
            Word* previous = lastContent();
            if (m.pos1 == "記号" || (m.pos1 == "名詞" && isAsciiText(surface) && !m_lexicon.knowsJapanese(surface))) {
                Word w;
                const bool symbol = m.pos1 == "記号";
                w.kind = symbol ? WordKind::Punct : WordKind::Other;
                w.english = symbol ? punctuationFor(surface) : surface;
                w.tag = symbol ? PartOfSpeech::Symbol : PartOfSpeech::Unknown;
                w.surface = surface;
                w.clauseBreak = symbol && w.english == ",";
                w.fromDictionary = symbol && w.english != surface;
                span(w, m, m);
                m_words.push_back(std::move(w));
                continue;
            }
            // 〜て before ください / いる belongs to the verb, not to a new clause.
            if (m.pos1 == "助詞" && previous && m.pos2 == "接続助詞" && (m.base == "て" || m.base == "で")
                && i + 1 < ms.size() && ms[i + 1].pos1 == "動詞" && ms[i + 1].pos2 == "非自立") {
                extend(*previous, m);
                continue;
            }
            if (m.pos1 == "助詞") {
                Word w;
                w.kind = WordKind::Particle;
                w.surface = surface;
                w.tag = PartOfSpeech::Particle;
                w.clauseBreak = m.pos2 == "接続助詞" && i + 1 < ms.size();
                span(w, m, m);
                m_words.push_back(std::move(w));
                continue;
            }
            if (m.pos1 == "助動詞" && previous) {
                if (m.base == "ない" || m.base == "ぬ" || m.base == "ん")
                    previous->negative = true;
                else if (m.base == "た" || (m.base == "だ" && (previous->kind == WordKind::Verb || previous->kind == WordKind::Adjective)))
                    previous->past = true;
                if ((m.base == "だ" || m.base == "です") && previous->kind != WordKind::Verb
                    && previous->kind != WordKind::Adjective) {
                    Word w;
                    w.kind = WordKind::Copula;
                    w.tag = PartOfSpeech::Auxiliary;
                    w.fromDictionary = true;
                    span(w, m, m);
                    m_words.push_back(std::move(w));
                } else if (m_words.back().kind == WordKind::Copula && m.base == "た") {
                    m_words.back().past = true;
                    extend(m_words.back(), m);
                } else {
                    extend(*previous, m);
                }
                continue;
            }
            if (previous && ((m.pos1 == "動詞" && (m.pos2 == "非自立" || m.pos2 == "接尾"))
                             || (m.pos1 == "名詞" && m.pos2 == "接尾" && previous->kind == WordKind::Noun)
                             || (m.pos1 == "形容詞" && m.pos2 == "非自立" && m.base == "ない"))) {
                if (m.base == "ない")
                    previous->negative = true;
                else if (m.base == "くださる" || m.base == "くれる" || m.base == "下さる")
                    previous->request = true;
                else if (m.base == "いる")
                    previous->progressive = true;
                extend(*previous, m);
                continue;
            }
            if (previous && m.pos1 == "動詞" && m.base == "する" && previous->kind == WordKind::Noun) {
                previous->kind = WordKind::Verb;
                previous->tag = PartOfSpeech::Verb;
                if (previous->english.starts_with("to "))
                    previous->english.erase(0, 3);
                extend(*previous, m);
                continue;
            }
            i = content(ms, i);
        }
    }

    // A content word (or a compound from `i`); returns the index of its last morpheme.
    std::size_t content(const std::vector<Morpheme>& ms, std::size_t i)
    {
        const auto& m = ms[i];
        Word w;
        if (m.pos1 == "名詞" || m.pos1 == "接頭詞") {
            for (std::size_t j = std::min(ms.size(), i + kMaxCompoundMorphemes); j >= i + 2; --j) {
                bool nouns = true;
                for (std::size_t k = i; k < j && nouns; ++k)
                    nouns = ms[k].pos1 == "名詞" || ms[k].pos1 == "接頭詞";
                if (!nouns || ms[j - 1].end - ms[i].begin == 0)
                    continue;
                const auto compound = m_text.utf8.substr(ms[i].begin, ms[j - 1].end - ms[i].begin);
                if (const auto choice = m_lexicon.toEnglish(compound, PartOfSpeech::Noun)) {
                    w.kind = kindFor(choice->pos) == WordKind::Other ? WordKind::Noun : kindFor(choice->pos);
                    w.english = choice->text;
                    w.tag = choice->pos;
                    w.fromDictionary = true;
                    w.commonNoun = w.tag == PartOfSpeech::Noun && ms[i].pos2 != "代名詞" && ms[i].pos2 != "固有名詞";
                    span(w, ms[i], ms[j - 1]);
                    m_words.push_back(std::move(w));
                    return j - 1;
                }
            }
        }
        // Honorific prefixes without a compound of their own carry no English.
        if (m.pos1 == "接頭詞" && (m.base == "お" || m.base == "ご" || m.base == "御"))
            return i;
        const auto want = wantedFor(m);
        const auto reading = katakanaToHiragana(m.reading);
        auto choice = m_lexicon.toEnglish(m.base, want, reading);
        if (!choice && m.base != surfaceOf(m))
            choice = m_lexicon.toEnglish(surfaceOf(m), want, reading);
        if (!choice && !m.reading.empty())
            choice = m_lexicon.toEnglish(reading, want);
        if (choice) {
            w.english = choice->text;
            w.tag = want != PartOfSpeech::Unknown ? want : choice->pos;
            w.fromDictionary = true;
        } else {
            w.english = surfaceOf(m);
            w.tag = m.pos1 == "名詞" && m.pos2 == "数" ? PartOfSpeech::Numeral : PartOfSpeech::Unknown;
            w.fromDictionary = w.tag == PartOfSpeech::Numeral;
        }
        w.kind = kindFor(w.tag);
        if (m.pos1 == "名詞" && w.kind == WordKind::Other)
            w.kind = WordKind::Noun;
        if (w.kind == WordKind::Verb && w.english.starts_with("to "))
            w.english.erase(0, 3);
        w.commonNoun = m.pos1 == "名詞" && (m.pos2 == "一般" || m.pos2 == "サ変接続");
        span(w, m, m);
        m_words.push_back(std::move(w));
        return i;
    }

    void add(std::string text, PartOfSpeech tag, std::ptrdiff_t offset, std::size_t length, bool fromDictionary)
    {
        if (!text.empty())
            m_units.push_back({std::move(text), tag, offset, length, fromDictionary});
    }

    void add(const Word& w, std::string text)
    {
        add(std::move(text), w.tag, static_cast<std::ptrdiff_t>(w.offset), w.length, w.fromDictionary);
    }

    // A noun phrase is a list of words; "A の B" is kept as B, "of", A.
    struct Phrase {
        std::vector<std::size_t> words;
        std::vector<std::pair<std::size_t, std::size_t>> genitives; // (particle word, first word of A)
        bool empty() const { return words.empty(); }
    };

    void phrase(const Phrase& p, std::string_view article)
    {
        if (p.empty())
            return;
        const auto& head = m_words[p.words.back()];
        const bool determined = std::any_of(p.words.begin(), p.words.end(), [this](std::size_t i) {
            return m_words[i].tag == PartOfSpeech::PreNounAdjectival || m_words[i].tag == PartOfSpeech::Pronoun;
        });
        if (!article.empty() && head.commonNoun && p.genitives.empty() && !determined)
            add(std::string(article), PartOfSpeech::None, static_cast<std::ptrdiff_t>(head.offset), head.length, false);
        // Words after the last の come first, then "of" and what came before it.
        std::size_t cut = p.words.size();
        std::vector<std::size_t> cuts;
        for (const auto& g : p.genitives)
            cuts.push_back(g.second);
        for (std::size_t c = cuts.size() + 1; c-- > 0;) {
            const std::size_t from = c == 0 ? 0 : cuts[c - 1];
            for (std::size_t k = from; k < cut; ++k) {
                const auto& w = m_words[p.words[k]];
                add(w, w.english);
            }
            if (c > 0) {
                const auto& particle = m_words[p.genitives[c - 1].first];
                add("of", PartOfSpeech::Particle, static_cast<std::ptrdiff_t>(particle.offset), particle.length, true);
            }
            cut = from;
        }
    }

    static std::string lowerFirstWord(std::string_view s)
    {
        std::string word(s.substr(0, s.find(' ')));
        for (auto& c : word)
            c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        return word;
    }

    void clause(std::size_t b, std::size_t e)
    {
        Phrase pending;
        std::optional<Phrase> subject;
        std::optional<Phrase> object;
        std::optional<Phrase> complement;
        std::vector<std::pair<std::size_t, Phrase>> adverbials; // (particle word, phrase)
        std::vector<std::size_t> adverbs;
        std::vector<std::size_t> endings;
        std::vector<Phrase> loose;
        std::optional<std::size_t> predicate;
        bool question = false;
        // A conjunction from the clause before opens this one (after a lone comma).
        const bool words = std::any_of(m_words.begin() + static_cast<std::ptrdiff_t>(b), m_words.begin() + static_cast<std::ptrdiff_t>(e),
                                       [](const Word& w) { return w.kind != WordKind::Punct; });
        if (words && m_conjunction) {
            const auto& w = m_words[m_conjunction->first];
            add(m_conjunction->second, PartOfSpeech::Conjunction, static_cast<std::ptrdiff_t>(w.offset), w.length, true);
            m_conjunction.reset();
        }
        for (std::size_t i = b; i < e; ++i) {
            auto& w = m_words[i];
            switch (w.kind) {
            case WordKind::Noun:
            case WordKind::Pronoun:
            case WordKind::Other:
                pending.words.push_back(i);
                break;
            case WordKind::Adverb:
                adverbs.push_back(i);
                break;
            case WordKind::Adjective:
                // 新しい博物館: an adjective before a noun belongs to the noun.
                if (i + 1 < e && (m_words[i + 1].kind == WordKind::Noun || m_words[i + 1].kind == WordKind::Pronoun)) {
                    pending.words.push_back(i);
                    break;
                }
                [[fallthrough]];
            case WordKind::Verb:
                if (predicate && m_words[*predicate].kind != WordKind::Copula)
                    loose.push_back({{*predicate}, {}});
                predicate = i;
                break;
            case WordKind::Copula:
                if (!pending.empty()) {
                    complement = pending;
                    pending = {};
                }
                predicate = i;
                break;
            case WordKind::Punct:
                endings.push_back(i);
                break;
            case WordKind::Particle: {
                const auto& s = w.surface;
                if (w.clauseBreak) {
                    // Conjunctive particles join this clause to the next.
                    if (s == "ので" || s == "から")
                        m_conjunction = std::make_pair(i, "so");
                    else if (s == "が" || s == "けど" || s == "けれど" || s == "けれども")
                        m_conjunction = std::make_pair(i, "but");
                    else if (s == "て" || s == "で")
                        m_conjunction = std::make_pair(i, "and");
                    break;
                }
                if (s == "か" && i + 1 >= e - 1) {
                    question = true;
                    break;
                }
                if (pending.empty())
                    break;
                if (s == "の") {
                    pending.genitives.push_back({i, pending.words.size()});
                    break;
                }
                if (s == "や"
                    || (s == "と" && i + 1 < e
                        && (m_words[i + 1].kind == WordKind::Noun || m_words[i + 1].kind == WordKind::Pronoun))) {
                    pending.words.push_back(i);
                    w.english = "and";
                    w.kind = WordKind::Particle;
                    w.fromDictionary = true;
                    break;
                }
                if ((s == "は" || s == "が" || s == "も") && !subject)
                    subject = pending;
                else if (s == "を")
                    object = pending;
                else if (s == "に" || s == "へ" || s == "で" || s == "から" || s == "まで" || s == "と" || s == "より")
                    adverbials.push_back({i, pending});
                else
                    loose.push_back(pending);
                pending = {};
                break;
            }
            }
        }
        if (!pending.empty()) {
            if (predicate && m_words[*predicate].kind == WordKind::Copula && !complement)
                complement = pending;
            else
                loose.push_back(pending);
        }
        if (!predicate) {
            // No predicate: the phrases one after another, "A の B" as "B of A".
            if (subject)
                phrase(*subject, "");
            for (const auto& ph : loose)
                phrase(ph, "");
            if (object)
                phrase(*object, "");
            for (const auto& [particle, ph] : adverbials)
                phrase(ph, "");
            for (const auto a : adverbs)
                add(m_words[a], m_words[a].english);
            for (const auto i : endings)
                add(m_words[i], question && m_words[i].english == "." ? "?" : m_words[i].english);
            return;
        }

        const auto& p = m_words[*predicate];
        std::string subjectWord;
        if (p.kind == WordKind::Verb && p.request && !subject) {
            add("please", PartOfSpeech::None, kNoOffset, 0, false);
            subjectWord = "you";
        } else if (subject) {
            phrase(*subject, "the");
            subjectWord = lowerFirstWord(m_words[subject->words.back()].english);
        } else if (!m_subjectWord) {
            subjectWord = m_options.subject.empty() ? "it" : m_options.subject;
            add(subjectWord, PartOfSpeech::None, kNoOffset, 0, false);
            subjectWord = lowerFirstWord(subjectWord);
        } else {
            subjectWord = *m_subjectWord;
        }
        m_subjectWord = subjectWord;
        const bool firstPerson = subjectWord == "i";
        const bool plural = subjectWord == "we" || subjectWord == "you" || subjectWord == "they";
        const auto be = [&](bool past) -> std::string {
            if (past)
                return plural ? "were" : "was";
            return firstPerson ? "am" : plural ? "are" : "is";
        };
        if (p.kind == WordKind::Copula || p.kind == WordKind::Adjective) {
            add(p, be(p.past));
            if (p.negative)
                add("not", PartOfSpeech::Adverb, static_cast<std::ptrdiff_t>(p.offset), p.length, true);
            if (p.kind == WordKind::Adjective) {
                for (const auto a : std::exchange(adverbs, {}))
                    add(m_words[a], m_words[a].english);
                add(p, p.english);
            } else if (complement) {
                const auto& head = m_words[complement->words.back()];
                phrase(*complement, head.kind == WordKind::Noun && complement->words.size() == 1 ? "a" : "");
            }
        } else {
            if (p.negative) {
                add(p.past ? "did" : (firstPerson || plural) ? "do" : "does", PartOfSpeech::Auxiliary,
                    static_cast<std::ptrdiff_t>(p.offset), p.length, true);
                add("not", PartOfSpeech::Adverb, static_cast<std::ptrdiff_t>(p.offset), p.length, true);
                add(p, p.english);
            } else if (p.request) {
                add(p, p.english);
            } else if (p.progressive) {
                add(be(p.past), PartOfSpeech::Auxiliary, static_cast<std::ptrdiff_t>(p.offset), p.length, true);
                add(p, p.fromDictionary ? englishProgressive(p.english) : p.english);
            } else if (p.past) {
                add(p, p.fromDictionary ? englishPast(p.english) : p.english);
            } else if (!firstPerson && !plural && p.fromDictionary) {
                add(p, englishThirdPerson(p.english));
            } else {
                add(p, p.english);
            }
        }
        if (object)
            phrase(*object, "the");
        for (const auto& [particle, ph] : adverbials) {
            const auto& w = m_words[particle];
            const auto& s = w.surface;
            const char* preposition = s == "に" || s == "へ" ? "to" : s == "で" ? "at" : s == "から" ? "from"
                                      : s == "まで" ? "until" : s == "と" ? "with" : "than";
            add(preposition, PartOfSpeech::Particle, static_cast<std::ptrdiff_t>(w.offset), w.length, true);
            phrase(ph, "the");
        }
        for (const auto& ph : loose)
            phrase(ph, "");
        for (const auto a : adverbs)
            add(m_words[a], m_words[a].english);
        for (const auto i : endings) {
            const auto& w = m_words[i];
            add(w, question && w.english == "." ? "?" : w.english);
        }
        if (question && endings.empty())
            add("?", PartOfSpeech::Symbol, kNoOffset, 0, false);

    }

    void capitalise()
    {
        for (auto& unit : m_units) {
            if (unit.text.empty())
                continue;
            if (unit.text[0] >= 'a' && unit.text[0] <= 'z')
                unit.text[0] = static_cast<char>(unit.text[0] - 'a' + 'A');
            return;
        }
    }

    std::string_view m_cp932;
    Converted m_text;
    const Lexicon& m_lexicon;
    const Segmenter& m_segmenter;
    const Options& m_options;
    std::vector<Word> m_words;
    std::vector<Unit> m_units;
    std::optional<std::string> m_subjectWord; // of an earlier clause: later ones share it
    std::optional<std::pair<std::size_t, const char*>> m_conjunction; // to open the next clause
};

} // namespace

std::unique_ptr<Segmenter> createMecabSegmenter(std::string* error)
{
#ifdef YV_HAVE_MECAB
    std::unique_ptr<mecab_model_t, MecabSegmenter::ModelDeleter> model(mecab_model_new2(""));
    if (!model) {
        if (error)
            *error = std::string("MeCab: ") + mecab_strerror(nullptr);
        return nullptr;
    }
    std::unique_ptr<mecab_t, MecabSegmenter::TaggerDeleter> tagger(mecab_model_new_tagger(model.get()));
    if (!tagger) {
        if (error)
            *error = "MeCab: no tagger";
        return nullptr;
    }
    return std::make_unique<MecabSegmenter>(std::move(model), std::move(tagger));
#else
    if (error)
        *error = "MeCab is not built in";
    return nullptr;
#endif
}

std::unique_ptr<Segmenter> createLookupSegmenter()
{
    return std::make_unique<LookupSegmenter>();
}

std::vector<Unit> translateJapaneseSentence(std::string_view cp932, const Lexicon& lexicon, const Segmenter& segmenter,
                                            const Options& options)
{
    return SentenceTranslator(cp932, lexicon, segmenter, options).run();
}

} // namespace yv::engine::Internal
