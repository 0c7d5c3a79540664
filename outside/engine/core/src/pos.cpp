// Part-of-speech names, EDICT tag mapping and verb conjugation.
#include "pos.h"

#include <array>
#include <optional>
#include <utility>

namespace yv::engine::Internal {

std::string_view japaneseName(PartOfSpeech pos)
{
    switch (pos) {
    case PartOfSpeech::Noun: return "名詞";
    case PartOfSpeech::Pronoun: return "代名詞";
    case PartOfSpeech::Verb: return "動詞";
    case PartOfSpeech::Adjective: return "形容詞";
    case PartOfSpeech::AdjectivalNoun: return "形容動詞";
    case PartOfSpeech::Adverb: return "副詞";
    case PartOfSpeech::Particle: return "助詞";
    case PartOfSpeech::Auxiliary: return "助動詞";
    case PartOfSpeech::Conjunction: return "接続詞";
    case PartOfSpeech::Interjection: return "感動詞";
    case PartOfSpeech::Prefix: return "接頭辞";
    case PartOfSpeech::Suffix: return "接尾辞";
    case PartOfSpeech::Counter: return "助数詞";
    case PartOfSpeech::Numeral: return "数詞";
    case PartOfSpeech::Expression: return "連語";
    case PartOfSpeech::PreNounAdjectival: return "連体詞";
    case PartOfSpeech::Preposition: return "前置詞";
    case PartOfSpeech::Symbol: return "記号";
    case PartOfSpeech::None:
    case PartOfSpeech::Unknown: break;
    }
    return "未知語";
}

PartOfSpeech primaryOf(std::uint32_t mask)
{
    static constexpr std::array kOrder = {
        PartOfSpeech::Verb, PartOfSpeech::Adjective, PartOfSpeech::AdjectivalNoun, PartOfSpeech::Noun,
        PartOfSpeech::Pronoun, PartOfSpeech::Adverb, PartOfSpeech::Numeral, PartOfSpeech::Counter,
        PartOfSpeech::PreNounAdjectival, PartOfSpeech::Conjunction, PartOfSpeech::Interjection,
        PartOfSpeech::Auxiliary, PartOfSpeech::Particle, PartOfSpeech::Prefix, PartOfSpeech::Suffix,
        PartOfSpeech::Expression,
    };
    for (const auto pos : kOrder) {
        if (mask & posBit(pos))
            return pos;
    }
    return PartOfSpeech::Unknown;
}

bool applyEdictTag(std::string_view tag, std::uint32_t& posMask, VerbClass& verbClass)
{
    struct Mapping {
        std::string_view tag;
        PartOfSpeech pos;
    };
    static constexpr std::array kExact = {
        Mapping{"n", PartOfSpeech::Noun}, Mapping{"n-adv", PartOfSpeech::Noun},
        Mapping{"n-t", PartOfSpeech::Noun}, Mapping{"n-pr", PartOfSpeech::Noun},
        Mapping{"adj-no", PartOfSpeech::Noun}, Mapping{"adj-f", PartOfSpeech::Noun},
        Mapping{"n-suf", PartOfSpeech::Suffix}, Mapping{"suf", PartOfSpeech::Suffix},
        Mapping{"n-pref", PartOfSpeech::Prefix}, Mapping{"pref", PartOfSpeech::Prefix},
        Mapping{"pn", PartOfSpeech::Pronoun}, Mapping{"adj-i", PartOfSpeech::Adjective},
        Mapping{"adj-ix", PartOfSpeech::Adjective}, Mapping{"adj-na", PartOfSpeech::AdjectivalNoun},
        Mapping{"adj-t", PartOfSpeech::AdjectivalNoun}, Mapping{"adj-pn", PartOfSpeech::PreNounAdjectival},
        Mapping{"adv", PartOfSpeech::Adverb}, Mapping{"adv-to", PartOfSpeech::Adverb},
        Mapping{"aux", PartOfSpeech::Auxiliary}, Mapping{"aux-v", PartOfSpeech::Auxiliary},
        Mapping{"aux-adj", PartOfSpeech::Auxiliary}, Mapping{"cop", PartOfSpeech::Auxiliary},
        Mapping{"cop-da", PartOfSpeech::Auxiliary}, Mapping{"conj", PartOfSpeech::Conjunction},
        Mapping{"int", PartOfSpeech::Interjection}, Mapping{"ctr", PartOfSpeech::Counter},
        Mapping{"num", PartOfSpeech::Numeral}, Mapping{"exp", PartOfSpeech::Expression},
        Mapping{"prt", PartOfSpeech::Particle},
    };
    for (const auto& m : kExact) {
        if (tag == m.tag) {
            posMask |= posBit(m.pos);
            return true;
        }
    }
    if (tag == "vs") {
        posMask |= posBit(PartOfSpeech::Noun);
        if (verbClass == VerbClass::None)
            verbClass = VerbClass::SuruNoun;
        return true;
    }
    if (tag.size() < 2 || tag[0] != 'v' || tag == "vi" || tag == "vt")
        return tag == "vi" || tag == "vt";
    VerbClass cls = VerbClass::None;
    if (tag == "v1" || tag == "v1-s")
        cls = VerbClass::Ichidan;
    else if (tag == "v5k-s")
        cls = VerbClass::GodanIku;
    else if (tag == "v5aru")
        cls = VerbClass::GodanAru;
    else if (tag == "v5r-i")
        cls = VerbClass::Aru;
    else if (tag.starts_with("v5"))
        cls = VerbClass::Godan;
    else if (tag == "vk")
        cls = VerbClass::Kuru;
    else if (tag == "vs-i" || tag == "vs-s")
        cls = VerbClass::SuruVerb;
    else if (tag == "vz")
        cls = VerbClass::Zuru;
    else if (tag.starts_with("v2") || tag.starts_with("v4") || tag == "vn" || tag == "vr" || tag == "vs-c")
        cls = VerbClass::Godan;
    else
        return false;
    posMask |= posBit(PartOfSpeech::Verb);
    if (verbClass == VerbClass::None || verbClass == VerbClass::SuruNoun)
        verbClass = cls;
    return true;
}

namespace {

constexpr std::size_t kKanaBytes = 3; // one hiragana in UTF-8

struct GodanRow {
    std::string_view u, i, a, past;
};

constexpr std::array kGodanRows = {
    GodanRow{"う", "い", "わ", "った"}, GodanRow{"く", "き", "か", "いた"}, GodanRow{"ぐ", "ぎ", "が", "いだ"},
    GodanRow{"す", "し", "さ", "した"}, GodanRow{"つ", "ち", "た", "った"}, GodanRow{"ぬ", "に", "な", "んだ"},
    GodanRow{"ぶ", "び", "ば", "んだ"}, GodanRow{"む", "み", "ま", "んだ"}, GodanRow{"る", "り", "ら", "った"},
};

// The stems a form is built from: before ます, before ない, and the plain past.
struct Stems {
    std::string masu, nai, past;
};

std::optional<Stems> stemsOf(std::string_view word, VerbClass cls)
{
    const auto cut = [&](std::string_view ending) -> std::optional<std::string> {
        if (!word.ends_with(ending))
            return std::nullopt;
        return std::string(word.substr(0, word.size() - ending.size()));
    };
    switch (cls) {
    case VerbClass::Ichidan:
        if (auto s = cut("る"))
            return Stems{*s, *s, *s + "た"};
        return std::nullopt;
    case VerbClass::Kuru:
        if (auto s = cut("来る"))
            return Stems{*s + "来", *s + "来", *s + "来た"};
        if (auto s = cut("くる"))
            return Stems{*s + "き", *s + "こ", *s + "きた"};
        return std::nullopt;
    case VerbClass::SuruVerb:
        if (auto s = cut("する"))
            return Stems{*s + "し", *s + "し", *s + "した"};
        return std::nullopt;
    case VerbClass::SuruNoun:
        return Stems{std::string(word) + "し", std::string(word) + "し", std::string(word) + "した"};
    case VerbClass::Zuru:
        if (auto s = cut("ずる"))
            return Stems{*s + "じ", *s + "じ", *s + "じた"};
        return std::nullopt;
    case VerbClass::Aru:
        if (auto s = cut("る"))
            return Stems{*s + "り", "", *s + "った"};
        return std::nullopt;
    case VerbClass::GodanAru:
        if (auto s = cut("る"))
            return Stems{*s + "い", *s + "ら", *s + "った"};
        return std::nullopt;
    case VerbClass::GodanIku:
    case VerbClass::Godan:
        if (word.size() < kKanaBytes)
            return std::nullopt;
        for (const auto& row : kGodanRows) {
            if (auto s = cut(row.u)) {
                const bool iku = cls == VerbClass::GodanIku && row.u == "く";
                return Stems{*s + std::string(row.i), *s + std::string(row.a), *s + std::string(iku ? "った" : row.past)};
            }
        }
        return std::nullopt;
    case VerbClass::None:
        break;
    }
    return std::nullopt;
}

} // namespace

std::string conjugate(std::string_view word, VerbClass cls, VerbForm form)
{
    const std::string plain = cls == VerbClass::SuruNoun ? std::string(word) + "する" : std::string(word);
    const auto stems = stemsOf(word, cls);
    if (!stems)
        return plain;
    switch (form) {
    case VerbForm::Plain: return plain;
    case VerbForm::Polite: return stems->masu + "ます";
    case VerbForm::PlainPast: return stems->past;
    case VerbForm::PolitePast: return stems->masu + "ました";
    case VerbForm::PlainNegative: return stems->nai + "ない";
    case VerbForm::PoliteNegative: return stems->masu + "ません";
    case VerbForm::PlainPastNegative: return stems->nai + "なかった";
    case VerbForm::PolitePastNegative: return stems->masu + "ませんでした";
    case VerbForm::Nasai: return stems->masu + "なさい";
    case VerbForm::Koto: return plain + "こと";
    }
    return plain;
}

} // namespace yv::engine::Internal
