// EDICT parsing and its cache, user dictionaries, sentence splitting and verb forms.
#include "fixture.h"

#include "edict.h"
#include "lexicon.h"
#include "textscan.h"
#include "userdicformat.h"

#include <platform/atomicfile.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace yv::engine;
using namespace yv::engine::Internal;
using namespace yv::engine::testing;

namespace {

std::string firstJapanese(const Dictionary& dict, std::string_view englishKey)
{
    const auto records = dict.english(englishKey);
    if (records.empty())
        return {};
    const auto& entry = dict.entry(records[0].entry);
    return japaneseOf(dict, entry, dict.sense(entry, records[0].sense));
}

} // namespace

TEST(EngineEdict, ParsesEntriesSensesAndIndexes)
{
    const auto dict = Dictionary::parse(fixtureEdictUtf8());
    // The header line, the line without " /" and the unclosed reading are skipped.
    EXPECT_EQ(dict.entryCount(), 21u);

    const auto eat = dict.japanese("食べる");
    ASSERT_EQ(eat.size(), 1u);
    const auto& entry = dict.entry(eat[0].entry);
    EXPECT_EQ(dict.text(entry.reading), "たべる");
    EXPECT_TRUE(entry.flags & kCommonEntry);
    ASSERT_EQ(entry.senseCount, 2);
    EXPECT_EQ(dict.text(dict.sense(entry, 0).glosses), "to eat");
    EXPECT_EQ(dict.text(dict.sense(entry, 1).glosses), "to live on (e.g. a salary)");
    EXPECT_EQ(dict.sense(entry, 0).verbClass, VerbClass::Ichidan);
    EXPECT_EQ(primaryOf(dict.sense(entry, 0).posMask), PartOfSpeech::Verb);
    // Readings are keys too.
    EXPECT_EQ(dict.japanese("たべる").size(), 1u);

    // The common, unmarked entry wins over slang and children's words; "usually kana" gives the reading.
    EXPECT_EQ(firstJapanese(dict, "eat"), "食べる");
    EXPECT_EQ(firstJapanese(dict, "dog"), "犬");
    EXPECT_EQ(firstJapanese(dict, "sushi"), "すし");
    EXPECT_EQ(firstJapanese(dict, "fountain pen"), "万年筆");
    EXPECT_EQ(firstJapanese(dict, "park"), "公園");
    EXPECT_TRUE(dict.english("the").empty());

    const auto study = dict.japanese("勉強");
    ASSERT_EQ(study.size(), 1u);
    const auto& studySense = dict.sense(dict.entry(study[0].entry), 0);
    EXPECT_EQ(studySense.verbClass, VerbClass::SuruNoun);
    EXPECT_EQ(japaneseName(primaryOf(studySense.posMask)), "名詞");
}

TEST(EngineEdict, EnglishKeysAreNormalised)
{
    bool verb = false;
    EXPECT_EQ(englishKey("To Eat", &verb), "eat");
    EXPECT_TRUE(verb);
    EXPECT_EQ(englishKey("dog (Canis (lupus) familiaris)", &verb), "dog");
    EXPECT_FALSE(verb);
    EXPECT_EQ(englishKey("the  Moon"), "moon");
    EXPECT_EQ(englishKey("a very long phrase of many words"), "");
    EXPECT_EQ(englishKey("café"), "");
    EXPECT_EQ(plainGloss("to live on (e.g. a salary)/to subsist", true), "live on");
}

TEST(EngineEdict, CacheRoundTripsAndRefusesWhatDoesNotMatch)
{
    const auto dict = Dictionary::parse(fixtureEdictUtf8());
    const auto bytes = dict.serialize(1234, 5678);
    const auto loaded = Dictionary::deserialize(bytes, 1234, 5678);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->entryCount(), dict.entryCount());
    EXPECT_EQ(firstJapanese(*loaded, "dog"), "犬");

    EXPECT_FALSE(Dictionary::deserialize(bytes, 1235, 5678)) << "EDICT changed size";
    EXPECT_FALSE(Dictionary::deserialize(bytes, 1234, 5679)) << "EDICT changed time";
    EXPECT_FALSE(Dictionary::deserialize(bytes.substr(0, bytes.size() - 1), 1234, 5678));
    EXPECT_FALSE(Dictionary::deserialize("", 1234, 5678));
    for (const std::size_t at : {std::size_t{0}, std::size_t{12}, bytes.size() / 2, bytes.size() - 1}) {
        auto damaged = bytes;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        EXPECT_FALSE(Dictionary::deserialize(damaged, 1234, 5678)) << "byte " << at;
    }
}

TEST(EngineEdict, TranslatorRebuildsDamagedOrStaleCache)
{
    const auto dir = scratchDir() / "cache-test";
    const auto edict = writeFixtureEdict(dir);
    const auto cacheDir = dir / "cache";
    std::string error;
    ASSERT_TRUE(Translator::load(edict, cacheDir, &error)) << error;
    const auto cacheFile = cacheDir / "edict.cache";
    ASSERT_TRUE(std::filesystem::exists(cacheFile));
    const auto good = yv::files::readWhole(cacheFile);
    ASSERT_TRUE(good);

    // Damaged: trusted never, rebuilt to the same bytes.
    auto damaged = *good;
    damaged[damaged.size() / 2] ^= 0x11;
    ASSERT_TRUE(yv::files::writeAtomically(cacheFile, damaged));
    const auto reloaded = Translator::load(edict, cacheDir, &error);
    ASSERT_TRUE(reloaded);
    EXPECT_NE(utf8(reloaded->lookUp("dog", Direction::EJ, {})).find("犬"), std::string::npos);
    EXPECT_EQ(yv::files::readWhole(cacheFile), good);

    // EDICT changes: the cache follows it.
    std::ofstream(edict, std::ios::app) << cp932("") << "zzword /(n) zzgloss/\n";
    const auto changed = Translator::load(edict, cacheDir, &error);
    ASSERT_TRUE(changed);
    EXPECT_NE(changed->lookUp("zzgloss", Direction::EJ, {}).find("zzword"), std::string::npos);
}

TEST(EngineEdict, MissingEdictStillTranslatesWithMecabOrFails)
{
    std::string error;
    const auto translator = Translator::load(scratchDir() / "no-such-edict", scratchDir() / "nocache", &error);
    EXPECT_NE(error.find("EDICT"), std::string::npos);
    if (translator) {
        std::vector<std::string> got;
        const std::atomic<bool> stop{false};
        translator->translateText("Hello.", Direction::EJ, {}, [&](const std::string& s) { got.push_back(s); }, stop);
        ASSERT_FALSE(got.empty());
        EXPECT_EQ(got.back(), "$$$");
    }
}

TEST(EngineUserDictionary, RoundTripReplaceAndLimits)
{
    const auto base = scratchDir() / "userdic" / "mine";
    std::filesystem::create_directories(base.parent_path());
    ASSERT_TRUE(userdic::create(base));
    ASSERT_TRUE(userdic::read(base));
    EXPECT_TRUE(userdic::read(base)->empty());

    ASSERT_TRUE(userdic::add(base, {"zebra", cp932("縞馬"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(base, {"Apple", cp932("林檎"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(base, {cp932("猫"), "kitty", cp932("名詞")}));
    ASSERT_TRUE(userdic::add(base, {"apple", cp932("りんご"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(base, {"Apple", cp932("アップル"), cp932("名詞")})) << "replaces the first Apple";
    ASSERT_TRUE(userdic::add(base, {"run", cp932("走る"), cp932("動詞")}));

    const auto entries = userdic::read(base);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 5u);
    // Index order: bytes with ASCII case folded.
    EXPECT_EQ((*entries)[0].headword, "Apple");
    EXPECT_EQ((*entries)[0].translation, cp932("アップル"));
    EXPECT_EQ((*entries)[1].headword, "apple");
    EXPECT_EQ((*entries)[2].headword, "run");
    EXPECT_EQ((*entries)[3].headword, "zebra");
    EXPECT_EQ((*entries)[4].headword, cp932("猫"));

    EXPECT_FALSE(userdic::add(base, {std::string(256, 'x'), "y", ""}));
    EXPECT_FALSE(userdic::add(base, {"", "y", ""}));
    EXPECT_FALSE(userdic::add(scratchDir() / "userdic" / "missing", {"a", "b", ""}));
    EXPECT_FALSE(userdic::read(scratchDir() / "userdic" / "missing"));
}

TEST(EngineUserDictionary, DamagedFilesAreRefusedAndStaleIndexesRebuilt)
{
    std::vector<userdic::Entry> entries = {{"b", "2", "x"}, {"a", "1", "y"}, {"c", "3", ""}};
    const auto files = serializeUserDictionary(entries);
    const auto parsed = parseUserDictionary(files.dic, files.idx);
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(parsed->indexRebuilt);
    ASSERT_EQ(parsed->entries.size(), 3u);
    EXPECT_EQ(parsed->entries[0].headword, "a");
    ASSERT_EQ(findUserEntries(*parsed, "B").size(), 1u);
    EXPECT_EQ(findUserEntries(*parsed, "B")[0]->translation, "2");
    EXPECT_TRUE(findUserEntries(*parsed, "d").empty());

    // The .dic is the truth: without or with a wrong index the entries are still found, in order.
    for (const std::string& idx : {std::string(), files.idx.substr(0, files.idx.size() - 2),
                                   serializeUserDictionary({{"q", "r", ""}}).idx}) {
        const auto rebuilt = parseUserDictionary(files.dic, idx);
        ASSERT_TRUE(rebuilt);
        EXPECT_TRUE(rebuilt->indexRebuilt);
        EXPECT_EQ(rebuilt->entries[2].headword, "c");
    }
    // An index pointing between records, or out of order, is not used either.
    auto misplaced = files.idx;
    misplaced[misplaced.size() - 1] = 1;
    EXPECT_TRUE(parseUserDictionary(files.dic, misplaced)->indexRebuilt);

    EXPECT_FALSE(parseUserDictionary(files.dic.substr(0, files.dic.size() - 1), files.idx));
    EXPECT_FALSE(parseUserDictionary("", ""));
    auto flipped = files.dic;
    flipped[30] ^= 1;
    EXPECT_FALSE(parseUserDictionary(flipped, files.idx)) << "checksum";
    auto badCount = files.dic;
    badCount[15] = 9;
    EXPECT_FALSE(parseUserDictionary(badCount, files.idx));
}

TEST(EngineSentences, SplitsAtEndsAndLineBreaksKeepingOffsets)
{
    const auto spans = [](std::string_view text, bool japanese) {
        std::vector<std::string> out;
        for (const auto& s : splitSentences(text, japanese))
            out.emplace_back(text.substr(s.offset, s.length));
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(spans("Mr. Smith came. He saw J. Doe at 3.5 p.m. today!  Why?", false),
              (V{"Mr. Smith came.", "He saw J. Doe at 3.5 p.m. today!", "Why?"}));
    EXPECT_EQ(spans("He said \"stop.\" Then\r\nleft\nthe room", false), (V{"He said \"stop.\"", "Then", "left", "the room"}));
    EXPECT_EQ(spans("e.g. this one. and lower case", false), (V{"e.g. this one. and lower case"}));
    EXPECT_EQ(spans(cp932("「はい。」と言った。　次！ｱｲｳ｡終"), true),
              (V{cp932("「はい。」"), cp932("と言った。"), cp932("次！"), cp932("ｱｲｳ｡"), cp932("終")}));
    EXPECT_TRUE(splitSentences("  \r\n\t ", false).empty());
    EXPECT_TRUE(isBlank(cp932("　 \r\n")));
    EXPECT_FALSE(isBlank("x"));

    // A lead byte at the very end, and sentences longer than the limit, stay in bounds.
    const std::string cut = "abc \x82";
    EXPECT_EQ(spans(cut, true), (V{cut}));
    const std::string longText(kMaxSentenceBytes * 3, 'a');
    std::size_t covered = 0;
    for (const auto& s : splitSentences(longText, false)) {
        EXPECT_LE(s.length, kMaxSentenceBytes + 256);
        covered += s.length;
    }
    EXPECT_EQ(covered, longText.size());
}

TEST(EngineConjugation, FormsOfEachVerbClass)
{
    EXPECT_EQ(conjugate("食べる", VerbClass::Ichidan, VerbForm::Polite), "食べます");
    EXPECT_EQ(conjugate("食べる", VerbClass::Ichidan, VerbForm::PlainNegative), "食べない");
    EXPECT_EQ(conjugate("書く", VerbClass::Godan, VerbForm::PlainPast), "書いた");
    EXPECT_EQ(conjugate("読む", VerbClass::Godan, VerbForm::Nasai), "読みなさい");
    EXPECT_EQ(conjugate("読む", VerbClass::Godan, VerbForm::PolitePastNegative), "読みませんでした");
    EXPECT_EQ(conjugate("行く", VerbClass::GodanIku, VerbForm::PlainPast), "行った");
    EXPECT_EQ(conjugate("買う", VerbClass::Godan, VerbForm::PlainNegative), "買わない");
    EXPECT_EQ(conjugate("勉強", VerbClass::SuruNoun, VerbForm::Koto), "勉強すること");
    EXPECT_EQ(conjugate("勉強", VerbClass::SuruNoun, VerbForm::Polite), "勉強します");
    EXPECT_EQ(conjugate("来る", VerbClass::Kuru, VerbForm::PlainNegative), "来ない");
    EXPECT_EQ(conjugate("くる", VerbClass::Kuru, VerbForm::PlainNegative), "こない");
    EXPECT_EQ(conjugate("ある", VerbClass::Aru, VerbForm::PlainNegative), "ない");
    EXPECT_EQ(conjugate("ある", VerbClass::Aru, VerbForm::Polite), "あります");
    EXPECT_EQ(conjugate("信ずる", VerbClass::Zuru, VerbForm::Polite), "信じます");
    // A form that does not fit its class stays as it is.
    EXPECT_EQ(conjugate("x", VerbClass::Godan, VerbForm::Polite), "x");
}
