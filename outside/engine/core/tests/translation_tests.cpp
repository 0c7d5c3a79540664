// Text runs: the result-block format, offsets against the sent bytes, settings and look-ups.
#include "fixture.h"

#include "english.h"

#include <platform/codec.h>

#include <gtest/gtest.h>

#include <random>

using namespace yv::engine;
using namespace yv::engine::testing;

namespace {

// Every linked line must name exactly the CP932 bytes it translates, starting on a character.
void expectOffsetsMatch(const Run& run, std::string_view sent)
{
    std::vector<bool> starts(sent.size() + 1, false);
    for (std::size_t i = 0; i < sent.size();) {
        starts[i] = true;
        i += yv::codec::isLeadByte(static_cast<unsigned char>(sent[i])) && i + 1 < sent.size() ? 2 : 1;
    }
    starts[sent.size()] = true;
    for (const auto& line : run.lines()) {
        if (line.offset < 0) {
            EXPECT_EQ(line.length, 0) << line.text;
            EXPECT_TRUE(line.source.empty()) << line.text;
            continue;
        }
        ASSERT_LE(static_cast<std::size_t>(line.offset + line.length), sent.size()) << line.text;
        EXPECT_GT(line.length, 0) << line.text;
        EXPECT_TRUE(starts[line.offset]) << line.text << " at " << line.offset;
        EXPECT_TRUE(starts[line.offset + line.length]) << line.text << " ends inside a character";
        // Field separators inside the source are sent as spaces; the length stays.
        auto expected = std::string(sent.substr(line.offset, line.length));
        std::replace_if(expected.begin(), expected.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n' || c == '\0'; }, ' ');
        EXPECT_EQ(expected, line.source) << line.text;
    }
}

std::vector<std::string> texts(const Run& run)
{
    std::vector<std::string> out;
    for (const auto& line : run.lines())
        out.push_back(line.text);
    return out;
}

bool contains(const std::vector<std::string>& v, std::string_view s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

} // namespace

TEST(EngineBlocks, FormatEndMarkAndOffsetsOnMixedText)
{
    // Half-width kana, an NEC special (①), CR LF and LF.
    const std::string sent = cp932("I eat sushi.\r\nｱｲｳ ① the dog runs.\nThe big dog runs in the park.");
    const auto run = translateCp932(sent, Direction::EJ);
    ASSERT_FALSE(run.strings.empty());
    EXPECT_EQ(run.strings.back(), "$$$");
    EXPECT_EQ(std::count(run.strings.begin(), run.strings.end(), "$$$"), 1);
    ASSERT_EQ(run.blocks.size(), 3u);
    EXPECT_TRUE(run.strings[0].starts_with("$$$ 1\n"));
    EXPECT_TRUE(run.strings[0].ends_with("\n"));
    expectOffsetsMatch(run, sent);
    EXPECT_EQ(run.joined(), "私は" "すしを食べる。" "ｱｲｳ①犬は走る。" "大きい犬は公園で走る。");

    const std::string japanese = cp932("私は寿司を食べる。\r\nｶﾀｶﾅ①の本です。\n犬が走った");
    const auto je = translateCp932(japanese, Direction::JE);
    EXPECT_EQ(je.strings.back(), "$$$");
    ASSERT_EQ(je.blocks.size(), 3u);
    expectOffsetsMatch(je, japanese);
}

TEST(EngineBlocks, EjSharesOffsetsForPiecesOfOneWordAndTagsByPartOfSpeech)
{
    const auto run = translate("I eat sushi.", Direction::EJ);
    const auto lines = run.lines();
    ASSERT_EQ(lines.size(), 6u);
    // 私 and は both come from "I": the editor links the first only.
    EXPECT_EQ(lines[0].text, "私");
    EXPECT_EQ(lines[1].text, "は");
    EXPECT_EQ(lines[0].offset, lines[1].offset);
    EXPECT_EQ(lines[0].tag, 2);      // pronoun
    EXPECT_EQ(lines[2].text, "すし");
    EXPECT_EQ(lines[2].tag, 1);      // noun
    EXPECT_EQ(lines[4].text, "食べる");
    EXPECT_EQ(lines[4].tag, 3);      // verb
    EXPECT_EQ(lines[4].source, "eat");
    EXPECT_EQ(lines[5].text, "。");
}

TEST(EngineBlocks, JeWordsArticlesAndSuppliedSubject)
{
    if (!haveMecab())
        GTEST_SKIP() << "MeCab is not available";
    const auto run = translate("私は本を読んだ。", Direction::JE);
    EXPECT_EQ(texts(run), (std::vector<std::string>{"I", "read", "the", "book", "."}));
    const auto lines = run.lines();
    // The engine's article shares the noun's offset; the editor leaves it unlinked.
    EXPECT_EQ(lines[2].offset, lines[3].offset);
    EXPECT_EQ(lines[3].source, cp932("本"));

    Options we;
    we.subject = "we";
    const auto supplied = translate("寿司を食べる。", Direction::JE, we);
    ASSERT_FALSE(supplied.lines().empty());
    EXPECT_EQ(supplied.lines()[0].text, "We");
    EXPECT_EQ(supplied.lines()[0].offset, -1);
    EXPECT_EQ(supplied.lines()[1].text, "eat");

    const auto it = translate("東京で寿司を食べた。", Direction::JE);
    EXPECT_EQ(texts(it), (std::vector<std::string>{"It", "ate", "the", "sushi", "at", "Tokyo", "."}));
    const auto copula = translate("これはペンです。", Direction::JE);
    EXPECT_EQ(texts(copula)[1], "is");
    EXPECT_TRUE(contains(texts(copula), "a"));
    const auto question = translate("犬は大きいですか。", Direction::JE);
    EXPECT_EQ(texts(question).back(), "?");
}

TEST(EngineBlocks, UntranslatableSentencesAndHostileText)
{
    const auto run = translate("Xyzzy plugh.\nI eat sushi.", Direction::EJ);
    ASSERT_EQ(run.untranslatable.size(), 1u);
    EXPECT_EQ(run.untranslatable[0], "Xyzzy plugh.\n");
    EXPECT_EQ(run.blocks.size(), 1u);
    EXPECT_EQ(run.strings.back(), "$$$");

    // A sentence that would read as a block or the end mark is passed through in a block.
    const auto dollars = translate("$$$", Direction::EJ);
    ASSERT_EQ(dollars.strings.size(), 2u);
    EXPECT_EQ(dollars.strings.back(), "$$$");
    EXPECT_TRUE(dollars.strings[0].starts_with("$$$ 1\n"));

    EXPECT_EQ(translate("", Direction::EJ).strings, std::vector<std::string>{"$$$"});
    EXPECT_EQ(translate(" \r\n　", Direction::JE).strings, std::vector<std::string>{"$$$"});

    std::mt19937 random(7);
    std::string noise(70 * 1024, '\0');
    for (auto& c : noise)
        c = static_cast<char>(random());
    for (const auto direction : {Direction::EJ, Direction::JE}) {
        const auto garbage = translateCp932(noise, direction);
        EXPECT_EQ(garbage.strings.back(), "$$$");
        expectOffsetsMatch(garbage, noise);
        for (const auto& s : garbage.strings)
            EXPECT_EQ(s.find('\0'), std::string::npos);
    }
}

TEST(EngineBlocks, StopEndsTheRunWithItsEndMark)
{
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "I eat sushi. ";
    std::atomic<bool> stop{false};
    std::vector<std::string> got;
    fixtureTranslator().translateText(text, Direction::EJ, {}, [&](const std::string& s) {
        got.push_back(s);
        stop = true;
    }, stop);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got.back(), "$$$");
}

TEST(EngineSettings, YouStyleAndImperative)
{
    Options off;
    off.translateYou = false;
    EXPECT_EQ(translate("You eat sushi.", Direction::EJ).joined(), "あなたはすしを食べる。");
    EXPECT_EQ(translate("You eat sushi.", Direction::EJ, off).joined(), "すしを食べる。");
    EXPECT_EQ(translate("I see you.", Direction::EJ, off).joined().find("あなた") != std::string::npos, true)
        << "only the subject is dropped";

    Options polite;
    polite.politeStyle = true;
    EXPECT_EQ(translate("I eat sushi.", Direction::EJ, polite).joined(), "私はすしを食べます。");
    EXPECT_EQ(translate("I did not eat sushi.", Direction::EJ, polite).joined(), "私はすしを食べませんでした。");
    EXPECT_EQ(translate("I did not eat sushi.", Direction::EJ).joined(), "私はすしを食べなかった。");
    EXPECT_EQ(translate("This is a pen.", Direction::EJ).joined(), "これはペンである。");
    EXPECT_EQ(translate("This is a pen.", Direction::EJ, polite).joined(), "これはペンです。");
    EXPECT_EQ(translate("The dog is big.", Direction::EJ, polite).joined(), "犬は大きいです。");

    Options imp;
    EXPECT_EQ(translate("Open the window.", Direction::EJ, imp).joined(), "窓を開けなさい。");
    imp.imperative = "KOTO";
    EXPECT_EQ(translate("Please open the window.", Direction::EJ, imp).joined(), "窓を開けること。");
    imp.imperative = "SURU";
    EXPECT_EQ(translate("Open the window.", Direction::EJ, imp).joined(), "窓を開ける。");
}

TEST(EngineUserDictionary, PrecedenceInOrderBeforeEdict)
{
    const auto dir = scratchDir() / "precedence";
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(userdic::create(dir / "first"));
    ASSERT_TRUE(userdic::create(dir / "second"));
    ASSERT_TRUE(userdic::add(dir / "first", {"dog", cp932("わんちゃん"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(dir / "second", {"dog", cp932("いぬっころ"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(dir / "second", {"cat", cp932("にゃんこ"), cp932("名詞")}));
    ASSERT_TRUE(userdic::add(dir / "second", {cp932("猫"), "kitty", cp932("名詞")}));

    Options options;
    options.userDictionaries = {dir / "missing", dir / "first", dir / "second"};
    EXPECT_EQ(translate("The dog runs.", Direction::EJ, options).joined(), "わんちゃんは走る。");
    EXPECT_EQ(translate("The cat runs.", Direction::EJ, options).joined(), "にゃんこは走る。");
    options.userDictionaries = {dir / "second", dir / "first"};
    EXPECT_EQ(translate("The dog runs.", Direction::EJ, options).joined(), "いぬっころは走る。");
    EXPECT_EQ(translate("The dog runs.", Direction::EJ).joined(), "犬は走る。");
    if (haveMecab()) {
        EXPECT_NE(translate("猫が走る。", Direction::JE, options).joined().find("kitty"), std::string::npos);
    }

    // Look-up: user dictionaries first, each under its own path, then EDICT.
    const auto found = utf8(fixtureTranslator().lookUp("dog", Direction::EJ, options));
    const auto second = found.find("[" + (dir / "second").string() + "]\n<dog>\t\t\n名詞\t\tいぬっころ\n");
    const auto first = found.find("[" + (dir / "first").string() + "]\n<dog>\t\t\n名詞\t\tわんちゃん\n");
    const auto edict = found.find("[" + (scratchDir() / "shared" / "edict").string() + "]\n");
    ASSERT_NE(second, std::string::npos) << found;
    ASSERT_NE(first, std::string::npos) << found;
    ASSERT_NE(edict, std::string::npos) << found;
    EXPECT_LT(second, first);
    EXPECT_LT(first, edict);
}

TEST(EngineLookUp, EntryLinesOfEachDirection)
{
    const auto& t = fixtureTranslator();
    const auto ej = utf8(t.lookUp("Dogs", Direction::EJ, {}));
    EXPECT_EQ(ej, "[" + (scratchDir() / "shared" / "edict").string() + "]\n<dog>\t\t\n名詞\tいぬ\t犬\n名詞\t\tワンコ\n");

    const auto je = utf8(t.lookUp(cp932("食べる"), Direction::JE, {}));
    EXPECT_NE(je.find("<食べる>\t\t\n動詞\tたべる\teat\n動詞\tたべる\tlive on\n"), std::string::npos) << je;
    if (haveMecab()) {
        EXPECT_NE(utf8(t.lookUp(cp932("食べた"), Direction::JE, {})).find("\teat\n"), std::string::npos);
    }
    EXPECT_EQ(t.lookUp("zzznothing", Direction::EJ, {}), "");
    EXPECT_EQ(t.lookUp("", Direction::JE, {}), "");
    EXPECT_EQ(t.lookUp(std::string("\x82\0\xff", 3), Direction::JE, {}), "");
}

TEST(EnginePlain, JoinsSentencesAndKeepsLineBreaks)
{
    const auto& t = fixtureTranslator();
    EXPECT_EQ(utf8(t.translatePlain("I eat sushi. The dog runs.\r\n\r\nOpen the window.\n", Direction::EJ, {})),
              "私はすしを食べる。犬は走る。\r\n\r\n窓を開けなさい。\n");
    if (haveMecab()) {
        EXPECT_EQ(t.translatePlain(cp932("私は本を読んだ。犬が走った。\n"), Direction::JE, {}),
                  "I read the book. The dog ran.\n");
    }
}

TEST(EngineRealEdict, LoadsFromItsCacheAndTranslatesBothWays)
{
    const std::filesystem::path edict = "/usr/share/edict/edict";
    if (!std::filesystem::exists(edict))
        GTEST_SKIP() << "EDICT is not installed";
    std::string error;
    // The cache lives in the build tree, so only the first run pays for parsing EDICT.
    const auto translator = Translator::load(edict, YV_ENGINE_TEST_CACHE, &error);
    ASSERT_TRUE(translator) << error;
    const std::atomic<bool> stop{false};
    std::vector<std::string> got;
    const auto english = cp932("I eat sushi. The big dog runs in the park.");
    translator->translateText(english, Direction::EJ, {}, [&](const std::string& s) { got.push_back(s); }, stop);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got.back(), "$$$");
    EXPECT_NE(utf8(got[0]).find("食べる"), std::string::npos) << utf8(got[0]);
    EXPECT_NE(utf8(got[1]).find("犬"), std::string::npos) << utf8(got[1]);
    EXPECT_NE(utf8(translator->lookUp("dog", Direction::EJ, {})).find("名詞\tいぬ\t犬\n"), std::string::npos);
    if (error.empty()) {
        EXPECT_EQ(translator->translatePlain(cp932("私は東京で寿司を食べました。"), Direction::JE, {}),
                  "I ate the sushi at Tokyo.");
    }
}

TEST(EngineEnglish, InflectionsAndClauseOrder)
{
    using namespace yv::engine::Internal;
    const auto bases = [](std::string_view word) {
        std::vector<std::string> out;
        for (const auto& form : englishBaseForms(word))
            out.push_back(form.base);
        return out;
    };
    EXPECT_TRUE(contains(bases("studies"), "study"));
    EXPECT_TRUE(contains(bases("stopped"), "stop"));
    EXPECT_TRUE(contains(bases("making"), "make"));
    EXPECT_TRUE(contains(bases("went"), "go"));
    EXPECT_EQ(bases("dog"), std::vector<std::string>{"dog"});
    EXPECT_EQ(englishPast("go"), "went");
    EXPECT_EQ(englishPast("study hard"), "studied hard");
    EXPECT_EQ(englishThirdPerson("watch"), "watches");
    EXPECT_EQ(englishProgressive("make"), "making");

    EXPECT_EQ(translate("The dogs ran in the park.", Direction::EJ).joined(), "犬は公園で走った。");
    EXPECT_EQ(translate("Did you read the book?", Direction::EJ).joined(), "あなたは本を読んだか？");
    EXPECT_EQ(translate("I am reading a book.", Direction::EJ).joined(), "私は本を読んでいる。");
    EXPECT_EQ(translate("I don't eat sushi.", Direction::EJ).joined(), "私はすしを食べない。");
    EXPECT_EQ(translate("Don't open the window.", Direction::EJ).joined(), "窓を開けないでいなさい。");
    EXPECT_EQ(translate("The top of the big school.", Direction::EJ).joined().find("大きい学校の"), 0u);
}

TEST(EngineJapanese, RequestsProgressiveAndModifiers)
{
    if (!haveMecab())
        GTEST_SKIP() << "MeCab is not available";
    const auto plain = [](std::string_view japanese) {
        return fixtureTranslator().translatePlain(cp932(japanese), Direction::JE, {});
    };
    EXPECT_EQ(plain("窓を開けてください。"), "Please open the window.");
    EXPECT_EQ(plain("私は本を読んでいる。"), "I am reading the book.");
    EXPECT_EQ(plain("大きい犬が走る。"), "The big dog runs.");
    EXPECT_EQ(plain("犬は大きくない。"), "The dog is not big.");
    EXPECT_EQ(plain("私は寿司を食べない。"), "I do not eat the sushi.");
    EXPECT_EQ(plain("東京の学校。"), "School of Tokyo.");
}
