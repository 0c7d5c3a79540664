// Dictionary choices: user entries of every kind, reading hints, and Japanese without MeCab.
#include "fixture.h"

#include "edict.h"
#include "japanese.h"
#include "lexicon.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

using namespace yv::engine;
using namespace yv::engine::Internal;
using namespace yv::engine::testing;

namespace {

const Dictionary& fixtureDictionary()
{
    static const Dictionary dict = Dictionary::parse(fixtureEdictUtf8());
    return dict;
}

std::string words(const std::vector<Unit>& units)
{
    std::string out;
    for (const auto& unit : units)
        out += (out.empty() ? "" : "|") + unit.text;
    return out;
}

} // namespace

TEST(EngineLexicon, ChoicesPreferPartOfSpeechReadingAndUserEntries)
{
    constexpr std::string_view kEdict = "開ける [あける] /(v1,vt) to open (a door)/(P)/\n"
                                        "開ける [ひらける] /(v1,vi) to open out/to become civilized/(P)/\n"
                                        "run [x] /(n) ignored: English headword/\n"
                                        "走り [はしり] /(n) running/(P)/\n"
                                        "走り [はしり] /(v5r) a verb sense/\n";
    const auto dict = Dictionary::parse(kEdict);
    const Lexicon lexicon(&dict, {});
    // Both are common: the reading of the inflected form in the text decides.
    EXPECT_EQ(lexicon.toEnglish("開ける", PartOfSpeech::Verb, "ひらけ")->text, "open out");
    EXPECT_EQ(lexicon.toEnglish("開ける", PartOfSpeech::Verb, "あけ")->text, "open");
    // The part of speech wanted wins over the better-scored entry.
    EXPECT_EQ(lexicon.toEnglish("走り", PartOfSpeech::Verb)->text, "a verb sense");
    EXPECT_EQ(lexicon.toEnglish("走り", PartOfSpeech::Noun)->text, "running");
    EXPECT_FALSE(lexicon.toEnglish("無い", PartOfSpeech::Unknown));

    LoadedUserDictionary user{"u", {}};
    user.data.entries = {{"zoom", "ズームする", "動詞"}, {"zoom", "ズーム", "名詞"}, {"猫", "puss", "名詞"}};
    const Lexicon withUser(&fixtureDictionary(), {user});
    const auto verb = withUser.toJapanese("zoom", PartOfSpeech::Verb);
    ASSERT_TRUE(verb);
    EXPECT_EQ(verb->text, "ズームする");
    EXPECT_EQ(verb->verbClass, VerbClass::SuruVerb);
    EXPECT_EQ(conjugate(verb->text, verb->verbClass, VerbForm::Polite), "ズームします");
    EXPECT_EQ(withUser.toJapanese("zoom", PartOfSpeech::Noun)->text, "ズーム");
    EXPECT_EQ(withUser.toEnglish("猫", PartOfSpeech::Noun)->text, "puss");
    EXPECT_EQ(withUser.toJapanese("cat", PartOfSpeech::Noun)->text, "猫") << "EDICT after the user";
    EXPECT_TRUE(withUser.englishPartsOfSpeech("zoom") & posBit(PartOfSpeech::Verb));
    EXPECT_TRUE(withUser.knowsJapanese("猫"));
    EXPECT_FALSE(withUser.knowsJapanese("鳥"));
    EXPECT_EQ(partOfSpeechNamed("形容詞"), PartOfSpeech::Adjective);
    EXPECT_EQ(partOfSpeechNamed("nonsense"), PartOfSpeech::Unknown);
}

TEST(EngineLexicon, UserVerbsAreConjugatedInEnglishToJapanese)
{
    const auto dir = scratchDir() / "userverbs";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(userdic::create(dir / "verbs"));
    ASSERT_TRUE(userdic::add(dir / "verbs", {"zoom", cp932("ズームする"), cp932("動詞")}));
    ASSERT_TRUE(userdic::add(dir / "verbs", {"scribble", cp932("書く"), cp932("動詞")}));
    Options options;
    options.userDictionaries = {dir / "verbs"};
    options.politeStyle = true;
    EXPECT_EQ(translate("I zoom.", Direction::EJ, options).joined(), "私はズームします。");
    EXPECT_EQ(translate("I scribbled.", Direction::EJ, options).joined(), "私は書きました。");
}

TEST(EngineJapanese, LookUpSegmentationWithoutMecab)
{
    const auto segmenter = createLookupSegmenter();
    const Lexicon lexicon(&fixtureDictionary(), {});
    const auto sentence = cp932("私は東京で寿司を食べる。");
    const auto units = translateJapaneseSentence(sentence, lexicon, *segmenter, {});
    const auto text = words(units);
    for (const std::string_view word : {"I", "Tokyo", "sushi", "."})
        EXPECT_NE(text.find(word), std::string::npos) << text;
    for (const auto& unit : units) {
        if (unit.offset < 0)
            continue;
        EXPECT_LE(static_cast<std::size_t>(unit.offset) + unit.length, sentence.size());
        EXPECT_GT(unit.length, 0u);
    }
    // Unknown characters pass through one by one, in bounds.
    const auto unknown = translateJapaneseSentence(cp932("鳥鳥"), lexicon, *segmenter, {});
    ASSERT_FALSE(unknown.empty());
    EXPECT_FALSE(std::any_of(unknown.begin(), unknown.end(), [](const Unit& u) { return u.fromDictionary; }));
}

TEST(EngineFileJob, LongTextsReportRisingProgressAndKeepLineEnds)
{
    const auto dir = scratchDir() / "longjob";
    std::filesystem::create_directories(dir);
    std::string text;
    while (text.size() < 70 * 1024)
        text += "I eat sushi.\r\nThe dog runs.\n\n";
    std::FILE* f = std::fopen((dir / "long.txt").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);

    std::vector<std::string> progress;
    std::string error;
    const std::atomic<bool> stop{false};
    ASSERT_TRUE(fixtureTranslator().translateTextFile(dir / "long.txt", dir / "long.out", Direction::EJ, {},
                                                      [&](const std::string& s) { progress.push_back(s); }, stop, &error))
        << error;
    ASSERT_GE(progress.size(), 10u);
    EXPECT_EQ(progress.front(), "0");
    EXPECT_EQ(progress[progress.size() - 2], "100");
    EXPECT_EQ(progress.back(), "end");
    std::FILE* in = std::fopen((dir / "long.out").c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::string out(text.size() * 3, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), in));
    std::fclose(in);
    EXPECT_TRUE(out.starts_with("私はすしを食べる。\r\n犬は走る。\n\n私は")) << out.substr(0, 80);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), std::count(text.begin(), text.end(), '\n'));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\r'), std::count(text.begin(), text.end(), '\r'));
}

TEST(EngineFileJob, HtmlWithoutDeclarationAndWithReferencesInText)
{
    const auto dir = scratchDir() / "htmljob";
    std::filesystem::create_directories(dir);
    const std::string page = "<p>The dog &amp; the cat&#46;</p>\n<p>&lt;b&gt; is not a tag</p>";
    std::FILE* f = std::fopen((dir / "p.html").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(page.data(), 1, page.size(), f);
    std::fclose(f);
    std::string error;
    const std::atomic<bool> stop{false};
    ASSERT_TRUE(fixtureTranslator().translateHtmlFile(dir / "p.html", dir / "p.out", Direction::EJ, {}, {}, stop, &error))
        << error;
    std::FILE* in = std::fopen((dir / "p.out").c_str(), "rb");
    ASSERT_NE(in, nullptr);
    std::string out(4096, '\0');
    out.resize(std::fread(out.data(), 1, out.size(), in));
    std::fclose(in);
    // ASCII in, UTF-8 out; the decoded "&" and "." were translated, "<b>" went back as references.
    EXPECT_TRUE(out.starts_with("<p>犬&amp;猫。</p>\n<p>&lt;")) << out;
    EXPECT_NE(out.find("&gt;"), std::string::npos) << out;
    EXPECT_EQ(out.find("<b>"), std::string::npos) << out;
}
