// Dictionary look-ups with user dictionaries taking precedence over EDICT.
#include "lexicon.h"

#include <platform/codec.h>

#include <algorithm>

namespace yv::engine::Internal {

namespace {

// How many index records are weighed for one look-up: the best lie first.
constexpr std::size_t kCandidatesWeighed = 40;

bool hasJapaneseCharacter(std::string_view utf8)
{
    return std::any_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

VerbClass guessVerbClass(std::string_view dictionaryForm)
{
    if (dictionaryForm.ends_with("する"))
        return VerbClass::SuruVerb;
    if (dictionaryForm.ends_with("来る"))
        return VerbClass::Kuru;
    for (const std::string_view ichidanTail : {"べる", "める", "ける", "げる", "せる", "てる", "ねる", "れる", "える",
                                               "いる", "きる", "じる", "びる", "みる", "りる", "ちる", "へる", "でる"}) {
        if (dictionaryForm.ends_with(ichidanTail))
            return VerbClass::Ichidan;
    }
    return VerbClass::Godan;
}

std::optional<Choice> fromUser(const std::vector<LoadedUserDictionary>& dictionaries, std::string_view key,
                               bool japaneseKey, PartOfSpeech want)
{
    for (const auto& dictionary : dictionaries) {
        const auto found = findUserEntries(dictionary.data, key);
        const userdic::Entry* best = nullptr;
        for (const auto* entry : found) {
            if (hasJapaneseCharacter(entry->headword) != japaneseKey || entry->translation.empty())
                continue;
            if (!best || (partOfSpeechNamed(entry->partOfSpeech) == want && partOfSpeechNamed(best->partOfSpeech) != want))
                best = entry;
        }
        if (best) {
            Choice choice{best->translation, partOfSpeechNamed(best->partOfSpeech), VerbClass::None};
            if (choice.pos == PartOfSpeech::Verb)
                choice.verbClass = guessVerbClass(japaneseKey ? key : std::string_view(choice.text));
            return choice;
        }
    }
    return std::nullopt;
}

} // namespace

PartOfSpeech partOfSpeechNamed(std::string_view name)
{
    for (int code = 1; code <= static_cast<int>(PartOfSpeech::Unknown); ++code) {
        const auto pos = static_cast<PartOfSpeech>(code);
        if (japaneseName(pos) == name)
            return pos;
    }
    if (name == "サ変名詞")
        return PartOfSpeech::Noun;
    return PartOfSpeech::Unknown;
}

std::string japaneseOf(const Dictionary& dict, const EntryRecord& entry, const SenseRecord& sense)
{
    if (sense.usuallyKana && entry.reading.length > 0)
        return std::string(dict.text(entry.reading));
    return std::string(dict.text(entry.headword));
}

std::optional<Choice> Lexicon::toJapanese(std::string_view key, PartOfSpeech want) const
{
    if (auto user = fromUser(m_user, key, false, want))
        return user;
    if (!m_edict)
        return std::nullopt;
    const auto records = m_edict->english(key);
    const KeyRecord* best = nullptr;
    for (std::size_t i = 0; i < records.size() && i < kCandidatesWeighed; ++i) {
        const auto& entry = m_edict->entry(records[i].entry);
        const auto& sense = m_edict->sense(entry, records[i].sense);
        if (want == PartOfSpeech::Unknown || (sense.posMask & posBit(want))) {
            best = &records[i];
            break;
        }
    }
    if (!best && !records.empty())
        best = &records[0];
    if (!best)
        return std::nullopt;
    const auto& entry = m_edict->entry(best->entry);
    const auto& sense = m_edict->sense(entry, best->sense);
    auto pos = primaryOf(sense.posMask);
    if (want != PartOfSpeech::Unknown && (sense.posMask & posBit(want)))
        pos = want;
    Choice choice{japaneseOf(*m_edict, entry, sense), pos, pos == PartOfSpeech::Verb ? sense.verbClass : VerbClass::None};
    if (pos == PartOfSpeech::Verb && sense.verbClass == VerbClass::SuruNoun)
        choice.verbClass = VerbClass::SuruNoun;
    return choice;
}

std::optional<Choice> Lexicon::toEnglish(std::string_view japanese, PartOfSpeech want, std::string_view readingHint) const
{
    if (auto user = fromUser(m_user, japanese, true, want))
        return user;
    if (!m_edict)
        return std::nullopt;
    constexpr std::size_t kKanaBytes = 3;
    const auto hint = readingHint.substr(0, std::min(readingHint.size(), kKanaBytes));
    const auto records = m_edict->japanese(japanese);
    const EntryRecord* bestEntry = nullptr;
    const SenseRecord* bestSense = nullptr;
    int bestFit = 0;
    for (std::size_t i = 0; i < records.size() && i < kCandidatesWeighed; ++i) {
        const auto& entry = m_edict->entry(records[i].entry);
        const auto reading = entry.reading.length ? m_edict->text(entry.reading) : m_edict->text(entry.headword);
        const int readingFit = !hint.empty() && reading.starts_with(hint) ? 1 : 0;
        for (std::size_t s = 0; s < entry.senseCount; ++s) {
            const auto& sense = m_edict->sense(entry, s);
            const int fit = (want == PartOfSpeech::Unknown || (sense.posMask & posBit(want)) ? 2 : 0) + readingFit;
            if (fit > bestFit) {
                bestFit = fit;
                bestEntry = &entry;
                bestSense = &sense;
            }
            if (fit >= 2)
                break;
        }
        if (bestFit == 3 || (bestFit == 2 && hint.empty()))
            break;
    }
    if (!bestSense && !records.empty()) {
        bestEntry = &m_edict->entry(records[0].entry);
        bestSense = &m_edict->sense(*bestEntry, 0);
    }
    if (!bestSense)
        return std::nullopt;
    auto pos = primaryOf(bestSense->posMask);
    if (want != PartOfSpeech::Unknown && (bestSense->posMask & posBit(want)))
        pos = want;
    const auto glosses = m_edict->text(bestSense->glosses);
    return Choice{plainGloss(glosses, pos == PartOfSpeech::Verb), pos, bestSense->verbClass};
}

std::uint32_t Lexicon::englishPartsOfSpeech(std::string_view key) const
{
    std::uint32_t mask = 0;
    for (const auto& dictionary : m_user) {
        for (const auto* entry : findUserEntries(dictionary.data, key)) {
            if (!hasJapaneseCharacter(entry->headword))
                mask |= posBit(partOfSpeechNamed(entry->partOfSpeech));
        }
    }
    if (m_edict) {
        const auto records = m_edict->english(key);
        for (std::size_t i = 0; i < records.size() && i < kCandidatesWeighed; ++i)
            mask |= m_edict->sense(m_edict->entry(records[i].entry), records[i].sense).posMask;
    }
    return mask;
}

bool Lexicon::knowsJapanese(std::string_view japanese) const
{
    for (const auto& dictionary : m_user) {
        if (!findUserEntries(dictionary.data, japanese).empty())
            return true;
    }
    return m_edict && !m_edict->japanese(japanese).empty();
}

std::vector<LoadedUserDictionary> loadUserDictionaries(const std::vector<std::filesystem::path>& paths)
{
    std::vector<LoadedUserDictionary> loaded;
    for (const auto& path : paths) {
        if (path.empty())
            continue;
        auto entries = userdic::read(path);
        if (!entries)
            continue;
        LoadedUserDictionary dictionary{path.string(), {}};
        for (auto& entry : *entries) {
            dictionary.data.entries.push_back({codec::cp932ToUtf8(entry.headword), codec::cp932ToUtf8(entry.translation),
                                               codec::cp932ToUtf8(entry.partOfSpeech)});
        }
        // UTF-8 orders Japanese headwords differently from CP932: sort again.
        std::stable_sort(dictionary.data.entries.begin(), dictionary.data.entries.end(),
                         [](const userdic::Entry& a, const userdic::Entry& b) { return headwordLess(a.headword, b.headword); });
        loaded.push_back(std::move(dictionary));
    }
    return loaded;
}

} // namespace yv::engine::Internal
