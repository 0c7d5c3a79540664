// The dictionaries of one translation run: the user dictionaries in precedence order, then EDICT.
#pragma once

#include "edict.h"
#include "pos.h"
#include "userdicformat.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace yv::engine::Internal {

// One translation of a word, UTF-8.
struct Choice {
    std::string text;
    PartOfSpeech pos = PartOfSpeech::Unknown;
    VerbClass verbClass = VerbClass::None;
};

// A user dictionary with its entries converted to UTF-8 for translation.
struct LoadedUserDictionary {
    std::string path; // as given, without extension
    UserDictionaryData data;
};

class Lexicon final {
public:
    Lexicon(const Dictionary* edict, std::vector<LoadedUserDictionary> userDictionaries)
        : m_edict(edict), m_user(std::move(userDictionaries)) {}

    // Japanese for an English key (lower case); `want` is a part of speech to prefer.
    std::optional<Choice> toJapanese(std::string_view englishKey, PartOfSpeech want) const;
    // English for a Japanese word (UTF-8). `readingHint` (hiragana, e.g. of the inflected form
    // in the text) prefers entries read that way: 開け(あけ) is 開ける read あける, not ひらける.
    std::optional<Choice> toEnglish(std::string_view japanese, PartOfSpeech want,
                                    std::string_view readingHint = {}) const;
    // The parts of speech an English key can have in any dictionary.
    std::uint32_t englishPartsOfSpeech(std::string_view englishKey) const;
    bool knowsJapanese(std::string_view japanese) const;

    const Dictionary* edict() const { return m_edict; }
    const std::vector<LoadedUserDictionary>& userDictionaries() const { return m_user; }

private:
    const Dictionary* m_edict;
    std::vector<LoadedUserDictionary> m_user;
};

// Loads the user dictionaries that exist and are sound, converted to UTF-8.
std::vector<LoadedUserDictionary> loadUserDictionaries(const std::vector<std::filesystem::path>& paths);

// A part of speech from its Japanese name (UTF-8); Unknown when it is none of ours.
PartOfSpeech partOfSpeechNamed(std::string_view japaneseName);

// The Japanese of an EDICT sense: the reading for "usually kana" senses, else the headword.
std::string japaneseOf(const Dictionary& dict, const EntryRecord& entry, const SenseRecord& sense);

} // namespace yv::engine::Internal
