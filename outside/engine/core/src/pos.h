// Parts of speech: the unit tags of result blocks, EDICT's codes, and verb conjugation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace yv::engine::Internal {

// Result-block tags (the byte stored with linked source characters): the part of speech of
// the source word a unit translates. 0 marks words the engine supplied itself.
enum class PartOfSpeech : std::uint8_t {
    None = 0,
    Noun = 1,
    Pronoun = 2,
    Verb = 3,
    Adjective = 4,
    AdjectivalNoun = 5,
    Adverb = 6,
    Particle = 7,
    Auxiliary = 8,
    Conjunction = 9,
    Interjection = 10,
    Prefix = 11,
    Suffix = 12,
    Counter = 13,
    Numeral = 14,
    Expression = 15,
    PreNounAdjectival = 16,
    Preposition = 17,
    Symbol = 20,
    Unknown = 21,
};

constexpr std::uint32_t posBit(PartOfSpeech pos)
{
    return 1u << static_cast<unsigned>(pos);
}

// The Japanese name shown in the word-choice dialog (UTF-8), e.g. "名詞".
std::string_view japaneseName(PartOfSpeech pos);
// The most telling part of speech of a mask (verbs before nouns before the rest).
PartOfSpeech primaryOf(std::uint32_t mask);

// EDICT verb classes that conjugation distinguishes.
enum class VerbClass : std::uint8_t {
    None = 0,
    Ichidan,      // v1: 食べる
    Godan,        // v5*: 書く, 読む
    GodanIku,     // v5k-s: 行く
    GodanAru,     // v5aru: なさる
    Aru,          // v5r-i: ある
    Kuru,         // vk: 来る
    SuruVerb,     // vs-i, vs-s: 勉強する
    SuruNoun,     // vs: a noun that becomes a verb with する
    Zuru,         // vz: 信ずる
};

// Adds what one EDICT tag ("n", "v5k", "adj-i", "P") says to a sense; false when the tag is
// not a part-of-speech tag.
bool applyEdictTag(std::string_view tag, std::uint32_t& posMask, VerbClass& verbClass);

enum class VerbForm {
    Plain,          // 食べる
    Polite,         // 食べます
    PlainPast,      // 食べた
    PolitePast,     // 食べました
    PlainNegative,  // 食べない
    PoliteNegative, // 食べません
    PlainPastNegative,  // 食べなかった
    PolitePastNegative, // 食べませんでした
    Nasai,          // 食べなさい
    Koto,           // 食べること
};

// The form of a dictionary-form verb (UTF-8); the plain form when the class is unknown.
std::string conjugate(std::string_view dictionaryForm, VerbClass verbClass, VerbForm form);

} // namespace yv::engine::Internal
